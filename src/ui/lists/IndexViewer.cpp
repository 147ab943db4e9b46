#include "ui/lists/IndexViewer.h"

#include <QJsonArray>
#include <QPainter>

#include "core/page/MainFrame.h"

namespace vantrel {

SearchBar::SearchBar(QWidget* parent, ScreenDpi dpi, KeyboardService* keyboard, const ScreenInfo* screen)
    : LayoutWidget(parent, "searchBar"),
      dpi_(dpi),
      label_(new QLabel("Search:", this)),
      edit_(new InputPanelEdit(this, keyboard, screen)) {
  setObjectName("searchBar");
  label_->setProperty("childId", kLabelId);
  edit_->setObjectName("searchEdit");
  label_->setBuddy(edit_);
  edit_->setAccessibleName("Search");
  edit_->setProperty("childId", kEditId);
  edit_->setFrame(true);
  QObject::connect(edit_, &QLineEdit::textChanged, [this](const QString& text) {
    if (quiet_ || !inputEnabled_) return;
    if (listener_) listener_(text);
  });
  rescale();
}

void SearchBar::rescale() {
  QFont f("DejaVu Sans");
  f.setPixelSize(std::max(1, dpi_.sy(11)));
  label_->setFont(f);
  edit_->setFont(f);
  resize(width(), barHeight());
}

void SearchBar::clear() { setText(QString()); }

void SearchBar::setText(const QString& text) {
  quiet_ = true;
  edit_->setText(text);
  edit_->setCursorPosition(static_cast<int>(text.size()));
  quiet_ = false;
}

void SearchBar::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), QColor(200, 200, 200)); }

void SearchBar::resizeEvent(QResizeEvent*) {
  const int H = height();
  const int labelH = ((dpi_.y() + 3) * 16) / 96;
  const int editH = (18 * dpi_.y() + 48) / 96;
  label_->setGeometry((dpi_.x() + 48) / 96, (H - labelH) / 2, (50 * dpi_.x() + 48) / 96, labelH);
  edit_->setGeometry((52 * dpi_.x() + 48) / 96, (H - editH) / 2, (146 * dpi_.x() + 48) / 96, editH);
}

QJsonObject markupListState(const MarkupList& list, const QWidget* pageArea) {
  const MarkupListModel& m = list.model();
  QJsonObject o;
  o["rows"] = static_cast<qint64>(m.count());
  o["firstRow"] = m.firstRow();
  o["selected"] = static_cast<qint64>(m.selected());
  QJsonArray visible;
  for (const auto& t : m.visibleTexts()) visible.append(QString::fromStdU16String(t));
  o["visible"] = visible;
  o["rowHeight"] = m.rowHeight();
  const QPoint at = pageArea ? list.mapTo(pageArea->window(), QPoint(0, 0)) - pageArea->mapTo(pageArea->window(), QPoint(0, 0))
                             : QPoint(0, 0);
  o["y"] = at.y();
  o["h"] = list.rowsArea().height();
  return o;
}

IndexViewer::IndexViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys,
                             PageHistory& history, QWidget* pageArea, QWidget* mainWindow, ScreenDpi dpi,
                             KeyboardService& keyboard, const ScreenInfo& screen)
    : ContentViewer(&database, &frame),
      model_(&database, keys, &history),
      pageArea_(pageArea),
      pane_(new MarkupListPane(pageArea, mainWindow, dpi, "index")),
      bar_(new SearchBar(pageArea, dpi, &keyboard, &screen)),
      dpi_(dpi),
      keyboard_(keyboard),
      screen_(screen) {
  pane_->setObjectName("index");
  pane_->setGeometry(0, 0, 0, 0);
  pane_->hide();
  bar_->hide();
  bar_->setListener([this](const QString& text) { search(text); });
  bar_->edit()->setListKeys([this](QKeyEvent* e) { return pane_->list()->handleKey(e); });
  pane_->setListeners([this](MarkupListPane&, uint32_t row) { open(model_.rowTapped(row)); },
                      [this](MarkupListPane&, int32_t id, const std::u16string& anchor) {
                        open(model_.linkTapped(id, anchor));
                      });
}

IndexViewer::~IndexViewer() {
  delete pane_;
  delete bar_;
}

bool IndexViewer::show(uint32_t object, const uint8_t* data, size_t length) {
  if (!model_.show(object, data, length, pane_->list()->model().bar().position)) return false;
  bar_->clear();
  pane_->setup(false, std::u16string(), 0xFFFFFF, guideFontDescription(dpi_.y()), true, &model_.source());
  addLayoutItem(pane_, 4);
  bar_->resize(bar_->width(), bar_->barHeight());
  addLayoutItem(bar_, 3);
  frame_->setTitle(model_.title());
  return true;
}

void IndexViewer::afterLayout() {
  if (!screen_.isSquareScreen()) keyboard_.showKeyboard();
  // A desktop has no on-screen keyboard: the box takes the keys at once.
  bar_->edit()->window()->activateWindow();
  bar_->edit()->setFocus(Qt::OtherFocusReason);
  const IndexViewerModel::Start s = model_.afterLayout();
  if (s.letter != 0) {
    bar_->setText(QString(QChar(s.letter)));
    search(bar_->text());
  } else {
    pane_->select(s.row, true);
  }
}

void IndexViewer::rescale() { pane_->relayout(guideFontDescription(dpi_.y())); }

void IndexViewer::search(const QString& text) {
  pane_->select(model_.search(text.toStdU16String()), true);
  pane_->list()->announceSelected();  // a screen reader says the row the text found
}

void IndexViewer::open(const IndexViewerModel::Open& o) {
  frame_->navigate(o.object, o.data.data(), o.data.length(), true);
}

QJsonObject IndexViewer::scriptState() const {
  QJsonObject o = markupListState(*pane_->list(), pageArea_);
  o["object"] = static_cast<qint64>(model_.indexObject());
  o["search"] = bar_->text();
  return o;
}

}  // namespace vantrel
