#include "app/ini_text.h"

#include <cctype>
#include <vector>

namespace vidideza {

namespace {

struct Line {
  std::string_view body;  // without its line end
  std::string_view end;   // "\r\n", "\n", "\r" or "" for a last line without one
};

// CR LF, LF and a lone CR each end a line, as editors on every system read them.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  while (!text.empty()) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) {
      lines.push_back({text, {}});
      break;
    }
    const bool crlf = text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n';
    const std::size_t endLength = crlf ? 2 : 1;
    lines.push_back({text.substr(0, at), text.substr(at, endLength)});
    text.remove_prefix(at + endLength);
  }
  return lines;
}

// Blanks around names and values do not count.
std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && blank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The name of a section header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view body) {
  body = Trim(body);
  if (body.empty() || body.front() != '[') {
    return std::nullopt;
  }
  body.remove_prefix(1);
  return Trim(body.substr(0, body.find(']')));
}

bool IsComment(std::string_view body) {
  body = Trim(body);
  return !body.empty() && body.front() == ';';
}

// The key of an entry line, or nothing.
std::optional<std::string_view> EntryKey(std::string_view body) {
  if (IsComment(body)) {
    return std::nullopt;
  }
  const std::size_t equals = body.find('=');
  if (equals == std::string_view::npos) {
    return std::nullopt;
  }
  return Trim(body.substr(0, equals));
}

struct Location {
  std::optional<std::size_t> section;  // index of the header line
  std::optional<std::size_t> entry;    // index of the key's line
  std::size_t insertAt = 0;            // where a missing key goes
};

Location Find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Location where;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].body);
    if (!name) {
      continue;
    }
    if (!SameName(*name, section)) {
      continue;
    }
    where.section = i;
    where.insertAt = i + 1;
    for (std::size_t j = i + 1; j < lines.size() && !SectionName(lines[j].body); ++j) {
      if (!Trim(lines[j].body).empty() && !IsComment(lines[j].body)) {
        where.insertAt = j + 1;
      }
      const auto entry = EntryKey(lines[j].body);
      if (entry && SameName(*entry, key)) {
        where.entry = j;
        return where;
      }
    }
    return where;
  }
  return where;
}

// The line end the text already uses: that of its first line, CR LF when it has none.
std::string_view LineEndOf(const std::vector<Line>& lines) {
  return lines.empty() || lines.front().end.empty() ? "\r\n" : lines.front().end;
}

// The value of an entry line as a reader gets it, before the reader's length limit.
std::string_view EntryValue(std::string_view body) {
  std::string_view value = Trim(body.substr(body.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::optional<std::string> IniRead(std::string_view text, std::string_view section,
                                   std::string_view key) {
  const auto lines = SplitLines(text);
  const Location where = Find(lines, section, key);
  if (!where.entry) {
    return std::nullopt;
  }
  return std::string(EntryValue(lines[*where.entry].body).substr(0, kMaxProfileValue));
}

std::string IniWrite(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
  const auto lines = SplitLines(text);
  const Location where = Find(lines, section, key);
  // A value that reads as it did leaves the text as it is, byte for byte.
  if (where.entry && EntryValue(lines[*where.entry].body) == EntryValue("=" + std::string(value))) {
    return std::string(text);
  }
  const std::string_view eol = LineEndOf(lines);
  std::string out;
  out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
  const auto entryLine = [&](std::string_view keyName, std::string_view end) {
    out.append(keyName).append("=").append(value).append(end);
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (where.entry == i) {
      // Keep the key as it is spelled in the file; rewrite only its value.
      entryLine(*EntryKey(lines[i].body), lines[i].end.empty() ? eol : lines[i].end);
      continue;
    }
    if (where.section && !where.entry && where.insertAt == i) {
      entryLine(key, eol);
    }
    out.append(lines[i].body).append(lines[i].end);
    if (i + 1 == lines.size() && lines[i].end.empty() && !where.entry &&
        (!where.section || where.insertAt == lines.size())) {
      out.append(eol);  // the new line must not run on from an unterminated last line
    }
  }
  if (where.section && !where.entry && where.insertAt == lines.size()) {
    entryLine(key, eol);
  }
  if (!where.section) {
    out.append("[").append(section).append("]").append(eol);
    entryLine(key, eol);
  }
  return out;
}

}  // namespace vidideza
