#include "core/search/FindInPage.h"

#include "core/search/SearchDocuments.h"

namespace vantrel {

namespace {

char16_t lower(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 32);
  return c;
}

std::u16string lowered(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = lower(c);
  return out;
}

}  // namespace

std::vector<std::u16string> findWords(std::u16string_view query) {
  std::vector<std::u16string> words;
  std::u16string word;
  for (char16_t c : query) {
    if (c == u' ' || c == u'\t' || c == 0xA0) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += lower(c);
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool containsWords(std::u16string_view text, const std::vector<std::u16string>& words) {
  if (words.empty()) return false;
  const std::u16string hay = lowered(text);
  for (const std::u16string& w : words)
    if (hay.find(w) == std::u16string::npos) return false;
  return true;
}

std::vector<TableMatch> findInTable(TableSource& table, std::u16string_view query, size_t limit) {
  std::vector<TableMatch> out;
  const std::vector<std::u16string> words = findWords(query);
  if (words.empty()) return out;
  const uint32_t rows = table.rowCount(), columns = table.columnCount();
  TableCell cell;
  for (uint32_t r = 1; r < rows && out.size() < limit; ++r)
    for (uint32_t c = 0; c < columns && out.size() < limit; ++c) {
      cell = TableCell();
      if (!table.cellAt(r, c, cell) || cell.text.empty()) continue;
      if (containsWords(plainTextOf(cell.text), words)) out.push_back({r, c});
    }
  return out;
}

int stepMatch(size_t count, int current, bool backward) {
  if (count == 0) return -1;
  const int n = static_cast<int>(count);
  if (current < 0 || current >= n) return backward ? n - 1 : 0;
  return backward ? (current + n - 1) % n : (current + 1) % n;
}

}  // namespace vantrel
