#include "serial/port_listing.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "serial/com_port_name.h"

namespace vidideza {

namespace {

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::string_view DigitRun(std::string_view s, std::size_t from) {
  std::size_t end = from;
  while (end < s.size() && IsDigit(s[end])) {
    ++end;
  }
  return s.substr(from, end - from);
}

// Compares two digit runs by value, whatever their length.
int CompareNumbers(std::string_view a, std::string_view b) {
  const auto significant = [](std::string_view run) {
    const std::size_t first = run.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : run.substr(first);
  };
  const std::string_view x = significant(a);
  const std::string_view y = significant(b);
  if (x.size() != y.size()) {
    return x.size() < y.size() ? -1 : 1;
  }
  return x.compare(y);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i);
      const std::string_view y = DigitRun(b, j);
      if (const int order = CompareNumbers(x, y); order != 0) {
        return order < 0;
      }
      i += x.size();
      j += y.size();
      continue;
    }
    if (a[i] != b[j]) {
      return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    }
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) {
    return j < b.size();  // the shorter rest comes first
  }
  return a < b;  // equal by value ("COM01" and "COM1"): the plain order keeps it strict
}

std::vector<PortListing> SelectorListings(const std::vector<PortListing>& present) {
  std::vector<PortListing> listings;
  for (int i = 1; i <= 9; ++i) {
    listings.push_back({"COM" + std::to_string(i), {}});
  }
  for (const PortListing& port : present) {
    const int number = ComPortNumber(port.name);
    if (number >= 1 && number <= 9 && port.name.size() == 4) {
      listings[static_cast<std::size_t>(number - 1)].identity = port.identity;
      continue;
    }
    const bool listed = std::any_of(listings.begin(), listings.end(),
                                    [&](const PortListing& p) { return p.name == port.name; });
    if (!listed) {
      listings.push_back(port);
    }
  }
  return listings;
}

}  // namespace vidideza
