#pragma once
// The tight hierarchy viewer: a "tight hierarchy" or "linked tight
// hierarchy" table in the split window (tree above, fields page below) with
// the field-jump button under it, whose popup list scrolls the fields page
// to the chosen field.
#include <QJsonObject>
#include <string>
#include <utility>
#include <vector>

#include "ui/hierarchy/HierarchySplitWindow.h"
#include "ui/hierarchy/HierarchyTreePane.h"
#include "core/hierarchy/TightHierarchyModel.h"
#include "ui/html/HtmlPane.h"
#include "ui/shell/ScriptState.h"
#include "core/page/Viewer.h"
#include "ui/tables/ButtonBar.h"
#include "ui/tables/MarkupMenu.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

class TightHierarchyViewer : public ContentViewer,
                             public HierarchyPaneOwner,
                             public HtmlPaneOwner,
                             public ButtonBarListener,
                             public MenuHostListener,
                             public ScriptStateSection,
                             public ScriptLinkTarget,
                             public ScriptTree,
                             public Rescalable {
 public:
  // pageArea: the frame's window; menuHost: the host of the field-jump list
  // (a child of the main window, kept by the caller; may be null in tests).
  TightHierarchyViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, MenuHost* menuHost,
                       ScreenDpi dpi);
  TightHierarchyViewer(const ContentDatabase& database, MainFrame& frame, QWidget* pageArea, MenuHost* menuHost, int dpiX, int dpiY)
      : TightHierarchyViewer(database, frame, pageArea, menuHost, ScreenDpi(dpiX, dpiY)) {}
  ~TightHierarchyViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override;
  void onEntryTapped(HierarchyTreePane& pane, ObjectIndex object, bool leaf) override;
  void linkTapped(HtmlPane& pane, ObjectIndex linkId, int unused) override;
  void imageRequested(HtmlPane&, const std::u16string&, uint32_t) override {}
  void buttonCommand(int code) override;
  void menuChosen(int index) override;
  // {object, title, tree: {rows, highlighted, firstVisible}, ratio,
  // splitter: {y, h, bitmap}, html, anchor, fieldNames}.
  QJsonObject scriptState() const override;
  bool linksShown() const override;
  bool followLink(const std::string& href, std::string& error) override;
  HierarchyTreePane* shownTree() override;
  // The title, the fields pane's font and the button bar at the resolution
  // read now (the tree pane rescales itself).
  void rescale() override;

  HierarchySplitWindow* window() const { return window_; }
  ButtonBar* buttonBar() const { return bar_; }
  TightHierarchyModel& model() { return model_; }
  // The names the field-jump list offered last, with their fields.
  const std::vector<std::pair<std::u16string, ObjectIndex>>& jumpList() const { return jumpList_; }

 private:
  void applyDpi();
  void setupHeader();

  TightHierarchyModel model_;
  QWidget* pageArea_;
  HierarchySplitWindow* window_;
  ButtonBar* bar_;
  MenuHost* menuHost_;
  std::vector<std::pair<std::u16string, ObjectIndex>> jumpList_;
  ScreenDpi dpi_;
};

}  // namespace vantrel
