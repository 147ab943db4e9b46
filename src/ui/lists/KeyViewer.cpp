#include "ui/lists/KeyViewer.h"

#include <QJsonArray>

#include "ui/platform/QtSurface.h"
#include "core/richtext/MarkupRenderer.h"
#include "core/page/MainFrame.h"

namespace vantrel {

Item PlainTextSource::itemAt(uint32_t i) const {
  Item item = source_.itemAt(i);
  item.text = MarkupRenderer::stripAllTags(item.text);
  return item;
}

KeyWindow::KeyWindow(QWidget* parent, KeyViewerModel& model, ScreenDpi dpi, KeyboardService& keyboard,
                     const ScreenInfo& screen)
    : RichHeaderedWindow(parent, "key", dpi),
      model_(model),
      plain_(model.source()),
      dpi_(dpi),
      list_(new PagedList(this, false, dpi, "keyList")),
      pane_(new HtmlPane(this, dpi, "keyExplanation")),
      separator_(new ColourBar(this, QColor(0, 0, 0))),
      label_(new QLabel("Search:", this)),
      edit_(new InputPanelEdit(this, &keyboard, &screen)) {
  setObjectName("key");
  list_->setProperty("childId", kListId);
  pane_->setObjectName("keyExplanation");
  pane_->setProperty("childId", kPaneId);
  edit_->setObjectName("keyEdit");
  label_->setBuddy(edit_);
  edit_->setAccessibleName("Search");
  edit_->setProperty("childId", kEditId);
  edit_->setFrame(true);
  applyDpi();
  list_->setOwner(this);
  edit_->setListKeys([this](QKeyEvent* e) { return list_->handleKey(e); });
  QObject::connect(edit_, &QLineEdit::textChanged, [this](const QString&) {
    if (!quiet_) search();
  });
}

void KeyWindow::setup() {
  quiet_ = true;
  edit_->deselect();
  quiet_ = false;
  edit_->setFocus(Qt::OtherFocusReason);
  setupHeaders();
  HeaderSettings listHeader;
  listHeader.shown = false;
  list_->setSource(listHeader, listFont(), &plain_);
  layoutChildren();
}

void KeyWindow::applyDpi() {
  QFont small("DejaVu Sans");
  small.setPixelSize(std::max(1, dpi_.sy(11)));
  label_->setFont(small);
  edit_->setFont(small);
}

void KeyWindow::setupHeaders() {
  RichHeaderSettings header;
  header.text = u"Key/Abbreviations";
  header.textColour = 0xFFFFFF;
  header.font = guideFontDescription(dpi_.y());
  header.collapsed = true;
  setupHeader(header);
  pane_->setup(false, std::u16string(), 0xFFFFFF, guideFontDescription(dpi_.y()), &model_.explanationPage());
}

QFont KeyWindow::listFont() const { return QtSurface::qfontFor(guideFontDescription(dpi_.y())); }

void KeyWindow::rescale() {
  applyDpi();
  setupHeaders();
  list_->setFonts(listFont(), listFont());
  layoutChildren();
}

void KeyWindow::resetSearch() {
  quiet_ = true;
  edit_->clear();
  quiet_ = false;
  search();
}

void KeyWindow::search() {
  const std::u16string text = edit_->text().toStdU16String();
  if (text.empty()) {
    pane_->clear();
    list_->showFrom(0);
    list_->clearSelection();
    return;
  }
  const int64_t b = model_.search(text);
  if (b < 0) return;
  list_->showFrom(b);
  // Row b itself is highlighted (on the last page it need not be the first
  // shown), not merely the first entry of the page that begins like it.
  list_->model().selectRow(static_cast<int>(b - static_cast<int64_t>(list_->topIndex())));
  list_->view()->update();
  announceSelection(list_->view(), list_->model().selectedRow());
  pane_->showItem(model_.source().itemAt(static_cast<uint32_t>(b)).data);
}

void KeyWindow::itemChosen(PagedList&, uint32_t data) { pane_->showItem(data); }

void KeyWindow::resizeEvent(QResizeEvent* e) {
  RichHeaderedWindow::resizeEvent(e);
  layoutChildren();
}

void KeyWindow::layoutChildren() {
  if (header()->pressed()) return;
  auto sx = [this](int n) { return (n * dpi_.x() + 48) / 96; };
  auto sy = [this](int n) { return (n * dpi_.y() + 48) / 96; };
  const int W = width();
  const int top = 0;
  const int headerH = contentTop();
  const int rowH = sy(25), sep = sy(9), gap = sy(6);
  const int available = height() - headerH;
  const int half = (available - sep - 2 * rowH) / 2;  // truncated toward zero
  const int split = headerH + half;
  list_->setGeometry(0, top + headerH, W, std::max(0, rowH + gap + half));
  separator_->setGeometry(0, rowH + gap + split, W, (dpi_.y() + 48) / 96);
  label_->setGeometry(0, rowH + sep + split, sx(42), sy(15));
  edit_->setGeometry(sx(45), rowH + sep + split, sx(135), sy(17));
  pane_->setGeometry(0, 2 * rowH + ((dpi_.y() + 24) * 2) / 96 + split, W,
                     std::max(0, sy(5) + height() - 2 * rowH - split));
}

KeyViewer::KeyViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea,
                         ScreenDpi dpi, KeyboardService& keyboard, const ScreenInfo& screen)
    : ContentViewer(&database, &frame),
      model_(&database, keys),
      pageArea_(pageArea),
      window_(new KeyWindow(pageArea, model_, dpi, keyboard, screen)),
      keyboard_(keyboard),
      screen_(screen) {
  window_->setGeometry(0, 0, 0, 0);
  window_->hide();
  window_->setup();
}

KeyViewer::~KeyViewer() { delete window_; }

bool KeyViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!model_.show(object)) return false;
  window_->setup();
  window_->list()->reload(true);
  window_->resetSearch();
  addLayoutItem(window_, 4);
  frame_->setTitle(model_.title());
  return true;
}

void KeyViewer::afterLayout() {
  if (!screen_.isSquareScreen()) keyboard_.showKeyboard();
  window_->edit()->window()->activateWindow();
  window_->edit()->setFocus(Qt::OtherFocusReason);
  window_->list()->reload(true);
  window_->resetSearch();
}

QJsonObject KeyViewer::scriptState() const {
  const PagedList* list = window_->list();
  const PagedListModel& m = list->model();
  QJsonObject o;
  o["rows"] = static_cast<qint64>(m.itemCount());
  o["firstRow"] = static_cast<qint64>(m.topIndex());
  o["selected"] = static_cast<qint64>(m.selectedIndex());
  o["search"] = window_->edit()->text();
  QJsonArray visible;
  for (const auto& e : m.entries()) visible.append(QString::fromStdU16String(e.item.text));
  o["visible"] = visible;
  o["rowHeight"] = list->view()->rowHeight();
  const QWidget* view = list->view();
  const QPoint at = view->mapTo(view->window(), QPoint(0, 0)) - pageArea_->mapTo(pageArea_->window(), QPoint(0, 0));
  o["y"] = at.y();
  o["h"] = view->height();
  o["html"] = window_->pane()->control()->text();
  return o;
}

}  // namespace vantrel
