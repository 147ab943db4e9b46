#include "userdata/BookmarkWindow.h"

#include <QJsonArray>
#include <algorithm>

#include "platform/DrawingSurface.h"
#include "platform/QtSurface.h"

namespace vantrel {

QJsonObject checkListState(const CheckList& list, QWidget* pageArea) {
  QJsonObject o;
  QJsonArray rows;
  for (const std::u16string& t : list.visibleTexts()) rows.append(QString::fromStdU16String(t));
  std::vector<uint32_t> checked = list.checked();
  std::sort(checked.begin(), checked.end());
  checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
  QJsonArray c;
  for (uint32_t v : checked) c.append(static_cast<qint64>(v));
  o["visibleRows"] = rows;
  o["checked"] = c;
  o["firstRow"] = list.topIndex();
  o["rowHeight"] = list.rowHeight();
  o["itemCount"] = static_cast<qint64>(list.itemCount());
  const QPoint top = pageArea ? list.mapTo(pageArea->window(), QPoint(0, 0)) - pageArea->pos() : list.pos();
  o["y"] = top.y();
  o["h"] = list.rowsArea().height();
  return o;
}

BookmarkWindow::BookmarkWindow(QWidget* parent, const BookmarkList& list, int dpiX, int dpiY)
    : HeaderedWindow(parent, "bookmarks", dpiX, dpiY), bookmarks_(list), items_(list),
      list_(new CheckList(this, dpiX, dpiY)), dpiY_(dpiY) {
  setObjectName("bookmarkWindow");
  setProperty("childId", kChildId);
  setAutoFillBackground(true);
  hide();
  const QFont font = QtSurface::qfontFor(guideFontDescription(dpiY));
  HeaderSettings h;
  h.text = QStringLiteral("Bookmarks");
  h.alignment = 1;
  h.font = font;
  h.collapsed = true;
  setupHeader(h);
  list_->setSource(&items_, font);
}

void BookmarkWindow::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  // The list starts one pixel up under the header and runs two past the
  // bottom, so that its border meets the header's.
  const int h = contentTop();
  const int s1 = scaleForDpi(1, dpiY_), s2 = scaleForDpi(2, dpiY_);
  list_->setGeometry(0, h - s1, width(), height() + s2 - h);
}

void BookmarkWindow::refresh() {
  const int top = list_->topIndex();
  list_->reload(true);
  list_->showFrom(top);
}

int BookmarkWindow::deleteChecked(BookmarkList& list) {
  const int removed = list.removeBookmarks(list_->takeChecked());
  refresh();
  return removed;
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
