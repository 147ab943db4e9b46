#include "ui/userdata/QtChromeViewer.h"

#include <QJsonArray>
#include <algorithm>

#include "ui/userdata/TitleDialog.h"

namespace vantrel {

namespace {
// A bar under an overlay lies above the page it covers.
class OverlayBar : public ButtonBar {
 public:
  using ButtonBar::ButtonBar;
  void setShown(bool shown) override {
    setVisible(shown);
    if (shown) raise();
  }
};
}  // namespace

QtChromeViewer::QtChromeViewer(MainFrame& frame, const PageKeys& keys, PageHistory& history,
                               MessageService& messages, CommandBar& bar, std::function<void()> quit,
                               QWidget* pageArea, const ScreenInfo& screen, KeyboardService& keyboard,
                               const ContentDatabase* database, const std::string& programDirectory)
    : ChromeViewer(frame, keys, history, messages, bar, std::move(quit)), frame_(frame), pageArea_(pageArea),
      screen_(screen), messages_(messages) {
  relay_.chrome = this;
  if (database) ids_ = std::make_unique<DatabaseIds>(*database);
  openUserData(programDirectory, ids_.get());

  bookmarkWindow_ = new BookmarkWindow(pageArea, *bookmarks(), ScreenDpi(screen));
  bookmarkWindow_->setChosenHandler([this](uint32_t position) { bookmarkChosen(position); });
  notePanel_ = new NotePanel(pageArea, *noteEditor(), screen, keyboard);
  notePanel_->setEventHandler([this](uint32_t value) { noteEvent(value); });

  listBar_ = makeBar(pageArea);
  editorBar_ = makeBar(pageArea);
  rescale();
  for (ButtonBar* bar : {listBar_.data(), editorBar_.data()}) {
    if (screen.isHighResolution())
      bar->addLogoButton(131, QColor(192, 192, 192), QColor(255, 255, 255));
    else
      bar->addLogoButton(112, QColor(214, 212, 188), QColor(255, 255, 255));
  }

  UserDataWindows w;
  w.bookmarks = bookmarkWindow_;
  w.notes = notePanel_;
  w.listBar = listBar_;
  w.editorBar = editorBar_;
  w.titles = this;
  w.keyboard = &keyboard;
  setUserDataWindows(w);
}

QtChromeViewer::~QtChromeViewer() {
  // The windows go first: they show the lists that the base class closes.
  // An overlay still up is put away so that the frame keeps no pointer to them.
  if (frame_.window().mode() == FrameWindow::Mode::Overlay) frame_.closeOverlay();
  setUserDataWindows({});
  delete bookmarkWindow_.data();
  delete notePanel_.data();
  delete listBar_.data();
  delete editorBar_.data();
}

ButtonBar* QtChromeViewer::makeBar(QWidget* parent) {
  auto* bar = new OverlayBar(parent, ScreenDpi(screen_), &messages_);
  bar->hide();
  bar->resize(parent->width(), 0);
  bar->setListener(&relay_);
  return bar;
}

void QtChromeViewer::setButtons(ButtonBar& bar, const std::vector<ImageButtonDescription>& buttons) {
  bar.resize(bar.width(), screen_.sy(22));
  std::vector<ButtonDescription> d;
  for (const ImageButtonDescription& button : buttons) {
    ButtonDescription b;
    b.code = button.code;
    b.image = button.image;
    b.name = button.name;
    d.push_back(b);
  }
  bar.setButtons(d, screen_.sx(10), kAlignCentre, QColor(255, 255, 255), QColor(192, 192, 192), 0);
}

void QtChromeViewer::rescale() {
  // The pictures and their spacing for the resolution read now.
  const bool hi = screen_.isHighResolution();
  if (listBar_)
    setButtons(*listBar_, {{userbar::kNewNote, hi ? 471 : 108, kNoImage, "New note"},
                           {userbar::kDeleteChecked, hi ? 135 : 134, kNoImage, "Delete checked"}});
  if (editorBar_)
    setButtons(*editorBar_, {{userbar::kSaveNote, hi ? 132 : 104, kNoImage, "Save"},
                             {userbar::kCancelNote, hi ? 133 : 107, kNoImage, "Cancel"}});
}

std::optional<std::u16string> QtChromeViewer::askTitle(const std::u16string& caption) {
  TitleDialog dialog(pageArea_ ? pageArea_->window() : nullptr, screen_, QString::fromStdU16String(caption));
  if (!dialog.run()) return std::nullopt;
  return dialog.text().toStdU16String();
}

bool QtChromeViewer::overlayShows(QWidget* w) const {
  if (!w || frame_.window().mode() != FrameWindow::Mode::Overlay) return false;
  for (const LayoutItem& i : frame_.window().overlay())
    if (dynamic_cast<QWidget*>(i.window) == w) return w->isVisible();
  return false;
}

PagedList* QtChromeViewer::shownCheckList() const {
  if (overlayShows(bookmarkWindow_)) return bookmarkWindow_->list();
  if (overlayShows(notePanel_) && notePanel_->list()->isVisible()) return notePanel_->list();
  return nullptr;
}

QWidget* QtChromeViewer::overlayControl(int id) const {
  if (!overlayShows(notePanel_)) return nullptr;
  if (id == NotePanel::kTitleFieldId && notePanel_->titleField()->isVisible()) return notePanel_->titleField();
  if (id == NotePanel::kBodyFieldId && notePanel_->bodyField()->isVisible()) return notePanel_->bodyField();
  return nullptr;
}

void QtChromeViewer::addScriptState(QJsonObject& state, QJsonObject& viewers, QWidget* pageArea) const {
  if (overlayShows(bookmarkWindow_)) viewers["bookmarks"] = bookmarkWindow_->scriptState(pageArea);
  if (overlayShows(notePanel_)) viewers["notes"] = notePanel_->scriptState(pageArea);
  QJsonValue bar = QJsonValue::Null;
  auto* shown = dynamic_cast<ButtonBar*>(bottomBar());
  if (shown && overlayShows(shown)) {
    QJsonArray ids;
    std::vector<std::pair<int, int>> placed;  // (x, code), left to right
    for (QAbstractButton* b : shown->findChildren<QAbstractButton*>()) {
      const QString name = b->objectName();
      if (!name.startsWith("button") || b->isHidden()) continue;
      placed.push_back({b->x(), name.mid(6).toInt()});
    }
    std::sort(placed.begin(), placed.end());
    for (auto [x, code] : placed) ids.append(code);
    bar = ids;
  }
  state["bottomBar"] = bar;
}

}  // namespace vantrel
