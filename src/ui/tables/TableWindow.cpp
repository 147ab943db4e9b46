#include "ui/tables/TableWindow.h"

#include "ui/platform/ScrollActions.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>
#include <cstdlib>

namespace vantrel {

namespace {

QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

}  // namespace

TableGridWidget::TableGridWidget(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, ScreenDpi dpi)
    : QWidget(parent),
      model_(model),
      dpi_(dpi),
      measuring_(std::make_unique<QtSurface>(1, 1)) {
  setObjectName("crt");
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);

  vbar_ = new QScrollBar(Qt::Vertical, this);
  vbar_->setObjectName("verticalBar");
  vbar_->setProperty("childId", 1001);
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  hbar_->setObjectName("horizontalBar");
  hbar_->setProperty("childId", 1002);
  corner_ = new QFrame(this);
  corner_->setObjectName("cornerBox");
  corner_->setProperty("childId", 1003);
  corner_->setFrameShape(QFrame::Box);
  corner_->setAutoFillBackground(true);
  vbar_->hide();
  hbar_->hide();
  corner_->hide();
  popup_ = new FootnotePopup(mainWindow ? mainWindow : this, dpi);
  popup_->setProperty("childId", 1004);
  popup_->setFont(guideFontDescription(dpi.y()));
  popup_->setListener([this](FootnotePopup*, int32_t id, QPoint, const std::u16string&) {
    update();
    if (onAction_) {
      TableAction a;
      a.kind = TableAction::Kind::Navigate;
      a.target = static_cast<ObjectIndex>(id);
      onAction_(a);
    }
  });

  for (QScrollBar* bar : {vbar_, hbar_}) {
    const bool vertical = bar == vbar_;
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int action) {
      if (syncing_) return;
      scroll(vertical, scrollCodeFor(action), bar->sliderPosition());
      bar->setSliderPosition(vertical ? model_.grid().scrollY() : model_.grid().scrollX());
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, vertical] {
      scroll(vertical, ScrollCode::ThumbPosition, bar->sliderPosition());
    });
  }

  TableGrid& grid = model_.grid();
  model_.painter().setMeasuringSurface(measuring_.get());
  grid.setAfterRender([this] { paintCells(); });
  grid.setHidePopup([this] {
    if (popup_) popup_->hidePopup();
  });
}

TableGridWidget::~TableGridWidget() {
  model_.painter().setMeasuringSurface(nullptr);
  model_.grid().setAfterRender(nullptr);
  model_.grid().setHidePopup(nullptr);
  delete popup_.data();  // a top-level window of its own (unless the main window went first)
}

void TableGridWidget::setCellFont(const FontDescription& font) {
  model_.painter().setFont(font);
  popup_->setFont(font);
}

void TableGridWidget::relayout() {
  TableGrid& grid = model_.grid();
  grid.setClientRect({0, 0, width(), height()});
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  grid.relayout();  // the after-render hook paints
  placeBars();
}

void TableGridWidget::rescale() {
  model_.rescale();
  rescaled_ = true;
}

void TableGridWidget::applyLayout() {
  placeBars();
  update();
}

void TableGridWidget::redraw() {
  TableGrid& grid = model_.grid();
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  grid.renderBuffer();
}

void TableGridWidget::placeBars() {
  const TableGrid& grid = model_.grid();
  syncing_ = true;
  auto place = [](QScrollBar* bar, const ScrollBarState& s, int step) {
    if (!s.shown) {
      bar->hide();
      return;
    }
    bar->setRange(s.minimum, std::max(s.minimum, s.maximum - s.page));
    bar->setPageStep(std::max(1, s.page));
    bar->setSingleStep(std::max(1, step));
    bar->setValue(s.position);
    bar->setGeometry(qrect(s.rect));
    bar->show();
  };
  place(vbar_, grid.verticalBar(), grid.rowHeight());
  place(hbar_, grid.horizontalBar(), grid.lineStepX());
  if (grid.cornerBoxShown()) {
    corner_->setGeometry(qrect(grid.cornerBox()));
    corner_->show();
  } else {
    corner_->hide();
  }
  syncing_ = false;
}

void TableGridWidget::paintCells() {
  if (painting_) return;
  painting_ = true;
  const TableGrid& grid = model_.grid();
  const int w = std::max(1, grid.bufferWidth());
  const int h = std::max(1, grid.bufferHeight());
  const qreal ratio = devicePixelRatioF();
  if (buffer_.devicePixelRatio() != ratio || buffer_.deviceIndependentSize() != QSizeF(w, h))
    buffer_ = QtSurface::makeImage(w, h, ratio);
  QtSurface surface(&buffer_);
  model_.painter().paint(surface);
  surface.end();
  painting_ = false;
  update();
}

void TableGridWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Rect& area = model_.grid().drawingArea();
  p.fillRect(rect(), Qt::white);
  if (!buffer_.isNull())
    p.drawImage(QPointF(area.left, area.top), buffer_,
                QRectF(devicePixels(QRect(0, 0, area.width(), area.height()), buffer_.devicePixelRatio())));
  if (hasFocus()) {
    const QRect cell = accessibleCellRect(accessibleCursor().y(), accessibleCursor().x());
    if (!cell.isEmpty()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = cell.adjusted(0, 0, -1, -1);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
  }
}

int TableGridWidget::accessibleRowCount() const {
  return static_cast<int>(std::min<uint32_t>(model_.model().rowCount(), INT32_MAX));
}

int TableGridWidget::accessibleColumnCount() const {
  return static_cast<int>(std::min<uint32_t>(model_.model().columnCount(), INT32_MAX));
}

QString TableGridWidget::accessibleCellText(int row, int column) const {
  TableCell c;
  if (row < 0 || column < 0 || !model_.model().cellAt(row, column, c)) return {};
  return QString::fromStdU16String(MarkupRenderer::stripAllTags(c.text));
}

QRect TableGridWidget::accessibleCellRect(int row, int column) const {
  if (row < 0 || column < 0) return {};
  const Rect r = model_.grid().shownCellRect(row, column);
  return QRect(r.left, r.top, r.width(), r.height());
}

bool TableGridWidget::accessibleCellSelected(int row, int column) const {
  if (row < 0 || column < 0) return false;
  const TableGrid& grid = model_.grid();
  TightCrtTable& t = model_.model();
  const bool rowSelected = row > 0 && grid.selectedRows().count(t.rowAt(row));
  const bool columnSelected = column > 0 && grid.selectedColumns().count(t.columnAt(column));
  return rowSelected || columnSelected;
}

QPoint TableGridWidget::accessibleCursor() const {
  const TableGrid& grid = model_.grid();
  if (model_.model().rowCount() == 0 || model_.model().columnCount() == 0) return {-1, -1};
  return QPoint(static_cast<int>(grid.cursorColumn()), static_cast<int>(grid.cursorRow()));
}

void TableGridWidget::syncBars() {
  syncing_ = true;
  vbar_->setValue(model_.grid().scrollY());
  hbar_->setValue(model_.grid().scrollX());
  syncing_ = false;
}

void TableGridWidget::moveCursor(int rows, int columns) {
  TableGrid& grid = model_.grid();
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  if (!grid.moveCursor(rows, columns)) return;
  syncBars();
  update();
  announceSelection(this, static_cast<int>(grid.cursorRow() * model_.model().columnCount() + grid.cursorColumn()));
}

void TableGridWidget::pressCell(int row, int column) {
  if (row < 0 || column < 0) return;
  TableGrid& grid = model_.grid();
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  const TableAction action = model_.press(static_cast<uint32_t>(row), static_cast<uint32_t>(column));
  syncBars();
  update();
  carryOut(action);
}

void TableGridWidget::focusInEvent(QFocusEvent* e) {
  QWidget::focusInEvent(e);
  update();
}

void TableGridWidget::focusOutEvent(QFocusEvent* e) {
  QWidget::focusOutEvent(e);
  update();
}

void TableGridWidget::scroll(bool vertical, ScrollCode code, int thumb) {
  TableGrid& grid = model_.grid();
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  const bool moved = vertical ? grid.scrollVertical(code, thumb) : grid.scrollHorizontal(code, thumb);
  if (!moved) return;
  syncing_ = true;
  if (vertical) vbar_->setValue(grid.scrollY());
  else hbar_->setValue(grid.scrollX());
  syncing_ = false;
}

void TableGridWidget::wheelEvent(QWheelEvent* e) {
  const QPoint delta = e->angleDelta();
  const bool across = delta.y() == 0 || (e->modifiers() & Qt::ShiftModifier);
  wheelRest_ += across ? (delta.y() != 0 ? delta.y() : delta.x()) : delta.y();
  // One notch (120) moves three lines, as a desktop list does.
  const int lines = wheelRest_ / 40;
  wheelRest_ -= lines * 40;
  for (int i = 0; i < std::abs(lines); ++i) scroll(!across, lines > 0 ? ScrollCode::LineUp : ScrollCode::LineDown);
  e->accept();
}

void TableGridWidget::keyPressEvent(QKeyEvent* e) {
  if (e->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) {
    QWidget::keyPressEvent(e);
    return;
  }
  const TableGrid& grid = model_.grid();
  const int page = std::max(1, grid.pageY() / std::max(1, grid.rowHeight()) - 1);
  const int rows = static_cast<int>(std::min<uint32_t>(model_.model().rowCount(), INT32_MAX));
  switch (e->key()) {
    case Qt::Key_Up: moveCursor(-1, 0); break;
    case Qt::Key_Down: moveCursor(1, 0); break;
    case Qt::Key_PageUp: moveCursor(-page, 0); break;
    case Qt::Key_PageDown: moveCursor(page, 0); break;
    case Qt::Key_Left: moveCursor(0, -1); break;
    case Qt::Key_Right: moveCursor(0, 1); break;
    case Qt::Key_Home: moveCursor(-rows, 0); break;
    case Qt::Key_End: moveCursor(rows, 0); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      pressCell(static_cast<int>(grid.cursorRow()), static_cast<int>(grid.cursorColumn()));
      break;
    default:
      QWidget::keyPressEvent(e);
      return;
  }
  e->accept();
}

void TableGridWidget::showPopupText(const std::u16string& text, const Rect& anchor) {
  TextBlock block(text);
  popup_->show(block, mapToGlobal(QPoint(anchor.left, anchor.top)), std::u16string(), false, true);
}

void TableGridWidget::tapAt(int x, int y) {
  TableGrid& grid = model_.grid();
  const QPoint origin = mapToGlobal(QPoint(0, 0));
  grid.setScreenOrigin(origin.x(), origin.y());
  carryOut(model_.tap(x, y));
}

void TableGridWidget::carryOut(const TableAction& action) {
  switch (action.kind) {
    case TableAction::Kind::Nothing:
      break;
    case TableAction::Kind::Redraw:
      update();  // the grid has redrawn itself
      break;
    case TableAction::Kind::Navigate:
      repaint();
      if (onAction_) onAction_(action);
      break;
    case TableAction::Kind::Popup:
      showPopupText(action.text, action.anchor);
      break;
  }
}

void TableGridWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    const QPoint p = e->position().toPoint();
    tapAt(p.x(), p.y());
  }
  QWidget::mousePressEvent(e);
}

void TableGridWidget::geometryChanged() {
  const QRect screen = window()->geometry();
  TableGrid& grid = model_.grid();
  grid.setClientRect({0, 0, width(), height()});
  if (rescaled_) {
    rescaled_ = false;
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    grid.setScreenOrigin(origin.x(), origin.y());
    // The main window may have grown with the resolution: its new rectangle
    // is saved, not taken for a resize that starts from the top-left.
    grid.setScreen({screen.left(), screen.top(), screen.left() + screen.width(), screen.top() + screen.height()});
    grid.relayoutKeepingPlace();
    applyLayout();
  } else if (grid.screenChanged({screen.left(), screen.top(), screen.left() + screen.width(), screen.top() + screen.height()}))
    applyLayout();
  else
    update();
}

void TableGridWidget::resizeEvent(QResizeEvent*) { geometryChanged(); }
void TableGridWidget::moveEvent(QMoveEvent*) { geometryChanged(); }

TableWindow::TableWindow(QWidget* parent, QWidget* mainWindow, TableViewerModel& model, ScreenDpi dpi)
    : LayoutWidget(parent, "table"), grid_(new TableGridWidget(this, mainWindow, model, dpi)) {
  setObjectName("table");
}

void TableWindow::resizeEvent(QResizeEvent*) {
  // The header is switched off for tables: the grid fills the window.
  grid_->setGeometry(rect());
}

}  // namespace vantrel
