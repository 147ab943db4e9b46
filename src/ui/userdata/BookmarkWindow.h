#pragma once
// The bookmark list page: a header "Bookmarks" over the checkbox list of
// the bookmarks' titles (child id 254). A tapped title is reported with its
// position; the chrome deletes the checked ones.
#include <QJsonObject>
#include <functional>

#include "ui/lists/PagedList.h"
#include "core/chrome/UserDataPages.h"
#include "ui/tables/TitleHeader.h"
#include "core/userdata/BookmarkList.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The bookmark list as the list control reads it: (title, position).
class BookmarkItems : public ItemSource {
 public:
  explicit BookmarkItems(const BookmarkList& list) : list_(list) {}
  Item itemAt(uint32_t i) const override {
    ListItem item = list_.itemAt(i);
    return {std::move(item.text), static_cast<uint32_t>(item.data)};
  }
  uint32_t itemCount() const override { return list_.itemCount(); }

 private:
  const BookmarkList& list_;
};

class BookmarkWindow : public HeaderedWindow, public BookmarkPage, public Rescalable, private ItemOwner {
 public:
  static constexpr int kChildId = 234;
  static constexpr int kListId = 254;

  BookmarkWindow(QWidget* parent, const BookmarkList& list, ScreenDpi dpi);
  BookmarkWindow(QWidget* parent, const BookmarkList& list, int dpiX, int dpiY)
      : BookmarkWindow(parent, list, ScreenDpi(dpiX, dpiY)) {}

  // Where a tapped title goes: its position.
  void setChosenHandler(std::function<void(uint32_t)> chosen) { chosen_ = std::move(chosen); }

  // Shown above the page it covers.
  void setShown(bool shown) override {
    setVisible(shown);
    if (shown) raise();
  }

  // BookmarkPage.
  LayoutWindow* pageWindow() override { return this; }
  void refresh() override;
  std::vector<uint32_t> takeChecked() override { return list_->takeChecked(); }

  PagedList* list() const { return list_; }
  // The header's and the list's font at the resolution read now; the list
  // keeps its place and its checkmarks.
  void rescale() override;
  // The scripted run's view of the window.
  QJsonObject scriptState(QWidget* pageArea) const;

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  void itemChosen(PagedList&, uint32_t data) override {
    if (chosen_) chosen_(data);
  }
  void itemDoubleTapped(PagedList&) override {}
  void setupTitle();

  const BookmarkList& bookmarks_;
  BookmarkItems items_;
  PagedList* list_;
  ScreenDpi dpi_;
  std::function<void(uint32_t)> chosen_;
};

// The checkbox list of the bookmark window and the notes panel: made with
// checkboxes, child id 254, no header of its own, the guide font.
PagedList* makeCheckList(QWidget* parent, const ItemSource* source, ScreenDpi dpi, ItemOwner* owner);
// Its font after a change of resolution.
void rescaleCheckList(PagedList& list, ScreenDpi dpi);
inline PagedList* makeCheckList(QWidget* parent, const ItemSource* source, int dpiX, int dpiY, ItemOwner* owner) {
  return makeCheckList(parent, source, ScreenDpi(dpiX, dpiY), owner);
}
// Toggles the box of row (from 0) of the page shown, as a tap on it would;
// false when the page has no such row.
bool toggleCheckRow(PagedList& list, int row);
// The rows part of a scripted run's state, shared by the bookmark and note lists.
QJsonObject checkListState(const PagedList& list, QWidget* pageArea);

}  // namespace vantrel
