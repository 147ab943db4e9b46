#pragma once
// What the tight hierarchy viewer decides without a window: acceptance, the
// steps of a show (tree rebuild, fields page, anchor, title), what a tap on
// the tree or on a link of the fields page leads to, and the field-jump
// list. The viewer's windows (tree pane, HTML pane, splitter, button bar)
// carry the decisions out.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/hierarchy/ContentsModel.h"
#include "core/hierarchy/FieldsPage.h"
#include "core/hierarchy/HierarchySource.h"

namespace vantrel {

inline constexpr int kFieldJumpButton = 333;

// The table of a tight hierarchy page: the object itself when it has a
// "table type" child, else its nearest "table" ancestor; 0 when the viewer
// refuses the object (no such table, no "field name" child, or another
// table type).
ObjectIndex tightHierarchyTableOf(const ContentDatabase& database, ObjectIndex object);

class TightHierarchyModel {
 public:
  explicit TightHierarchyModel(const ContentDatabase& database);

  // Takes object (with its page data) when the viewer shows it. False
  // (nothing changed) otherwise.
  bool show(ObjectIndex object, const uint8_t* data, size_t length);
  // What afterLayout loads: the entry whose fields are shown (0: none) and
  // the anchor to scroll to (empty: none).
  ObjectIndex entryToShow() const { return entry_; }
  const std::u16string& anchor() const { return anchor_; }

  EntryTapAction entryTapped(ObjectIndex object, bool leaf);

  // The field-jump list for the page shown: the names the last fields page
  // filled, with their field objects. Empty when the page object has no
  // "field" child (the button then does nothing).
  std::vector<std::pair<std::u16string, ObjectIndex>> fieldJumpList() const;

  const HierarchySource& source() const { return basic_; }
  FieldsPage& fieldsPage() { return page_; }
  const FieldsPage& fieldsPage() const { return page_; }
  ObjectIndex object() const { return object_; }
  ObjectIndex table() const { return table_; }
  const std::u16string& caption() const { return caption_; }
  const std::u16string& title() const { return title_; }
  const TreeRebuild& rebuild() const { return rebuild_; }
  bool tapInProgress() const { return tapInProgress_; }
  // The texts of every "field name" child of the table, in order.
  std::vector<std::u16string> fieldNameTexts() const;

 private:
  void prepareFields(ObjectIndex object);

  const ContentDatabase& db_;
  BasicHierarchySource basic_;
  FieldsPage page_;
  ObjectIndex object_ = 0;
  ObjectIndex table_ = 0;
  ObjectIndex entry_ = 0;
  std::u16string anchor_;
  std::u16string caption_;
  std::u16string title_;
  TreeRebuild rebuild_;
  bool tapInProgress_ = false;
};

}  // namespace vantrel
