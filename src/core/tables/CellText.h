#pragma once
// Plain text of a cell's markup, for exports: the entities decoded ("amp",
// "lt", "gt", "nbsp" as a space, "copy"; an unknown named entity vanishes,
// one cut short by another character stays as it is), every "<br>" a line
// feed, and every complete tag ("<" up to the next ">", with no other "<"
// between them) removed, whatever its name. A "<" without its ">" stays.
#include <string>
#include <string_view>

namespace vantrel {

std::u16string plainCellText(std::u16string_view markup);

// One field of a CSV record (RFC 4180): quoted, with inner quotes doubled,
// when it holds a comma, a quote, a line feed or a carriage return, or
// starts or ends with a space.
std::string csvField(std::string_view utf8);

}  // namespace vantrel
