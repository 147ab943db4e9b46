#include "ui/userdata/BookmarkWindow.h"

#include <QJsonArray>
#include <algorithm>

#include "core/platform/DrawingSurface.h"
#include "ui/platform/QtSurface.h"

namespace vantrel {

namespace {
QFont checkListFont(ScreenDpi dpi) { return QtSurface::qfontFor(guideFontDescription(dpi.y())); }
}  // namespace

PagedList* makeCheckList(QWidget* parent, const ItemSource* source, ScreenDpi dpi, ItemOwner* owner) {
  auto* list = new PagedList(parent, true, dpi, "checkList");
  list->setObjectName("checkList");
  list->setProperty("childId", BookmarkWindow::kListId);
  HeaderSettings none;
  none.shown = false;
  list->setSource(none, checkListFont(dpi), source);
  list->setOwner(owner);
  return list;
}

void rescaleCheckList(PagedList& list, ScreenDpi dpi) {
  list.setFonts(checkListFont(dpi), checkListFont(dpi));
}

bool toggleCheckRow(PagedList& list, int row) {
  if (row < 0 || static_cast<size_t>(row) >= list.model().entries().size()) return false;
  list.tapped(row, true);
  return true;
}

QJsonObject checkListState(const PagedList& list, QWidget* pageArea) {
  QJsonObject o;
  QJsonArray rows;
  for (const PageEntry& e : list.model().entries()) rows.append(QString::fromStdU16String(e.item.text));
  std::vector<uint32_t> checked = list.model().checked();
  std::sort(checked.begin(), checked.end());
  checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
  QJsonArray c;
  for (uint32_t v : checked) c.append(static_cast<qint64>(v));
  o["visibleRows"] = rows;
  o["checked"] = c;
  o["firstRow"] = static_cast<qint64>(list.topIndex());
  o["rowHeight"] = list.view()->rowHeight();
  o["itemCount"] = static_cast<qint64>(list.model().itemCount());
  const QWidget* view = list.view();
  const QPoint top = pageArea ? view->mapTo(pageArea->window(), QPoint(0, 0)) - pageArea->pos() : view->pos();
  o["y"] = top.y();
  o["h"] = view->height();
  return o;
}

BookmarkWindow::BookmarkWindow(QWidget* parent, const BookmarkList& list, ScreenDpi dpi)
    : HeaderedWindow(parent, "bookmarks", dpi), bookmarks_(list), items_(list),
      list_(makeCheckList(this, &items_, dpi, this)), dpi_(dpi) {
  setObjectName("bookmarkWindow");
  setProperty("childId", kChildId);
  setAutoFillBackground(true);
  hide();
  setupTitle();
}

void BookmarkWindow::setupTitle() {
  HeaderSettings h;
  h.text = QStringLiteral("Bookmarks");
  h.alignment = 1;
  h.font = QtSurface::qfontFor(guideFontDescription(dpi_.y()));
  h.collapsed = true;
  setupHeader(h);
}

void BookmarkWindow::rescale() {
  setupTitle();
  rescaleCheckList(*list_, dpi_);
}

void BookmarkWindow::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  // The list starts one pixel up under the header and runs two past the
  // bottom, so that its border meets the header's.
  const int h = contentTop();
  const int s1 = scaleForDpi(1, dpi_.y()), s2 = scaleForDpi(2, dpi_.y());
  list_->setGeometry(0, h - s1, width(), height() + s2 - h);
}

void BookmarkWindow::refresh() {
  const int64_t top = list_->topIndex();
  list_->reload(true);
  list_->showFrom(top);
}

QJsonObject BookmarkWindow::scriptState(QWidget* pageArea) const {
  QJsonObject o = checkListState(*list_, pageArea);
  QJsonArray rows;
  for (uint32_t i = 0; i < bookmarks_.itemCount(); ++i)
    rows.append(QString::fromStdU16String(bookmarks_.itemAt(i).text));
  o["rows"] = rows;
  o["readOnly"] = bookmarks_.store().readOnly();
  return o;
}

}  // namespace vantrel
