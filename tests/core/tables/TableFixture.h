#pragma once
// Small "tight crt" guides written with ContentWriter into a temporary folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "WrittenGuide.h"
#include "core/content/ContentDatabase.h"
#include "core/content/ContentWriter.h"
#include "core/tables/TableGrid.h"
#include "core/tables/TableSource.h"

namespace vantrel::test {



// The guide most tests use:
//   table "Spectrum" (type "tight crt", key field "Key text")
//     A "Whole"             leaf child "Everything"
//     B "Rows"              [G1: r1 r2] r3 [G2: r4 r5]
//     C "Cols"              [CG1: c1 c2] [CG2: c3] c4
//   Every row leaf holds one field per column leaf, "r<i>c<j>", except r3,
//   which holds fields for c1 and c2 only.
//   table "Four" (type "tight crt", no key): W [w1 w2], X [x1], Y [y1], Z [z1]
//   table "Page" (type "html"): item "h1"
struct SampleGuide : WrittenGuide {
  SampleGuide() : WrittenGuide("vantrel-tables") {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    auto item = [&](H parent, const std::u16string& text) {
      const H h = w.add(parent, u"hierarchy item");
      w.setText(h, text);
      names[text] = h;
      return h;
    };
    const H table = w.add(0, u"table");
    w.setText(table, u"Spectrum");
    names[u"Spectrum"] = table;
    w.setText(w.add(table, u"table type"), u"tight crt");
    const H key = w.add(table, u"field");
    w.setText(key, u"Key text");
    names[u"key"] = key;
    w.setText(w.add(table, u"field"), u"Second field");
    const H a = item(table, u"Whole");
    item(a, u"Everything");
    const H b = item(table, u"Rows");
    const H c = item(table, u"Cols");
    const H g1 = item(b, u"G1");
    const std::vector<H> rows = {item(g1, u"r1"), item(g1, u"r2"), item(b, u"r3"), 0, 0};
    const H g2 = item(b, u"G2");
    std::vector<H> allRows = rows;
    allRows[3] = item(g2, u"r4");
    allRows[4] = item(g2, u"r5");
    const H cg1 = item(c, u"CG1");
    item(cg1, u"c1");
    item(cg1, u"c2");
    const H cg2 = item(c, u"CG2");
    item(cg2, u"c3");
    item(c, u"c4");
    for (int i = 0; i < 5; ++i) {
      const int fields = i == 2 ? 2 : 4;
      for (int j = 0; j < fields; ++j) {
        const H f = w.add(allRows[i], u"field");
        std::u16string text = u"r";
        text += char16_t(u'1' + i);
        text += u'c';
        text += char16_t(u'1' + j);
        w.setText(f, text);
      }
    }

    const H four = w.add(0, u"table");
    w.setText(four, u"Four");
    names[u"Four"] = four;
    w.setText(w.add(four, u"table type"), u"tight crt");
    const H ww = item(four, u"W");
    item(ww, u"w1");
    item(ww, u"w2");
    item(item(four, u"X"), u"x1");
    item(item(four, u"Y"), u"y1");
    item(item(four, u"Z"), u"z1");

    const H page = w.add(0, u"table");
    w.setText(page, u"Page");
    w.setText(w.add(page, u"table type"), u"html");
    item(page, u"h1");

    open(w);
    for (auto& [name, handle] : names) index[name] = w.indexOf(handle);
  }
  ObjectIndex operator[](const std::u16string& name) const { return index.at(name); }

  std::map<std::u16string, ContentWriter::Handle> names;
  std::map<std::u16string, ObjectIndex> index;
};

// A table held in memory: texts[row][column], every row and column visible
// unless narrowed with `show`.
class MemoryTable : public TableSource {
 public:
  explicit MemoryTable(std::vector<std::vector<std::u16string>> texts, ObjectIndex item = 1)
      : texts_(std::move(texts)), item_(item) {
    for (uint32_t r = 0; r < texts_.size(); ++r) rows_.push_back(r);
    for (uint32_t c = 0; c < (texts_.empty() ? 0 : texts_[0].size()); ++c) columns_.push_back(c);
  }
  void show(std::vector<uint32_t> rows, std::vector<uint32_t> columns) {
    rows_ = std::move(rows);
    columns_ = std::move(columns);
  }
  uint32_t columnCount() const override { return static_cast<uint32_t>(columns_.size()); }
  uint32_t rowCount() const override { return static_cast<uint32_t>(rows_.size()); }
  bool cellAt(uint32_t v, uint32_t w, TableCell& out) override {
    if (v >= rows_.size() || w >= columns_.size()) return false;
    out = TableCell{0, texts_[rows_[v]][columns_[w]], v == 0 || w == 0 ? 0xFFD700u : 0xFFFFFFu};
    return true;
  }
  uint32_t rowAt(uint32_t v) const override { return v < rows_.size() ? rows_[v] : 0; }
  uint32_t columnAt(uint32_t w) const override { return w < columns_.size() ? columns_[w] : 0; }
  ObjectIndex shownItem() const override { return item_; }

 private:
  std::vector<std::vector<std::u16string>> texts_;
  ObjectIndex item_;
  std::vector<uint32_t> rows_, columns_;
};

// A table of rows x columns whose texts are all text.
inline std::vector<std::vector<std::u16string>> uniformTexts(uint32_t rows, uint32_t columns,
                                                             const std::u16string& text = u"") {
  return std::vector<std::vector<std::u16string>>(rows, std::vector<std::u16string>(columns, text));
}

// Every character 5 pixels wide, plus 1 (as the renderer's single-line width);
// an empty text 0.
class FixedMeasurer : public CellMeasurer {
 public:
  int singleLineWidth(CellKey, const std::u16string& markup, Colour) override {
    ++calls;
    return markup.empty() ? 0 : static_cast<int>(markup.size()) * 5 + 1;
  }
  int calls = 0;
};

}  // namespace vantrel::test
