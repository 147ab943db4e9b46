#include "core/search/SearchDocuments.h"

#include <set>
#include <string>
#include <vector>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/hierarchy/FieldsPage.h"
#include "core/hierarchy/TightHierarchyModel.h"
#include "core/html/HtmlViewerModel.h"
#include "core/tables/TightCrtTable.h"
#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

namespace vantrel {

namespace {

bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0xA0; }

char16_t namedEntity(std::u16string_view name) {
  static const std::pair<std::u16string_view, char16_t> table[] = {
      {u"amp", u'&'}, {u"lt", u'<'},    {u"gt", u'>'},      {u"nbsp", u' '},    {u"quot", u'"'},
      {u"apos", u'\''}, {u"copy", 0xA9}, {u"reg", 0xAE},    {u"deg", 0xB0},     {u"micro", 0xB5},
      {u"middot", 0xB7}, {u"ge", 0x2265}, {u"le", 0x2264}, {u"ndash", 0x2013}, {u"mdash", 0x2014},
      {u"plusmn", 0xB1}, {u"times", 0xD7}, {u"sect", 0xA7}, {u"eacute", 0xE9},  {u"uuml", 0xFC}};
  for (const auto& [n, c] : table)
    if (n == name) return c;
  return 0;
}

// Folds white space and appends c to out.
void put(std::u16string& out, char16_t c) {
  if (isSpace(c)) {
    if (!out.empty() && out.back() != u' ') out += u' ';
    return;
  }
  out += c;
}

// Appends text that holds no tags, its character references decoded.
void appendText(std::u16string& out, std::u16string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const char16_t c = s[i];
    if (c == u'&') {
      const size_t semi = s.find(u';', i + 1);
      if (semi != std::u16string_view::npos && semi - i <= 10) {
        std::u16string_view name = s.substr(i + 1, semi - i - 1);
        char16_t decoded = 0;
        if (!name.empty() && name[0] == u'#') {
          uint32_t v = 0;
          bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
          bool ok = name.size() > (hex ? 2u : 1u);
          for (size_t k = hex ? 2 : 1; k < name.size() && ok; ++k) {
            const char16_t d = name[k];
            int digit = d >= u'0' && d <= u'9' ? d - u'0'
                        : hex && d >= u'a' && d <= u'f' ? d - u'a' + 10
                        : hex && d >= u'A' && d <= u'F' ? d - u'A' + 10
                                                        : -1;
            if (digit < 0) ok = false;
            else v = v * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
            if (v > 0xFFFF) ok = false;
          }
          if (ok && v != 0) decoded = static_cast<char16_t>(v);
        } else {
          decoded = namedEntity(name);
        }
        if (decoded) {
          put(out, decoded);
          i = semi + 1;
          continue;
        }
      }
    }
    put(out, c);
    ++i;
  }
}

}  // namespace

std::u16string plainTextOf(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  HtmlTokenizer tokens(s);
  HtmlToken token;
  while (tokens.next(token)) {
    if (token.kind == HtmlToken::Kind::text) {
      appendText(out, s.substr(token.begin, token.end - token.begin));
      continue;
    }
    // A tag separates words (<p>, <br>, <td>) but not always (<b>, <i>,
    // <sub>, <sup>, <a>): inline tags leave the text joined.
    static const std::set<std::string> kInline{"b",    "i",  "u",      "a",  "sub",   "sup",
                                               "font", "span", "em", "strong", "img"};
    if (token.kind == HtmlToken::Kind::comment || !kInline.count(token.name)) put(out, u' ');
  }
  while (!out.empty() && out.back() == u' ') out.pop_back();
  return out;
}

std::string shortTitle(std::u16string_view plain, size_t maxChars) {
  if (plain.size() <= maxChars) return toUtf8(plain);
  size_t cut = maxChars;
  while (cut > maxChars / 2 && plain[cut] != u' ') --cut;
  if (plain[cut] != u' ') cut = maxChars;
  // Never split a surrogate pair.
  if (cut > 0 && plain[cut - 1] >= 0xD800 && plain[cut - 1] <= 0xDBFF) --cut;
  return toUtf8(plain.substr(0, cut)) + "\u2026";
}

namespace {

// Reads what the walk needs once per guide (type numbers, the special
// objects) and yields the documents of each object as the viewer that shows
// it has them: the viewer is the one the reader would show the object in,
// by the viewers' own acceptance rule in their offering order.
class Extractor {
 public:
  Extractor(const ContentDatabase& db, const ViewerKinds& viewers)
      : db_(db), viewers_(viewers), crt_(db), fields_(db), htmlKeys_(HtmlPageKeys::fromDatabase(db)) {
    tItem_ = db.typeNumber(u"hierarchy item");
    tField_ = db.typeNumber(u"field");
    tFootnote_ = db.typeNumber(u"footnote");
    tPopup_ = db.typeNumber(u"popup");
    tQuestion_ = db.typeNumber(u"question");
    tResult_ = db.typeNumber(u"result");
    tHtml_ = db.typeNumber(u"html");
    abbreviations_ = db.objectByName(u"Abbreviations");
  }

  void document(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    if (e.type == kNoType) return;
    const ViewerKind* viewer = viewers_.showing(db_, e.index);
    if (!viewer) return;
    switch (yieldOf(*viewer)) {
      case Yield::popup: return popup(e, sink);
      case Yield::image: return image(e, sink);
      case Yield::html: return html(e, sink);
      case Yield::table:
        if (e.type == tItem_) table(e, sink);
        return;
      case Yield::entry:
        if (e.type == tItem_) entry(e, sink);
        return;
      case Yield::indexRows: return rows(e, sink, &Extractor::indexEntry);
      case Yield::keyRows: return rows(e, sink, &Extractor::abbreviation);
      case Yield::nothing: return;
    }
  }

 private:
  // What a viewer's pages yield. Index entries and abbreviations are rows
  // of the index and the key: those viewers yield one document per row.
  enum class Yield { nothing, popup, image, html, table, entry, indexRows, keyRows };
  static Yield yieldOf(const ViewerKind& viewer) {
    static const std::pair<std::string_view, Yield> kYields[] = {
        {"footnotes", Yield::popup},    {"image", Yield::image},          {"html", Yield::html},
        {"table", Yield::table},        {"tightHierarchy", Yield::entry}, {"index", Yield::indexRows},
        {"key", Yield::keyRows}};
    for (const auto& [name, yield] : kYields)
      if (viewer.name == name) return yield;
    return Yield::nothing;
  }

  std::u16string text(ObjectIndex x) const {
    std::u16string out;
    textOf(db_, x, out);
    return out;
  }

  // A footnote or a popup (the full view of a page's footnotes repeats them).
  void popup(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    if (e.type != tFootnote_ && e.type != tPopup_) return;
    const std::u16string plain = plainTextOf(text(e.index));
    if (plain.empty()) return;
    sink({e.index, e.type == tFootnote_ ? "footnote" : "popup", shortTitle(plain), toUtf8(plain)});
  }

  void image(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    const std::u16string caption = plainTextOf(text(e.index));
    std::u16string note;
    ContentCursor c(db_, e.index);
    if (c.toChildOfType(u"note")) c.text(note);
    sink({e.index, "image", caption.empty() ? std::string("Picture") : toUtf8(caption), toUtf8(plainTextOf(note))});
  }

  // An HTML page, or a question or a result of a decision tree. The index's
  // menus are its rows' documents already; table help pages are not looked for.
  void html(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    // Only a page's own object (with its "html" child) and the steps of a
    // tree carry text; which page it is, the viewer's model says.
    std::u16string html;
    const bool hasHtml = tHtml_ != kNoType && [&] {
      ContentCursor c(db_, e.index);
      return c.toChildOfType(tHtml_) && c.text(html);
    }();
    if (!hasHtml && e.type != tQuestion_ && e.type != tResult_) return;
    const HtmlSourceKind source = selectHtmlPage(db_, htmlKeys_, e.index).source;
    if (source == HtmlSourceKind::html) {
      if (!hasHtml) return;
      const std::u16string title = plainTextOf(text(e.index));
      sink({e.index, "page", title.empty() ? std::string("Page") : toUtf8(title), toUtf8(plainTextOf(html))});
      return;
    }
    if (source == HtmlSourceKind::decisionTree && (e.type == tQuestion_ || e.type == tResult_)) {
      std::u16string body;
      ContentCursor c(db_, e.index);
      std::vector<ObjectEntry> answers;
      c.collectChildren(answers, u"answer", 0);
      for (const ObjectEntry& a : answers) {
        body += plainTextOf(text(a.index));
        body += u' ';
      }
      const std::u16string plain = plainTextOf(text(e.index));
      sink({e.index, e.type == tQuestion_ ? "question" : "result", shortTitle(plain, 80), toUtf8(plain + u' ' + body)});
    }
  }

  // The documents of the rows of a list the viewer shows (its items).
  void rows(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink,
            void (Extractor::*row)(const ObjectEntry&, const std::function<void(SearchDocument&&)>&)) {
    if (tItem_ == kNoType) return;
    std::vector<ObjectEntry> items;
    ContentCursor(db_, e.index).collectChildren(items, tItem_, 0);
    for (const ObjectEntry& item : items) (this->*row)(item, sink);
  }

  // An abbreviation opens the list of abbreviations.
  void abbreviation(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    const std::u16string abbreviation = plainTextOf(text(e.index));
    std::u16string explanation;
    ContentCursor c(db_, e.index);
    if (c.toChildOfType(tField_)) c.text(explanation);
    sink({abbreviations_, "abbreviation", toUtf8(abbreviation), toUtf8(plainTextOf(explanation))});
  }

  void indexEntry(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    const std::u16string plain = plainTextOf(text(e.index));
    std::u16string body;
    std::vector<ObjectEntry> items;
    ContentCursor(db_, e.index).collectChildren(items, tItem_, 0);
    for (const ObjectEntry& item : items) {
      body += plainTextOf(text(item.index));
      body += u"; ";
    }
    sink({e.index, "index", toUtf8(plain), toUtf8(plainTextOf(body))});
  }

  void table(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    crt_.buildTable(e.index);
    std::u16string title;
    enclosingTableTitle(db_, e.index, title);
    const std::u16string item = plainTextOf(text(e.index));
    std::u16string body = plainTextOf(title);
    TableCell cell;
    // Headings first (row 0 and column 0), then the cells row by row; a
    // very large table is cut off after a bounded amount of text.
    const uint32_t rows = crt_.rowCount(), columns = crt_.columnCount();
    for (uint32_t r = 0; r < rows && body.size() < kMaxTableText; ++r)
      for (uint32_t c = 0; c < columns && body.size() < kMaxTableText; ++c) {
        cell = TableCell();
        if (!crt_.cellAt(r, c, cell) || cell.text.empty()) continue;
        body += u" | ";
        body += plainTextOf(cell.text);
      }
    std::u16string shown = item;
    if (!title.empty() && plainTextOf(title) != item) shown += u" \u2014 " + plainTextOf(title);
    sink({e.index, "table", toUtf8(shown), toUtf8(body)});
  }

  void entry(const ObjectEntry& e, const std::function<void(SearchDocument&&)>& sink) {
    if (!hasChildOfType(db_, e.index, u"field")) return;
    const ObjectIndex table = tightHierarchyTableOf(db_, e.index);
    if (table == 0) return;
    if (fields_.preparedTable() != table) fields_.prepareFieldNames(table);
    const std::u16string plain = plainTextOf(text(e.index));
    sink({e.index, "entry", toUtf8(plain), toUtf8(plainTextOf(fields_.buildFieldsPage(e.index)))});
  }

  static constexpr size_t kMaxTableText = 64 * 1024;

  const ContentDatabase& db_;
  const ViewerKinds& viewers_;
  TightCrtTable crt_;  // its own heading toggles: the builder's session, apart from the reader's
  FieldsPage fields_;
  const HtmlPageKeys htmlKeys_;
  uint16_t tItem_, tField_, tFootnote_, tPopup_, tQuestion_, tResult_, tHtml_;
  ObjectIndex abbreviations_;
};

}  // namespace

bool extractDocuments(const ContentDatabase& db, const ViewerKinds& viewers,
                      const std::function<void(SearchDocument&&)>& sink, const SearchProgress& progress,
                      const std::atomic<bool>* cancel) {
  const uint32_t n = db.objectCount();
  Extractor extractor(db, viewers);
  ObjectEntry e;
  for (uint32_t i = 1; i < n; ++i) {
    if ((i & 1023) == 0) {
      if (cancel && cancel->load(std::memory_order_relaxed)) return false;
      if (progress) progress(i, n);
    }
    if (!db.readEntry(i, e)) continue;
    extractor.document(e, sink);
  }
  if (progress) progress(n, n);
  return !(cancel && cancel->load());
}

}  // namespace vantrel
