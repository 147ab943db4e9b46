#pragma once
// Cell texts in exports.
#include <string>
#include <string_view>

namespace vantrel {

// One field of a CSV record (RFC 4180): quoted, with inner quotes doubled,
// when it holds a comma, a quote, a line feed or a carriage return, or
// starts or ends with a space.
std::string csvField(std::string_view utf8);

}  // namespace vantrel
