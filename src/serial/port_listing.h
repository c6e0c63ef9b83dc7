#pragma once

#include <string>
#include <vector>

namespace vidideza {

// One entry of the port selector's list: the name that is picked, opened and saved, and what
// the system tells about the device behind it (empty where it tells nothing).
struct PortListing {
  std::string name;
  std::string identity;

  bool operator==(const PortListing&) const = default;
};

// The selector's list: "COM1" to "COM9" first, always, then the listed ports in the order given,
// each name once (a port among COM1 to COM9 lends them its identity).
std::vector<PortListing> SelectorListings(const std::vector<PortListing>& present);

// Orders names as people count: digit runs compare by their value, so "ttyUSB2" comes before
// "ttyUSB10"; letters compare as they are.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace vidideza
