#pragma once

#include <string>
#include <string_view>

namespace qvxctl {

// A JSON string literal of the bytes. The units speak single bytes, read here as Latin-1, so
// every byte outside printable ASCII is written as its \u escape and the output stays ASCII.
std::string JsonString(std::string_view bytes);

// A CSV field: quoted, with its quotes doubled, when it holds a separator, a quote or a line
// break; as it is otherwise.
std::string CsvField(std::string_view text);

}  // namespace qvxctl
