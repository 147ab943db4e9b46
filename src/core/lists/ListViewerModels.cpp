#include "core/lists/ListViewerModels.h"

#include "core/content/ContentCursor.h"
#include "core/content/ContentQueries.h"
#include "core/platform/ScreenInfo.h"

namespace vantrel {

// ---- index ----

IndexViewerModel::IndexViewerModel(const ContentDatabase* database, const PageKeys& keys, PageHistory* history)
    : db_(database), history_(history), indexObject_(keys["index"]), searchKey_(keys["index_search"]) {
  // A guide without an index names object 0 under the key: nothing to show.
  if (db_ && indexObject_ != 0) {
    source_.bind(db_, indexObject_, u"hierarchy item");
    textOf(*db_, indexObject_, title_);
  }
}

std::array<uint8_t, 8> IndexViewerModel::rowData(int32_t row) {
  const uint32_t r = static_cast<uint32_t>(row);
  return {0, 0, 0, 0, static_cast<uint8_t>(r), static_cast<uint8_t>(r >> 8), static_cast<uint8_t>(r >> 16),
          static_cast<uint8_t>(r >> 24)};
}

bool IndexViewerModel::show(uint32_t object, const uint8_t* data, size_t length, int listPosition) {
  if (savePending_) {
    const auto bytes = rowData(listPosition);
    if (history_) history_->updateShownData(bytes.data(), bytes.size());
    savePending_ = false;
  }
  const bool isIndex = indexObject_ != 0 && object == indexObject_;
  const bool isSearch = searchKey_ != 0 && object == searchKey_;
  if (!isIndex && !isSearch) return false;
  pendingLetter_ = 0;
  if (isSearch && data && length == 2) {
    pendingLetter_ = static_cast<char16_t>(data[0] | (data[1] << 8));
  } else if (data && length >= 8 && data[0] == 0) {
    restoreRow_ = static_cast<int32_t>(uint32_t(data[4]) | (uint32_t(data[5]) << 8) | (uint32_t(data[6]) << 16) |
                                       (uint32_t(data[7]) << 24));
  }
  return true;
}

IndexViewerModel::Start IndexViewerModel::afterLayout() {
  Start s;
  if (pendingLetter_ != 0) {
    s.letter = pendingLetter_;
    return s;
  }
  s.row = restoreRow_ > 0 ? restoreRow_ : -1;
  restoreRow_ = 0;
  return s;
}

IndexViewerModel::Open IndexViewerModel::rowTapped(uint32_t row) {
  savePending_ = true;
  return {source_.itemAt(row).data, {}};
}

IndexViewerModel::Open IndexViewerModel::linkTapped(int32_t linkId, const std::u16string& anchorName) {
  savePending_ = true;
  Open o;
  o.object = static_cast<ObjectIndex>(linkId);
  if (!anchorName.empty()) {
    for (char16_t c : anchorName) {
      o.data.bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      o.data.bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    o.data.bytes.push_back(0);
    o.data.bytes.push_back(0);
  }
  return o;
}

// ---- key ----

KeyViewerModel::KeyViewerModel(const ContentDatabase* database, const PageKeys& keys)
    : db_(database), keyObject_(keys["tools"]), page_(*database, u"field") {}

bool KeyViewerModel::show(uint32_t object) {
  if (!db_ || keyObject_ == 0 || object != keyObject_) return false;
  source_.bind(db_, keyObject_, u"hierarchy item");
  title_.clear();
  textOf(*db_, keyObject_, title_);
  return true;
}

std::u16string KeyViewerModel::explanationText(ObjectIndex entry) const {
  std::u16string out;
  if (!db_) return out;
  ContentCursor c(*db_, entry);
  if (c.valid() && c.toChildOfType(u"field")) c.text(out);
  return out;
}

// ---- dual list ----

int64_t counterpartRow(const ContentDatabase& db, ObjectIndex entry, ObjectIndex targetList) {
  ContentCursor e(db, entry);
  // Without a "link" child the entry has no counterpart (its own value
  // names nothing in the other list).
  if (!e.valid() || !e.toChildOfType(u"link")) return -1;
  const ObjectIndex t = e.entry().value;
  ContentCursor target(db, t);
  if (!target.valid() || !isOfType(db, t, u"item") || target.entry().parent != targetList) return -1;
  const uint32_t b = target.run();
  if (!target.toParent() || !target.toChildOfType(u"item")) return -1;
  const uint32_t f = target.run();
  if (f < b) return -1;
  return static_cast<int64_t>(f) - b;
}

DualListLayout dualListLayout(int dpiY, const Rect& client, int headerH) {
  auto s = [dpiY](int n) { return (n * dpiY + 48) / 96; };
  const int H = client.height();
  const int h = headerH;
  // Computed in single precision and truncated toward zero.
  const int K = static_cast<int>(static_cast<float>((H - h) - (2 * s(15) + s(9))) / 2.0f);
  const int w = client.width();
  DualListLayout l;
  l.divider = rectXYWH(client.left, s(15) + s(6) + h + K, w, s(4) + 2 * s(15));
  l.upper = rectXYWH(client.left, client.top + h, w, s(15) + s(6) + K);
  l.lower = rectXYWH(client.left, 2 * s(15) + s(5) + h + K, w, client.bottom - K - s(2) - 2 * s(15) - h);
  return l;
}

int dualListDivider(Size screen, int dpiX) {
  const bool high = dpiX >= 192;
  // Square: height / width exactly 1; portrait when its integer part is above 0.
  const bool landscape = screen.width > 0 && static_cast<int>(static_cast<double>(screen.height) / screen.width) == 0;
  if (landscape) return high ? 468 : 467;
  return high ? 470 : 469;
}

DualListModel::DualListModel(const ContentDatabase* database) : db_(database) {}

bool DualListModel::show(uint32_t object) {
  if (!db_ || !tableTypeIs(*db_, object, u"dual list")) return false;
  // The lists are read from the table, also when an object inside it is shown.
  ContentCursor c(*db_, object);
  if (!c.valid()) return false;
  if (!isOfType(*db_, object, u"table")) c.toAncestorOfType(u"table");
  table_ = c.index();
  ObjectIndex upper = 0, lower = 0;
  if (c.toChildOfType(u"list")) {
    upper = c.index();
    if (c.toNextOfType(u"list")) lower = c.index();
  }
  upper_.bind(upper ? db_ : nullptr, upper, u"item");
  lower_.bind(lower ? db_ : nullptr, lower, u"item");
  title_.clear();
  enclosingTableTitle(*db_, object, title_);
  return true;
}

int64_t DualListModel::counterpart(bool fromUpper, uint32_t row) const {
  const IndexSource& from = fromUpper ? upper_ : lower_;
  const IndexSource& to = fromUpper ? lower_ : upper_;
  if (!db_ || row >= from.itemCount() || to.object() == 0) return -1;
  return counterpartRow(*db_, from.objectAt(row), to.object());
}

}  // namespace vantrel
