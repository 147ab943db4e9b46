#pragma once
// What the index, key and dual list viewers decide without a window: the
// pages they take, their sources, the searches, the page data the index
// keeps in the history, and the counterpart a dual-list entry points at.
// The Qt viewers (src/ui/lists/ListViewers) draw and carry the decisions out.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/content/ContentDatabase.h"
#include "core/platform/Geometry.h"
#include "core/html/PageSources.h"
#include "core/lists/IndexSource.h"
#include "core/page/PageData.h"
#include "core/page/PageHistory.h"
#include "core/page/PageKeys.h"

namespace vantrel {

// The index: the "hierarchy item" children of the page key "index", searched
// on their plain text. The page key "index_search" opens it with a first
// letter typed (two bytes of page data: the UTF-16 letter, low byte first).
// Eight bytes of page data (a 32-bit 0, then a 32-bit row, little-endian)
// bring it back at that row; the viewer writes them into the history entry
// of the index when the user leaves it by a tap on an entry or a link.
class IndexViewerModel {
 public:
  IndexViewerModel(const ContentDatabase* database, const PageKeys& keys, PageHistory* history);

  // Accepts the index and index_search pages. Before that, a page left by a
  // tap in the list gets its row written back (listPosition: where the list is).
  bool show(uint32_t object, const uint8_t* data, size_t length, int listPosition);
  // After the layout: the letter to type (0: none), or the row to restore
  // (-1: none, the list at the top).
  struct Start {
    char16_t letter = 0;
    int64_t row = -1;
  };
  Start afterLayout();

  // The row a search for text selects (-1: none, the list at the top).
  int64_t search(std::u16string_view text) const { return searchRows(source_, text, true); }
  // A tap on a row or on a link: what to open, with its page data; the
  // list's row is written back to the history on the next page change.
  struct Open {
    ObjectIndex object = 0;
    PageData data;
  };
  Open rowTapped(uint32_t row);
  Open linkTapped(int32_t linkId, const std::u16string& anchorName);

  const IndexSource& source() const { return source_; }
  ObjectIndex indexObject() const { return indexObject_; }
  const std::u16string& title() const { return title_; }
  bool savePending() const { return savePending_; }
  // The page data that brings the index back at a row.
  static std::array<uint8_t, 8> rowData(int32_t row);

 private:
  const ContentDatabase* db_;
  PageHistory* history_;
  ObjectIndex indexObject_;
  uint32_t searchKey_;
  IndexSource source_;
  std::u16string title_;
  char16_t pendingLetter_ = 0;
  int32_t restoreRow_ = 0;
  bool savePending_ = false;
};

// The abbreviations key ("tools"): its "hierarchy item" children searched on
// their stored text (markup included); the explanation of an entry is the
// text of its first "field" child, as a page.
class KeyViewerModel {
 public:
  KeyViewerModel(const ContentDatabase* database, const PageKeys& keys);
  bool show(uint32_t object);
  int64_t search(std::u16string_view text) const { return searchRows(source_, text, false); }
  const IndexSource& source() const { return source_; }
  PageSource& explanationPage() { return page_; }
  ObjectIndex keyObject() const { return keyObject_; }
  const std::u16string& title() const { return title_; }
  // The text of the first "field" child of an entry (empty when none).
  std::u16string explanationText(ObjectIndex entry) const;

 private:
  const ContentDatabase* db_;
  ObjectIndex keyObject_;
  IndexSource source_;
  ObjectTextPage page_;
  std::u16string title_;
};

// A "dual list" table: its first "list" child is the upper list, the next
// "list" the lower one; every "item" names its counterpart in the other list
// with its first "link" child.
class DualListModel {
 public:
  explicit DualListModel(const ContentDatabase* database);
  // Takes a "dual list" table or anything inside one; false leaves the model unchanged.
  bool show(uint32_t object);
  const IndexSource& upper() const { return upper_; }
  const IndexSource& lower() const { return lower_; }
  const std::u16string& title() const { return title_; }
  ObjectIndex table() const { return table_; }
  // The row of the counterpart of a row of one list in the other list; -1
  // when the entry has no link, or its link does not lead to an item of the
  // other list.
  int64_t counterpart(bool fromUpper, uint32_t row) const;

 private:
  const ContentDatabase* db_;
  IndexSource upper_, lower_;
  std::u16string title_;
  ObjectIndex table_ = 0;
};

// Where the dual list window puts its children below a header of height
// headerH in the client rectangle (all sizes from dpiY). The divider
// overlaps the top of the lower list, which lies above it in the window
// order; the lower list may reach a few pixels below the client area.
struct DualListLayout {
  Rect upper, divider, lower;
};
DualListLayout dualListLayout(int dpiY, const Rect& client, int headerH);
// The divider picture for a screen: 467 landscape, 469 portrait or square;
// 468 and 470 their twins when dpiX is 192 or more.
int dualListDivider(Size screen, int dpiX);

// The counterpart row of entry object e among the "item" children of the
// list object target; -1 as above. Shared by the viewer and vantrel-dump.
int64_t counterpartRow(const ContentDatabase& db, ObjectIndex entry, ObjectIndex targetList);

}  // namespace vantrel
