#pragma once
// Find in a table: the cells whose plain text holds every word typed
// (case-insensitive), in reading order, row by row. The find bar steps
// through them and selects the row of the current one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/tables/TableSource.h"

namespace vantrel {

// The words of a query, lower-cased (ASCII and Latin-1 letters).
std::vector<std::u16string> findWords(std::u16string_view query);
// Whether text holds every word (each as a substring, ignoring case).
bool containsWords(std::u16string_view text, const std::vector<std::u16string>& words);

struct TableMatch {
  uint32_t row = 0;     // visible row, from 1
  uint32_t column = 0;  // visible column, 0 being the row headings
  bool operator==(const TableMatch&) const = default;
};

// Every matching cell of the rows below the heading row, the row headings
// included, at most limit of them. No words: none.
std::vector<TableMatch> findInTable(TableSource& table, std::u16string_view query, size_t limit = 10000);

// The index in matches of the next (or previous) match after position
// current, wrapping around; -1 when there are none.
int stepMatch(size_t count, int current, bool backward);

}  // namespace vantrel
