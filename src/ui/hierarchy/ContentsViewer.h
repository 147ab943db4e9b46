#pragma once
// The contents viewer: the table of contents ("toc" and its entries with
// sub-entries) and the hierarchies of "tight crt" tables, shown in one tree
// pane. A tap on an entry with sub-entries opens its page and keeps the tree
// as the user left it; a tap on a leaf follows its link.
#include <QJsonArray>
#include <QJsonObject>
#include <memory>

#include "core/hierarchy/ContentsModel.h"
#include "ui/hierarchy/HierarchyTreePane.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The tree fields of the scripted state: rows (in page-area coordinates),
// highlighted, firstVisible.
void addTreeState(QJsonObject& o, const HierarchyTreePane& pane, const QWidget* pageArea);
// Carries out a tree rebuild as a model decided it.
void applyTreeRebuild(HierarchyTreePane& pane, const TreeRebuild& rebuild);

class ContentsViewer : public ContentViewer,
                       public HierarchyPaneOwner,
                       public ScriptStateSection,
                       public ScriptTree {
 public:
  ContentsViewer(const ContentDatabase& database, MainFrame& frame, ObjectIndex toc, QWidget* pageArea, ScreenDpi dpi);
  ContentsViewer(const ContentDatabase& database, MainFrame& frame, ObjectIndex toc, QWidget* pageArea, int dpiX, int dpiY)
      : ContentsViewer(database, frame, toc, pageArea, ScreenDpi(dpiX, dpiY)) {}
  ~ContentsViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  void onEntryTapped(HierarchyTreePane& pane, ObjectIndex object, bool leaf) override;
  // {object, title, rows, highlighted, firstVisible}.
  QJsonObject scriptState() const override;
  HierarchyTreePane* shownTree() override;

  HierarchyTreePane* pane() const { return pane_; }
  ContentsModel& model() { return model_; }

 private:
  ContentsModel model_;
  QWidget* pageArea_;
  HierarchyTreePane* pane_;
};

}  // namespace vantrel
