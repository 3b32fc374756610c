// Small text helpers for the command's output: JSON strings and file-name slugs.
#pragma once

#include <string>
#include <string_view>

namespace brushwerk::cli {

// A JSON string literal, quotes included.
std::string JsonString(std::string_view text);
// Lower-case letters and digits joined by single dashes: "Black Light " -> "black-light".
std::string Slug(std::string_view text);

}  // namespace brushwerk::cli
