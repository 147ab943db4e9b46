#pragma once
// What the contents viewer decides without a window: which objects it
// shows and through which source, the caption and title, whether the tree
// is rebuilt, and what a tap on an entry leads to. The window (the tree
// pane) carries the decisions out.
#include <cstdint>
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"
#include "core/hierarchy/HierarchySource.h"

namespace vantrel {

enum class HierarchySourceKind { None, Basic, TightCrt };

// Which source the contents viewer shows object through; None when it
// refuses the object. toc is the object of the page key "toc".
HierarchySourceKind contentsSourceFor(const ContentDatabase& database, ObjectIndex object, ObjectIndex toc);

// How a show changes the tree.
struct TreeRebuild {
  enum class Kind {
    Keep,        // leave the tree as the user left it
    Root,        // setRoot(root)
    RootAndShow  // setRoot(root), then showObject(show, expand)
  };
  Kind kind = Kind::Keep;
  ObjectIndex root = 0;
  ObjectIndex show = 0;
};

// What a tap on a tree entry asks of the viewer.
struct EntryTapAction {
  enum class Kind {
    Nothing,   // a tap is already being handled
    Navigate,  // navigate to target with data, then (for a leaf) show the pane again
  };
  Kind kind = Kind::Nothing;
  ObjectIndex target = 0;
  std::vector<uint8_t> data;
  bool showPaneAgain = false;
};

class ContentsModel {
 public:
  ContentsModel(const ContentDatabase& database, ObjectIndex toc);

  // Takes object when the viewer shows it: chooses the source, the caption
  // (the enclosing table's title), the page title and the rebuild. False
  // (nothing changed) otherwise.
  bool show(ObjectIndex object);
  // The navigation finished: a later show may rebuild the tree again.
  void afterLayout() { tapInProgress_ = false; }
  // A tap on an entry's label.
  EntryTapAction entryTapped(ObjectIndex object, bool leaf);

  const HierarchySource& source() const;
  HierarchySourceKind sourceKind() const { return kind_; }
  ObjectIndex object() const { return object_; }
  const std::u16string& caption() const { return caption_; }
  const std::u16string& title() const { return title_; }
  const TreeRebuild& rebuild() const { return rebuild_; }
  bool tapInProgress() const { return tapInProgress_; }

 private:
  const ContentDatabase& db_;
  ObjectIndex toc_;
  BasicHierarchySource basic_;
  TightCrtHierarchySource tightCrt_;
  HierarchySourceKind kind_ = HierarchySourceKind::Basic;
  ObjectIndex object_ = 0;
  std::u16string caption_;
  std::u16string title_;
  TreeRebuild rebuild_;
  bool tapInProgress_ = false;
};

}  // namespace vantrel
