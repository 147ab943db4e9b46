#include "core/check/GuideCheck.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/TightHierarchyModel.h"
#include "core/html/HtmlViewerModel.h"
#include "core/page/PageSource.h"
#include "core/images/ImageBlob.h"
#include "core/images/ImageViewerModel.h"
#include "core/lists/IndexSource.h"
#include "core/lists/ListViewerModels.h"
#include "core/lists/PagedListModel.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/viewers/ViewerRegistry.h"
#include "core/tables/TightCrtTable.h"
#include "core/tools/CrClForm.h"
#include "core/tools/DecisionTree.h"
#include "core/util/HtmlText.h"
#include "core/util/TextCodec.h"

namespace vantrel {
namespace {

std::string utf8(std::u16string_view text) { return toUtf8(text); }

std::string quoted(std::u16string_view text) {
  std::string s = utf8(text);
  if (s.size() > 60) s = s.substr(0, 57) + "...";
  return "\"" + s + "\"";
}

class Checker {
 public:
  Checker(const std::string& base, const CheckOptions& options) : base_(base), options_(options) {}

  CheckReport run() {
    if (!checkFiles()) return std::move(report_);
    n_ = db_.objectCount();
    readTable();
    checkPageKeys();
    checkLinks();
    checkTables();
    checkDualLists();
    checkImages();
    checkDecisionTrees();
    checkListOrder(keys_.index, checkkind::kIndexOrder, true, "index");
    checkListOrder(keys_.tools, checkkind::kKeyOrder, false, "abbreviations key");
    checkOrphans();
    report_.checked["objects"] = n_;
    return std::move(report_);
  }

 private:
  struct Keys {
    ObjectIndex index = 0, toc = 0, tools = 0;
  };

  void progress(const char* stage, uint64_t done, uint64_t total) {
    if (options_.progress && (done % 65536 == 0 || done == total)) options_.progress(stage, done, total);
  }

  std::string typeOf(ObjectIndex x) const {
    if (x >= n_) return std::string();
    return utf8(db_.typeName(type_[x]));
  }

  // Titles from the root down to x: each ancestor's text (tags removed),
  // or its type in brackets when it has none.
  std::string pathOf(ObjectIndex x) const {
    if (x >= n_) return std::string();
    std::vector<std::string> parts;
    ObjectIndex at = x;
    for (int guard = 0; guard < 256; ++guard) {
      if (at == 0) break;
      std::u16string text;
      std::string part;
      if (textOf(db_, at, text) && !text.empty()) {
        part = utf8(MarkupRenderer::stripAllTags(text));
        if (part.size() > 60) part = part.substr(0, 57) + "...";
      } else {
        part = "[" + typeOf(at) + "]";
      }
      parts.push_back(std::move(part));
      const ObjectIndex up = parent_[at];
      if (up >= at) break;
      at = up;
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
      if (!out.empty()) out += " / ";
      out += *it;
    }
    return out;
  }

  void add(ObjectIndex object, const char* kind, std::string message,
           CheckSeverity severity = CheckSeverity::Error) {
    uint64_t& count = report_.problemCounts[kind];
    ++count;
    if (severity == CheckSeverity::Error) ++report_.errors;
    else ++report_.warnings;
    if (count > options_.maxProblemsPerKind) return;
    CheckProblem p;
    p.object = object;
    p.type = typeOf(object);
    p.kind = kind;
    p.path = pathOf(object);
    p.message = std::move(message);
    p.severity = severity;
    report_.problems.push_back(std::move(p));
  }

  // The three files are there and readable, their stamps agree, and the
  // database opens with content in it.
  bool checkFiles() {
    static const char* const kSuffixes[] = {"-Data.pdb", "-Strings.pdb", "-Binary-PPC.pdb"};
    bool present = true;
    for (const char* suffix : kSuffixes) {
      std::ifstream in(base_ + suffix, std::ios::binary);
      if (!in) {
        add(0, checkkind::kFiles, std::string("cannot open ") + base_ + suffix);
        present = false;
      }
    }
    if (!present) return false;
    // The edition stamp: bytes 4 to 11 of the header record, which follows
    // the record list (a 16-bit count at byte 76, 8 bytes per record from 78).
    unsigned char stamps[2][8] = {};
    bool haveStamps = true;
    for (int f = 0; f < 2; ++f) {
      std::ifstream in(base_ + kSuffixes[f], std::ios::binary);
      unsigned char count[2] = {};
      in.seekg(76);
      in.read(reinterpret_cast<char*>(count), 2);
      in.seekg(78 + 8 * ((count[0] << 8) | count[1]) + 4);
      in.read(reinterpret_cast<char*>(stamps[f]), 8);
      if (!in || in.gcount() != 8) haveStamps = false;
    }
    if (haveStamps && std::memcmp(stamps[0], stamps[1], 8) != 0) {
      add(0, checkkind::kStamps, "the Data and Strings files belong to different editions (their stamps differ)");
      return false;
    }
    if (!db_.open(base_) || db_.objectCount() == 0) {
      add(0, checkkind::kFiles, "the content files do not open: a header or table does not fit its file");
      return false;
    }
    return true;
  }

  void readTable() {
    parent_.assign(n_, 0);
    type_.assign(n_, kNoType);
    for (ObjectIndex i = 0; i < n_; ++i) {
      ObjectEntry e;
      if (db_.readEntry(i, e)) {
        parent_[i] = e.parent;
        type_[i] = e.type;
      }
      progress("reading objects", i + 1, n_);
    }
  }

  void checkPageKeys() {
    struct Named {
      const char* key;
      const char16_t* name;
      ObjectIndex* slot;
    };
    ObjectIndex aboutQd = 0, about = 0, notice = 0, bad = 0, okPage = 0;
    const Named named[] = {
        {"index", u"INDEX", &keys_.index},          {"toc", u"TOC", &keys_.toc},
        {"about_qd", u"AboutVantrelGuide", &aboutQd}, {"about", u"AboutKORVAX", &about},
        {"notice", u"LegitimacyNotice", &notice},   {"tools", u"Abbreviations", &keys_.tools},
        {"dosage (CrCl 90 or more)", u"DOSAGE_CRCL_BAD", &bad},
        {"dosage (CrCl below 90)", u"DOSAGE_CRCL_OK", &okPage},
    };
    for (const Named& k : named) {
      const ObjectIndex x = db_.objectByName(k.name);
      *k.slot = x;
      if (x == 0 || x >= n_) {
        add(0, checkkind::kPageKey, std::string("no object is named ") + quoted(k.name) + " (page " + k.key + ")");
        continue;
      }
      starts_.push_back(x);
      if (!someViewerShows(db_, x))
        add(x, checkkind::kPageKey, std::string("the object named ") + quoted(k.name) + " (page " + k.key +
                                        ") is not shown by any viewer");
    }
  }

  void checkTarget(ObjectIndex from, ObjectIndex target, const std::string& how) {
    if (target >= n_) {
      add(from, checkkind::kLinkPastEnd,
          how + " leads to object " + std::to_string(target) + ", past the last object " + std::to_string(n_ - 1));
      return;
    }
    starts_.push_back(target);
    linkTargets_.insert(target);
    auto cached = shownCache_.find(target);
    bool shown;
    if (cached != shownCache_.end()) {
      shown = cached->second;
    } else {
      shown = someViewerShows(db_, target);
      if (shownCache_.size() < (1u << 20)) shownCache_.emplace(target, shown);
    }
    if (!shown)
      add(from, checkkind::kLinkNotShown,
          how + " leads to object " + std::to_string(target) + " (" + typeOf(target) + ": " + pathOf(target) +
              "), which no viewer shows");
  }

  // "link" objects, and every <a href> in a text.
  void checkLinks() {
    const uint16_t linkType = db_.typeNumber(u"link");
    const uint16_t stringKind = db_.kindNumber(u"string");
    uint64_t links = 0;
    for (ObjectIndex i = 0; i < n_; ++i) {
      progress("checking links", i + 1, n_);
      if (type_[i] == kNoType) continue;
      ObjectEntry e;
      if (type_[i] == linkType && linkType != kNoType) {
        if (!db_.readEntry(i, e)) continue;
        ++links;
        // The reader follows a link's value as an object index whatever its
        // kind is called, so the target is what counts. Only the kind
        // "string" says the value is meant as something else: the text's
        // number is followed as an object all the same.
        if (e.valueKind == stringKind && stringKind != kNoType)
          add(i, checkkind::kLinkKind,
              "the link's value is a text (value kind string); the reader follows its number " +
                  std::to_string(e.value) + " as an object index",
              CheckSeverity::Warning);
        checkTarget(i, e.value, "the link");
        continue;
      }
      if (stringKind == kNoType || !db_.readEntry(i, e) || e.valueKind != stringKind) continue;
      // Only texts that hold a tag are decoded in full.
      const uint32_t length = db_.stringLength(e.value);
      if (length < 4) continue;
      std::string raw(size_t(length) + 1, '\0');  // room for the terminating zero
      if (!db_.readStringBytes(e.value, raw.data(), length)) continue;
      raw.resize(length);
      bool hasAnchor = false;
      for (size_t p = raw.find('<'); p != std::string::npos; p = raw.find('<', p + 1)) {
        if (p + 1 < raw.size() && (raw[p + 1] == 'a' || raw[p + 1] == 'A')) {
          hasAnchor = true;
          break;
        }
      }
      if (!hasAnchor) continue;
      for (const std::u16string& href : markupLinkTargets(db_.readString(e.value))) {
        ++links;
        const LinkTarget target = parseLinkTarget(href);
        if (!target.follow) continue;  // web addresses and empty targets are not followed
        if (href.empty() || href[0] < u'0' || href[0] > u'9') {
          add(i, checkkind::kLinkNotShown, "the link " + quoted(href) + " does not begin with an object number");
          continue;
        }
        checkTarget(i, target.object, "the link " + quoted(href));
      }
    }
    report_.checked["links"] = links;
  }

  // Objects whose own "table type" child reads text.
  std::vector<ObjectIndex> tablesOfType(std::u16string_view text) const {
    std::vector<ObjectIndex> out;
    const uint16_t tt = db_.typeNumber(u"table type");
    if (tt == kNoType) return out;
    for (ObjectIndex i = 1; i < n_; ++i) {
      if (type_[i] != tt) continue;
      std::u16string t;
      if (textOf(db_, i, t) && t == text) {
        const ObjectIndex table = parent_[i];
        if (out.empty() || out.back() != table) out.push_back(table);
      }
    }
    return out;
  }

  // Every tight crt table as the table viewer builds it for the items that
  // links lead to (and for its first item the viewer takes): every cell of
  // a data row has its field. At most kBuildsPerTable builds per table.
  void checkTables() {
    static constexpr size_t kBuildsPerTable = 64;
    const std::vector<ObjectIndex> tables = tablesOfType(u"tight crt");
    report_.checked["tables"] = tables.size();
    const uint16_t itemType = db_.typeNumber(u"hierarchy item");
    std::map<ObjectIndex, std::vector<ObjectIndex>> shownItems;
    for (const ObjectIndex target : linkTargets_) {
      if (!TightCrtTable::accepts(db_, target)) continue;
      ContentCursor c(db_, target);
      if (!c.valid() || !c.toAncestorOfType(u"table")) continue;
      std::vector<ObjectIndex>& list = shownItems[c.index()];
      if (list.size() < kBuildsPerTable) list.push_back(target);
    }
    TightCrtTable model(db_);
    uint64_t done = 0, builds = 0;
    for (const ObjectIndex table : tables) {
      progress("checking tables", ++done, tables.size());
      std::vector<ObjectIndex> items = shownItems[table];
      if (items.empty() && itemType != kNoType) {
        const ObjectIndex first = db_.findGroup(table, itemType);
        if (first != 0 && TightCrtTable::accepts(db_, first)) items.push_back(first);
      }
      std::set<ObjectIndex> reported;
      for (const ObjectIndex item : items) {
        ++builds;
        model.buildTable(item);
        const uint32_t rows = model.allRowCount(), columns = model.allColumnCount();
        if (rows >= kMaxTableLines || columns >= kMaxTableLines) {
          if (reported.insert(item).second)
            add(item, checkkind::kTableSize,
                "the table has " + std::to_string(rows) + " rows and " + std::to_string(columns) +
                    " columns; at most " + std::to_string(kMaxTableLines - 1) + " of each are shown");
        }
        // The leaf that should hold a cell's field: the column's in
        // arrangement 1, the row's otherwise.
        const bool byColumn = model.arrangement() == 1;
        struct Missing {
          uint32_t count = 0;
          std::u16string first;
        };
        std::map<ObjectIndex, Missing> missing;
        std::map<ObjectIndex, std::u16string> holderText;
        const uint32_t rowEnd = std::min(rows, kMaxTableLines), columnEnd = std::min(columns, kMaxTableLines);
        std::vector<TableCell> columnHeadings(columnEnd);
        for (uint32_t col = 1; col < columnEnd; ++col) model.realCell(0, col, columnHeadings[col]);
        for (uint32_t r = 1; r < rowEnd; ++r) {
          TableCell rowHeading;
          model.realCell(r, 0, rowHeading);
          for (uint32_t col = 1; col < columnEnd; ++col) {
            TableCell cell;
            model.realCell(r, col, cell);
            if (cell.object != 0) continue;
            const TableCell& holder = byColumn ? columnHeadings[col] : rowHeading;
            const TableCell& other = byColumn ? rowHeading : columnHeadings[col];
            Missing& m = missing[holder.object];
            if (m.count++ == 0) m.first = other.text;
            holderText[holder.object] = holder.text;
          }
        }
        for (const auto& [holder, m] : missing) {
          if (!reported.insert(holder).second) continue;
          const uint32_t of = byColumn ? rowEnd - 1 : columnEnd - 1;
          add(holder, checkkind::kTableField,
              std::string(byColumn ? "column " : "row ") + quoted(MarkupRenderer::stripAllTags(holderText[holder])) +
                  " has no field for " + std::to_string(m.count) + " of " + std::to_string(of) +
                  (byColumn ? " rows (first: " : " columns (first: ") +
                  quoted(MarkupRenderer::stripAllTags(m.first)) + ")");
        }
      }
    }
    report_.checked["table builds"] = builds;
  }

  void checkDualLists() {
    const std::vector<ObjectIndex> tables = tablesOfType(u"dual list");
    report_.checked["dual lists"] = tables.size();
    DualListModel model(&db_);
    for (const ObjectIndex table : tables) {
      if (!model.show(table)) continue;
      if (model.upper().itemCount() == 0 || model.lower().itemCount() == 0) {
        add(table, checkkind::kDualCounterpart, "the dual list needs two lists of items");
        continue;
      }
      for (int side = 0; side < 2; ++side) {
        const IndexSource& list = side == 0 ? model.upper() : model.lower();
        for (uint32_t row = 0; row < list.itemCount(); ++row) {
          if (model.counterpart(side == 0, row) >= 0) continue;
          const ObjectIndex entry = list.objectAt(row);
          ContentCursor link(db_, entry);
          const bool hasLink = link.valid() && link.toChildOfType(u"link");
          add(entry, checkkind::kDualCounterpart,
              std::string(hasLink ? "the entry's link does not lead to an item of the "
                                  : "the entry has no link to its counterpart in the ") +
                  (side == 0 ? "lower" : "upper") + " list");
        }
      }
    }
  }

  void checkImages() {
    const uint16_t imageType = db_.typeNumber(u"image");
    uint64_t images = 0, variants = 0;
    if (imageType != kNoType) {
      for (ObjectIndex i = 0; i < n_; ++i) {
        progress("checking images", i + 1, n_);
        if (type_[i] != imageType) continue;
        ++images;
        uint32_t blob = 0;
        if (!imageBlobNumber(db_, i, blob) || blob >= db_.blobCount()) {
          add(i, checkkind::kImage, "the picture names blob " + std::to_string(blob) + ", which the guide lacks");
          continue;
        }
        const ImageBlobLayout layout = readImageBlobLayout(db_, blob);
        if (layout.count == 0) {
          add(i, checkkind::kImage, "blob " + std::to_string(blob) + " holds no picture variants");
          continue;
        }
        if (!layout.complete())
          add(i, checkkind::kImage, "blob " + std::to_string(blob) + " declares " + std::to_string(layout.count) +
                                        " variants but is cut short after " + std::to_string(layout.variants.size()));
        for (uint32_t v = 0; v < layout.variants.size(); ++v) {
          ++variants;
          const VariantRange range = variantRange(layout, v);
          const std::string which = "variant " + std::to_string(v) + " (" + std::to_string(layout.variants[v].width) +
                                    "x" + std::to_string(layout.variants[v].height) + ") of blob " +
                                    std::to_string(blob);
          if (!range.ok()) {
            add(i, checkkind::kImage, which + ": " + variantProblemText(range.problem));
            continue;
          }
          if (!options_.decodeImage) continue;
          std::vector<uint8_t> bytes;
          if (!readVariantBytes(db_, blob, range, bytes)) {
            add(i, checkkind::kImage, which + ": its bytes cannot be read");
          } else if (!options_.decodeImage(bytes.data(), bytes.size())) {
            add(i, checkkind::kImage, which + ": the picture does not decode");
          }
        }
      }
    }
    report_.checked["images"] = images;
    report_.checked["image variants"] = variants;
  }

  // Walks a step's questions: every answer leads on to a question or to a
  // link to a result; the results reached are collected.
  void walkStep(ObjectIndex root, std::set<ObjectIndex>& results) {
    std::vector<ObjectIndex> todo{root};
    uint32_t guard = 0;
    while (!todo.empty() && ++guard < 1000000) {
      const ObjectIndex q = todo.back();
      todo.pop_back();
      if (!isOfType(db_, q, u"question")) {
        add(q, checkkind::kDecisionTree, "a step of the decision tree does not start with a question");
        continue;
      }
      std::vector<ObjectEntry> answers;
      ContentCursor(db_, q).collectChildren(answers, u"answer", 0);
      if (answers.empty()) add(q, checkkind::kDecisionTree, "the question has no answers");
      for (const ObjectEntry& a : answers) {
        ContentCursor next(db_, a.index);
        if (!next.toFirstChild()) {
          add(a.index, checkkind::kDecisionTree, "the answer leads nowhere (no question or link under it)");
          continue;
        }
        if (isOfType(db_, next.index(), u"question")) {
          if (next.index() > q) todo.push_back(next.index());
          continue;
        }
        if (!isOfType(db_, next.index(), u"link")) {
          add(a.index, checkkind::kDecisionTree, "the answer's first child is neither a question nor a link");
          continue;
        }
        const ObjectIndex target = next.entry().value;
        if (target >= n_ || !isOfType(db_, target, u"result")) {
          add(a.index, checkkind::kDecisionTree, "the answer's link does not lead to a result");
          continue;
        }
        results.insert(target);
      }
    }
  }

  void checkDecisionTrees() {
    const std::vector<ObjectIndex> trees = tablesOfType(u"decision tree");
    report_.checked["decision trees"] = trees.size();
    for (const ObjectIndex tree : trees) {
      DecisionTreePage page(db_);
      page.resetDecisionTree(tree);
      const DecisionTreeState& s = page.state();
      if (s.step1Root == kNoObject || s.step2Root >= n_ || !isOfType(db_, s.step2Root, u"question") ||
          parent_[s.step2Root] != tree) {
        add(tree, checkkind::kDecisionTree, "the decision tree needs two questions, one for each step");
        continue;
      }
      std::set<ObjectIndex> ec, sc;
      walkStep(s.step1Root, ec);
      walkStep(s.step2Root, sc);
      for (const ObjectIndex a : ec) {
        for (const ObjectIndex b : sc) {
          if (page.findRecommendation(a, b) != kNoObject) continue;
          std::u16string ta, tb;
          textOf(db_, a, ta);
          textOf(db_, b, tb);
          // Some pairs need no recommendation (an exposure that is not one):
          // the page then shows none, which the author should confirm.
          add(tree, checkkind::kDecisionTree,
              "no version recommends anything for " + quoted(ta) + " with " + quoted(tb), CheckSeverity::Warning);
        }
      }
    }
  }

  // The searches find a row by binary search on the rows' starts: a row
  // that sorts before the row above it cannot be found.
  void checkListOrder(ObjectIndex list, const char* kind, bool plainText, const char* what) {
    if (list == 0 || list >= n_) return;
    IndexSource source;
    source.bind(&db_, list, u"hierarchy item");
    const uint32_t count = source.itemCount();
    report_.checked[std::string(what) + " entries"] = count;
    std::u16string previous;
    for (uint32_t row = 0; row < count; ++row) {
      progress(what, row + 1, count);
      std::u16string text = source.itemAt(row).text;
      if (plainText) text = MarkupRenderer::stripAllTags(text);
      if (row > 0 && comparePrefixNoCase(text, previous) < 0) {
        add(source.objectAt(row), kind,
            "entry " + std::to_string(row) + " " + quoted(text) + " sorts before the entry above it " +
                quoted(previous) + ": a search for it will not find it");
      }
      previous = std::move(text);
    }
  }

  // An object is reached when a page key or a link leads to it or to one of
  // its ancestors; the ancestors of a reached object count as reached too.
  // Reported: the topmost objects under a reached object (or the root) that
  // nothing reaches.
  void checkOrphans() {
    // The table, dual list, decision tree and tight hierarchy viewers show
    // their whole table for any object in it: reaching one reaches all.
    std::map<ObjectIndex, ObjectIndex> wholeTable;
    auto promoted = [&](ObjectIndex s) {
      ContentCursor c(db_, s);
      if (!c.valid()) return s;
      if (!isOfType(db_, s, u"table") && !c.toAncestorOfType(u"table")) return s;
      const ObjectIndex t = c.index();
      auto it = wholeTable.find(t);
      if (it == wholeTable.end()) {
        bool whole = false;
        for (const char16_t* type : {u"tight crt", u"dual list", u"decision tree", u"tight hierarchy",
                                     u"linked tight hierarchy"})
          whole = whole || ownTableTypeIs(db_, t, type);
        it = wholeTable.emplace(t, whole ? t : kNoObject).first;
      }
      return it->second == kNoObject ? s : it->second;
    };
    for (ObjectIndex& s : starts_) s = promoted(s);
    std::vector<uint8_t> mark(n_, 0);  // 1 reached (inside), 2 ancestor of a reached object
    for (const ObjectIndex s : starts_)
      if (s < n_) mark[s] = 1;
    for (ObjectIndex i = 1; i < n_; ++i) {
      const ObjectIndex p = parent_[i];
      if (p < i && mark[p] == 1) mark[i] = 1;
    }
    for (const ObjectIndex s : starts_) {
      if (s >= n_) continue;
      ObjectIndex at = s;
      while (at != 0) {
        const ObjectIndex p = parent_[at];
        if (p >= at || mark[p] != 0) break;
        mark[p] = 2;
        at = p;
      }
    }
    uint64_t orphans = 0;
    const uint16_t tableType = db_.typeNumber(u"table");
    const uint16_t tableTypeType = db_.typeNumber(u"table type");
    for (ObjectIndex i = 1; i < n_; ++i) {
      progress("looking for orphans", i + 1, n_);
      if (mark[i] != 0) continue;
      const ObjectIndex p = parent_[i];
      if (p >= i) {
        add(i, checkkind::kOrphan, "the object's parent " + std::to_string(p) + " does not come before it");
        continue;
      }
      if (p != 0 && mark[p] != 2) continue;  // inside an orphan already reported
      // Parts of a page (a table's type, a field) are not pages of their own.
      if (type_[i] == tableTypeType || (type_[i] != tableType && !someViewerShows(db_, i))) continue;
      ++orphans;
      add(i, checkkind::kOrphan, "no page key, contents entry or link leads to this object or into it",
          CheckSeverity::Warning);
    }
    report_.checked["orphans"] = orphans;
  }

  std::string base_;
  const CheckOptions& options_;
  ContentDatabase db_;
  CheckReport report_;
  uint32_t n_ = 0;
  std::vector<ObjectIndex> parent_;
  std::vector<uint16_t> type_;
  std::vector<ObjectIndex> starts_;
  std::map<ObjectIndex, bool> shownCache_;
  std::set<ObjectIndex> linkTargets_;
  Keys keys_;
};

}  // namespace

bool someViewerShows(const ContentDatabase& db, ObjectIndex x) { return viewerKinds().showing(db, x) != nullptr; }

std::vector<std::u16string> markupLinkTargets(std::u16string_view text) {
  std::vector<std::u16string> out;
  HtmlTokenizer tokens(text);
  HtmlToken token;
  while (tokens.next(token)) {
    if (token.kind != HtmlToken::Kind::tag || token.closing || token.name != "a") continue;
    if (const HtmlAttribute* href = token.attribute("href")) out.push_back(href->value);
  }
  return out;
}

const char* severityName(CheckSeverity severity) { return severity == CheckSeverity::Error ? "error" : "warning"; }

CheckReport checkGuide(const std::string& basePath, const CheckOptions& options) {
  return Checker(basePath, options).run();
}

}  // namespace vantrel
