// The table's Qt windows: the grid drawn off-screen (grid lines, headings,
// highlight by inversion, the cut-off triangle), bars synchronised with the
// grid, taps and the popup, and the footnote popup's placement and dialog.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "../../core/tables/TableFixture.h"
#include "ui/platform/Accessible.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/shell/OpenWindows.h"
#include "ui/tables/TableWindow.h"

namespace vantrel {
namespace {

using test::SampleGuide;

QRgb rgbOf(Colour c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }

class GridWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = std::make_unique<TableViewerModel>(guide.db);
    widget = std::make_unique<TableGridWidget>(nullptr, nullptr, *model, 96, 96);
  }
  void showItem(const std::u16string& name, int w, int h) {
    ASSERT_TRUE(model->show(guide[name]));
    widget->sourceChanged();
    widget->resize(w, h);
    widget->relayout();
  }
  QRgb pixel(int x, int y) const { return widget->buffer().pixel(x, y) | 0xFF000000u; }

  SampleGuide guide;
  std::unique_ptr<TableViewerModel> model;
  std::unique_ptr<TableGridWidget> widget;
};

TEST_F(GridWidgetTest, DrawsHeadingsGridLinesAndInvertedSelection) {
  showItem(u"Whole", 240, 200);
  const TableGrid& grid = model->grid();
  ASSERT_EQ(grid.rowHeight(), 20);
  EXPECT_EQ(grid.scrollBarMask(), 0);  // 6 rows of 20 and a few short columns fit
  EXPECT_FALSE(widget->verticalBar()->isVisibleTo(widget.get()));
  const int w0 = grid.columnWidth(0);
  ASSERT_GT(w0, 0);
  // The corner's bottom grid line and its right edge.
  EXPECT_EQ(pixel(2, 19), rgbOf(0x666666));
  EXPECT_EQ(pixel(w0 - 1, 5), rgbOf(0x666666));
  // A data heading keeps the model's heading colour; a body cell is white.
  TableCell heading;
  ASSERT_TRUE(model->model().cellAt(0, 1, heading));
  EXPECT_EQ(pixel(w0 + 2, 2), rgbOf(heading.colour));
  EXPECT_EQ(pixel(w0 + 2, 22), qRgb(255, 255, 255));

  // Selecting row 1 from its heading inverts the body, not the heading.
  TableCell rowHeading;
  ASSERT_TRUE(model->model().cellAt(1, 0, rowHeading));
  widget->tapAt(3, 25);
  EXPECT_EQ(grid.selectedRows(), std::set<uint32_t>{model->model().rowAt(1)});
  EXPECT_EQ(pixel(w0 + 2, 22), qRgb(0, 0, 0));
  EXPECT_EQ(pixel(1, 22), rgbOf(rowHeading.colour));
  // A second tap restores the colours in place.
  widget->tapAt(3, 25);
  EXPECT_TRUE(grid.selectedRows().empty());
  EXPECT_EQ(pixel(w0 + 2, 22), qRgb(255, 255, 255));
}

TEST_F(GridWidgetTest, NarrowWindowScrollsWithItsBarsAndMarksCutOffHeadings) {
  showItem(u"Whole", 90, 60);
  const TableGrid& grid = model->grid();
  EXPECT_EQ(grid.scrollBarMask(), 3);
  EXPECT_TRUE(widget->verticalBar()->isVisibleTo(widget.get()));
  EXPECT_TRUE(widget->horizontalBar()->isVisibleTo(widget.get()));
  EXPECT_TRUE(widget->cornerBox()->isVisibleTo(widget.get()));
  EXPECT_EQ(widget->verticalBar()->geometry(), QRect(grid.verticalBar().rect.left, grid.verticalBar().rect.top,
                                                     grid.verticalBar().rect.width(), grid.verticalBar().rect.height()));
  // Line down moves one row; the bar follows the grid.
  widget->scroll(true, ScrollCode::LineDown);
  EXPECT_EQ(grid.scrollY(), 20);
  EXPECT_EQ(widget->verticalBar()->value(), 20);
  // Thumb tracking past the end stops at the maximum.
  widget->scroll(true, ScrollCode::ThumbTrack, 100000);
  EXPECT_EQ(grid.scrollY(), grid.verticalBar().maximum - grid.verticalBar().page);
  widget->scroll(false, ScrollCode::LineDown);
  EXPECT_EQ(grid.scrollX(), grid.columnWidth(model->model().columnAt(1)));
  // Relayout returns to the top-left corner.
  widget->relayout();
  EXPECT_EQ(grid.scrollX(), 0);
  EXPECT_EQ(grid.scrollY(), 0);
}

TEST_F(GridWidgetTest, WheelAndKeysScrollAsTheBarsDo) {
  showItem(u"Whole", 90, 60);
  const TableGrid& grid = model->grid();
  ASSERT_EQ(grid.scrollBarMask(), 3);
  auto key = [&](int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, mods);
    QApplication::sendEvent(widget.get(), &e);
  };
  auto wheel = [&](QPoint delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(10, 10), QPointF(10, 10), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget.get(), &e);
  };
  key(Qt::Key_Down);
  EXPECT_EQ(grid.scrollY(), 20);
  EXPECT_EQ(widget->verticalBar()->value(), 20);
  key(Qt::Key_Up);
  EXPECT_EQ(grid.scrollY(), 0);
  key(Qt::Key_PageDown);
  EXPECT_GT(grid.scrollY(), 0);
  key(Qt::Key_PageUp);
  EXPECT_EQ(grid.scrollY(), 0);
  key(Qt::Key_Right);
  EXPECT_EQ(grid.scrollX(), grid.columnWidth(model->model().columnAt(1)));
  key(Qt::Key_Left);
  EXPECT_EQ(grid.scrollX(), 0);
  // Alt with an arrow is left to the window's shortcuts.
  key(Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(grid.scrollY(), 0);
  // One notch down moves down (three lines at most, held at the end); one up comes back.
  wheel(QPoint(0, -120));
  EXPECT_GT(grid.scrollY(), 0);
  EXPECT_EQ(widget->verticalBar()->value(), grid.scrollY());
  wheel(QPoint(0, 120));
  EXPECT_EQ(grid.scrollY(), 0);
  // Sideways, or with Shift, the wheel scrolls across.
  wheel(QPoint(-120, 0));
  EXPECT_GT(grid.scrollX(), 0);
  wheel(QPoint(0, 120), Qt::ShiftModifier);
  EXPECT_EQ(grid.scrollX(), 0);
  EXPECT_EQ(widget->focusPolicy(), Qt::StrongFocus);
}

// A table whose only row heading is far wider than a column may be.
struct LongHeadingGuide {
  LongHeadingGuide() {
    ContentWriter w(u"guide");
    using H = ContentWriter::Handle;
    auto item = [&](H parent, const std::u16string& text) {
      const H h = w.add(parent, u"hierarchy item");
      w.setText(h, text);
      return h;
    };
    const H table = w.add(0, u"table");
    w.setText(table, u"Long");
    w.setText(w.add(table, u"table type"), u"tight crt");
    const H a = item(table, u"Whole");
    item(a, u"Everything");
    const H b = item(table, u"Rows");
    const H c = item(table, u"Cols");
    const H row = item(b, u"A row heading far too long for the widest column of all");
    item(c, u"c1");
    w.setText(w.add(row, u"field"), u"x");
    std::string error;
    EXPECT_TRUE(w.write(folder.base(), &error)) << error;
    whole = w.indexOf(a);
    EXPECT_TRUE(db.open(folder.base()));
  }
  test::TempFolder folder;
  ContentDatabase db;
  ObjectIndex whole = 0;
};

TEST(GridCutOffTest, LongHeadingIsCutWithATriangleThatOpensThePopup) {
  LongHeadingGuide g;
  TableViewerModel model(g.db);
  TableGridWidget widget(nullptr, nullptr, model, 96, 96);
  OpenWindows openWindows(&widget);  // the widget stands for the main window
  ASSERT_TRUE(model.show(g.whole));
  widget.sourceChanged();
  widget.resize(240, 200);
  widget.relayout();
  const TableGrid& grid = model.grid();
  const int w0 = grid.columnWidth(0);
  ASSERT_GT(w0, 20);
  const GridCell* heading = grid.cell(cellKey(model.model().rowAt(1), 0));
  ASSERT_NE(heading, nullptr);
  EXPECT_TRUE(heading->cutOff);
  // The triangle: black just inside the cell's lower right corner.
  EXPECT_EQ(widget.buffer().pixel(w0 - 3, 20 + 17) | 0xFF000000u, qRgb(0, 0, 0));
  // Within 8 pixels of the right edge: the popup with the full heading, no selection.
  widget.tapAt(w0 - 3, 25);
  EXPECT_TRUE(grid.selectedRows().empty());
  ASSERT_TRUE(widget.popup()->isVisible());
  EXPECT_EQ(FootnotePopup::shownPopup(&widget), widget.popup());
  EXPECT_EQ(widget.popup()->shownText(), u"A row heading far too long for the widest column of all");
  widget.popup()->hidePopup();
  EXPECT_EQ(FootnotePopup::shownPopup(&widget), nullptr);
  // Farther left the tap toggles the row.
  widget.tapAt(w0 - 20, 25);
  EXPECT_EQ(grid.selectedRows().size(), 1u);
}

TEST_F(GridWidgetTest, RedrawBeforeAnyLayoutDrawsZeroWideCellsQuietly) {
  ASSERT_TRUE(model->show(guide[u"Whole"]));
  widget->sourceChanged();
  widget->resize(200, 200);
  widget->redraw();  // no buffer, no widths yet
  EXPECT_GT(widget->widthErrors(), 0u);
  widget->relayout();
  EXPECT_EQ(model->grid().columnWidth(0) > 0, true);
}

TEST_F(GridWidgetTest, ParsedCellsFollowTheShownItem) {
  showItem(u"Whole", 240, 200);
  const size_t rows = widget->cachedBlocks();
  EXPECT_GT(rows, 0u);
  ASSERT_TRUE(model->show(guide[u"G1"]));
  widget->sourceChanged();
  widget->relayout();
  // Only the new table's cells are kept.
  EXPECT_LE(widget->cachedBlocks(), static_cast<size_t>(model->model().rowCount() * model->model().columnCount()));
}

TEST(FootnotePopupTest, ShortTextIsPlacedNearTheAnchorAndTheNextTapClosesIt) {
  QWidget main;
  OpenWindows openWindows(&main);  // as the reader's main window holds it
  main.setGeometry(0, 0, 240, 320);
  FootnotePopup popup(&main, 96, 96);
  int tappedLink = 0;
  popup.setListener([&](FootnotePopup*, int32_t id, QPoint, const std::u16string&) { tappedLink = id; });
  auto press = [&](QPoint global) {
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(popup.mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&popup, &e);
  };
  TextBlock block(u"<a href=\"42\">A linked note</a>");
  const QPoint anchor = main.mapToGlobal(QPoint(20, 40));
  EXPECT_FALSE(popup.show(block, anchor, u"", false, true));
  EXPECT_TRUE(popup.isVisible());
  EXPECT_TRUE(block.parsed);  // the caller keeps the parsed state
  EXPECT_EQ(FootnotePopup::shownPopup(&main), &popup);
  const QRect g = popup.geometry();
  EXPECT_EQ(g.top(), anchor.y() - 1);  // the border above the placed text
  EXPECT_EQ(g.left(), anchor.x() - 1);
  EXPECT_LE(g.right(), main.mapToGlobal(QPoint(240, 0)).x());
  // A press hides the popup; on the link (tested 6 pixels to the right of the
  // press) it is reported.
  press(QPoint(g.left() + 4, g.center().y()));
  EXPECT_FALSE(popup.isVisible());
  EXPECT_EQ(FootnotePopup::shownPopup(&main), nullptr);
  EXPECT_EQ(tappedLink, 42);
  // A press beyond the text's right end reports nothing.
  tappedLink = 0;
  TextBlock again(u"<a href=\"42\">A linked note</a>");
  popup.show(again, anchor, u"", false, true);
  press(QPoint(popup.geometry().right() - 1, popup.geometry().center().y()));
  EXPECT_EQ(tappedLink, 0);
}

TEST(FootnotePopupTest, TallTextAndFullViewGoToTheDialog) {
  QWidget main;
  main.setGeometry(0, 0, 240, 120);
  std::u16string shownTitle, shownText;
  int opened = 0;
  std::function<void(int32_t, const std::u16string&)> report;
  FootnotePopup::setDialogOpener([&](QWidget*, int, const std::u16string& title, const std::u16string& text,
                                     std::function<void(int32_t, const std::u16string&)> onLink) {
    ++opened;
    shownTitle = title;
    shownText = text;
    report = std::move(onLink);
  });
  FootnotePopup popup(&main, 96, 96);
  int32_t link = 0;
  std::u16string anchorName;
  popup.setListener([&](FootnotePopup*, int32_t id, QPoint, const std::u16string& name) {
    link = id;
    anchorName = name;
  });
  std::u16string tall;
  for (int i = 0; i < 30; ++i) tall += u"Line of a long footnote<br>";
  TextBlock block(tall);
  EXPECT_TRUE(popup.show(block, main.mapToGlobal(QPoint(0, 0)), u"Footnote", false, true));
  EXPECT_FALSE(popup.isVisible());
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(shownTitle, u"Footnote");
  EXPECT_EQ(shownText, tall);  // the markup as the caller holds it
  ASSERT_TRUE(report);
  report(12, u"sec");
  EXPECT_EQ(link, 12);
  EXPECT_EQ(anchorName, u"sec");

  TextBlock small(u"Short");
  EXPECT_TRUE(popup.show(small, QPoint(0, 0), u"Footnotes", true, true));
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(shownTitle, u"Footnotes");
  FootnotePopup::setDialogOpener(nullptr);
}

TEST(FootnotePopupTest, LinkTargetsReadTheObjectAndTheAnchorName) {
  std::u16string name;
  EXPECT_EQ(parseLinkTarget("12#sec", name), 12);
  EXPECT_EQ(name, u"sec");
  EXPECT_EQ(parseLinkTarget("12", name), 12);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(parseLinkTarget("http://x", name), -1);
  EXPECT_EQ(parseLinkTarget("99999999999", name), -1);
}

// A screen reader reads the grid through the table interface: every visible
// row and column with the headings, each cell's text without markup, the
// selection as selected cells; the cell cursor and Return act as taps.
TEST_F(GridWidgetTest, ScreenReadersReadTheGridAndTheCursorActsAsATap) {
  installAccessibleFactory();
  showItem(u"Whole", 240, 200);
  TightCrtTable& t = model->model();
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget.get());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Table);
  QAccessibleTableInterface* table = a->tableInterface();
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->rowCount(), static_cast<int>(t.rowCount()));
  ASSERT_EQ(table->columnCount(), static_cast<int>(t.columnCount()));
  EXPECT_EQ(a->childCount(), table->rowCount() * table->columnCount());
  for (uint32_t v = 0; v < t.rowCount(); ++v) {
    for (uint32_t w = 0; w < t.columnCount(); ++w) {
      TableCell c;
      t.cellAt(v, w, c);
      QAccessibleInterface* cell = table->cellAt(static_cast<int>(v), static_cast<int>(w));
      ASSERT_NE(cell, nullptr);
      EXPECT_EQ(cell->text(QAccessible::Name).toStdU16String(), MarkupRenderer::stripAllTags(c.text));
      EXPECT_EQ(a->indexOfChild(cell), static_cast<int>(v * t.columnCount() + w));
    }
  }
  QAccessibleTableCellInterface* body = table->cellAt(2, 1)->tableCellInterface();
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->columnHeaderCells().value(0), table->cellAt(0, 1));
  EXPECT_EQ(body->rowHeaderCells().value(0), table->cellAt(2, 0));
  EXPECT_EQ(table->cellAt(0, 1)->role(), QAccessible::ColumnHeader);

  // The keyboard's cursor starts on the first body cell.
  auto cursor = [&] { return QPoint(model->grid().cursorColumn(), model->grid().cursorRow()); };
  EXPECT_EQ(cursor(), QPoint(1, 1));
  EXPECT_EQ(a->focusChild(), table->cellAt(1, 1));

  // Pressing a column heading selects the column, as a tap on it does, and
  // puts the cursor there.
  table->cellAt(0, 2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(model->grid().selectedColumns(), std::set<uint32_t>{t.columnAt(2)});
  EXPECT_EQ(table->selectedColumns(), QList<int>{2});
  EXPECT_TRUE(table->cellAt(3, 2)->state().selected);
  EXPECT_FALSE(table->cellAt(3, 1)->state().selected);
  EXPECT_EQ(cursor(), QPoint(2, 0));

  // Return does what a tap on the cursor's cell does: the heading again
  // unselects the column; the first row's heading selects the row.
  auto key = [&](int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(widget.get(), &e);
  };
  key(Qt::Key_Return);
  EXPECT_TRUE(model->grid().selectedColumns().empty());
  key(Qt::Key_Left);
  key(Qt::Key_Left);
  key(Qt::Key_Left);  // held at the heading column
  key(Qt::Key_Down);
  EXPECT_EQ(cursor(), QPoint(0, 1));
  key(Qt::Key_Return);
  EXPECT_EQ(model->grid().selectedRows(), std::set<uint32_t>{t.rowAt(1)});
  EXPECT_EQ(table->selectedRows(), QList<int>{1});
  EXPECT_EQ(a->focusChild(), table->cellAt(1, 0));
}

}  // namespace
}  // namespace vantrel
