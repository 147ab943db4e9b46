#include "ui/shell/ScriptRunner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <string_view>

#include "ui/hierarchy/HierarchyTreePane.h"
#include "ui/html/HtmlDialog.h"
#include "ui/shell/ChoosablePopup.h"
#include "core/shell/ScriptCommand.h"
#include "ui/shell/ScriptState.h"
#include "ui/userdata/TitleDialog.h"

namespace vantrel {

ScriptRunner::ScriptRunner(Application& app, GuideHost& host, QtMessages& messages, KeyboardService& keyboard,
                           FILE* out, FILE* err)
    : app_(app), host_(host), messages_(messages), keyboard_(keyboard), out_(out), err_(err) {}

void ScriptRunner::settle(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  } while (t.elapsed() < ms && !exited_);
}

int ScriptRunner::run(const std::vector<std::string>& lines) {
  lines_ = &lines;
  next_ = 0;
  status_ = -1;
  // A modal HTML dialog opened by a command does not stop the script: the
  // lines after that command run while it is open, until it closes.
  HtmlDialog::setModalDriver([this](HtmlDialog& dialog) {
    while (dialog.isVisible() && status_ < 0 && next_ < lines_->size()) step();
  });
  TitleDialog::setModalDriver([this](TitleDialog& dialog) {
    while (dialog.isVisible() && status_ < 0 && next_ < lines_->size()) step();
  });
  settle();
  while (status_ < 0 && next_ < lines.size()) step();
  HtmlDialog::setModalDriver(nullptr);
  TitleDialog::setModalDriver(nullptr);
  return status_ < 0 ? 0 : status_;
}

void ScriptRunner::step() {
  const size_t i = next_++;
  std::string error;
  auto c = parseScriptLine((*lines_)[i], error);
  if (c && !c->name.empty()) {
    if (!runScriptCommand(*this, *c, error)) c.reset();
    else if (quitting_) return;
  }
  if (!c) {
    std::fprintf(err_, "vantrel-guide: script line %zu: %s\n", i + 1, error.c_str());
    status_ = 2;
    return;
  }
  settle();
  if (exited_) {
    // The program ends by itself: say why before going.
    printState();
    status_ = 0;
  }
}

QWidget* ScriptRunner::keyTarget() const {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup;
  // The title dialog is modal: typing goes to its control with the focus.
  if (TitleDialog* d = TitleDialog::openDialog(host_.mainWindow())) return d->focusWidget() ? d->focusWidget() : d->edit();
  if (QWidget* f = QApplication::focusWidget()) return f;
  return host_.mainWindow();
}

bool ScriptRunner::pointer(const std::string& kind, int x, int y, std::string& error) {
  MainWindow* win = host_.mainWindow();
  if (!win) {
    error = "there is no window";
    return false;
  }
  // Script coordinates are the frame window's client coordinates.
  const QPoint inWindow = QPoint(x, y) + win->pageArea()->pos();
  const QPoint global = win->mapToGlobal(inWindow);

  auto send = [](QWidget* w, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
    QPointF local = w->mapFromGlobal(QPointF(global));
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, local, QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
  };

  auto targetAt = [&]() -> QWidget* {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      if (!popup->geometry().contains(global)) {
        // A tap outside an open popup closes it and goes no further.
        popup->close();
        return nullptr;
      }
      QWidget* child = popup->childAt(popup->mapFromGlobal(global));
      return child ? child : popup;
    }
    if (!win->rect().contains(inWindow)) return nullptr;
    QWidget* child = win->childAt(inWindow);
    return child ? child : win;
  };

  if (kind == "press" || kind == "tap") {
    QWidget* w = targetAt();
    grabbed_ = w;
    if (!w) return true;
    send(w, QEvent::MouseButtonPress, global, Qt::LeftButton);
    if (kind == "press") return true;
    settle();
    QWidget* r = grabbed_ ? grabbed_.data() : nullptr;
    grabbed_ = nullptr;
    // A popup opened by the press takes the release, as the stylus is over it.
    if (QWidget* popup = QApplication::activePopupWidget(); popup && r && r->window() != popup) return true;
    if (r) send(r, QEvent::MouseButtonRelease, global, Qt::NoButton);
    return true;
  }
  if (kind == "move") {
    QWidget* w = grabbed_ ? grabbed_.data() : nullptr;
    if (!w) {
      w = QApplication::activePopupWidget();
      if (!w) w = win->childAt(inWindow);
    }
    if (w) send(w, QEvent::MouseMove, global, grabbed_ ? Qt::LeftButton : Qt::NoButton);
    return true;
  }
  // release
  QWidget* w = grabbed_ ? grabbed_.data() : nullptr;
  grabbed_ = nullptr;
  if (w) send(w, QEvent::MouseButtonRelease, global, Qt::NoButton);
  return true;
}

bool ScriptRunner::key(const std::string& name, std::string& error) {
  QKeySequence seq = QKeySequence::fromString(QString::fromStdString(name), QKeySequence::PortableText);
  if (seq.count() != 1 || seq[0].key() == Qt::Key_unknown) {
    error = "unknown key '" + clipForMessage(name) + "'";
    return false;
  }
  const Qt::Key k = seq[0].key();
  const Qt::KeyboardModifiers mods = seq[0].keyboardModifiers();
  QString text;
  if (mods == Qt::NoModifier || mods == Qt::ShiftModifier) {
    if (k == Qt::Key_Return || k == Qt::Key_Enter) text = "\r";
    else if (k == Qt::Key_Tab) text = "\t";
    else if (k == Qt::Key_Backspace) text = "\b";
    else if (k == Qt::Key_Space) text = " ";
    else if (k >= 0x21 && k <= 0x7e) text = QString(QChar(k)).toLower();
  }
  QKeyEvent press(QEvent::KeyPress, k, mods, text);
  QApplication::sendEvent(keyTarget(), &press);
  QKeyEvent release(QEvent::KeyRelease, k, mods, text);
  QApplication::sendEvent(keyTarget(), &release);
  return true;
}

bool ScriptRunner::type(const std::string& text) {
  const QString t = QString::fromStdString(text);
  for (QChar ch : t) {
    int k = ch.toUpper().unicode();
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(keyTarget(), &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(keyTarget(), &release);
  }
  return true;
}

bool ScriptRunner::choose(int index, std::string& error) {
  QWidget* popup = QApplication::activePopupWidget();
  if (auto* own = dynamic_cast<ChoosablePopup*>(popup)) {
    const int n = static_cast<int>(own->itemTexts().size());
    if (index < 0 || index >= n) {
      error = "the open menu has " + std::to_string(n) + " items";
      return false;
    }
    own->chooseItem(index);
    return true;
  }
  auto* menu = qobject_cast<QMenu*>(popup);
  if (!menu) {
    error = "no popup menu is open";
    return false;
  }
  QList<QAction*> items = menuItems(menu);
  if (index < 0 || index >= items.size()) {
    error = "the open menu has " + std::to_string(items.size()) + " items";
    return false;
  }
  QAction* a = items[index];
  menu->close();
  a->trigger();
  return true;
}

bool ScriptRunner::clickButton(int id) {
  // The visible button with that child id (a "childId" property, or the
  // button bar's name "button<ID>"), anywhere in the main window.
  // A shown but disabled button takes the click as a tap would: it does
  // nothing, and the script goes on.
  MainWindow* win = host_.mainWindow();
  const QString name = QString("button%1").arg(id);
  bool disabledShown = false;
  for (QAbstractButton* b : win->findChildren<QAbstractButton*>()) {
    if (!b->isVisible()) continue;
    const QVariant v = b->property("childId");
    if (b->objectName() != name && !(v.isValid() && v.toInt() == id)) continue;
    if (!b->isEnabled()) {
      disabledShown = true;
      continue;
    }
    b->click();
    return true;
  }
  return disabledShown;
}

bool ScriptRunner::shot(const std::string& file, std::string& error) {
  MainWindow* win = host_.mainWindow();
  if (!win) {
    error = "there is no window to take";
    return false;
  }
  QImage img = takeScreenshot(win);
  if (!img.save(QString::fromStdString(file), "PNG")) {
    error = "cannot write " + clipForMessage(file);
    return false;
  }
  return true;
}

bool ScriptRunner::wait(int ms) {
  settle(ms);
  return true;
}

bool ScriptRunner::waitIndex(int ms) {
  // Until the search index is ready (or no longer being built), at most MS.
  auto building = [this] {
    for (const auto& [kind, viewer] : app_.viewers())
      if (ScriptIndexBuild* b = host_.capabilities(viewer.get()).indexBuild; b && b->indexBuilding()) return true;
    return false;
  };
  QElapsedTimer timer;
  timer.start();
  while (building() && timer.elapsed() < ms) settle(20);
  settle();
  return true;
}

bool ScriptRunner::answer(const std::string& answer) {
  MessageAnswer a = answer == "yes"      ? MessageAnswer::Yes
                    : answer == "no"     ? MessageAnswer::No
                    : answer == "cancel" ? MessageAnswer::Cancel
                                         : MessageAnswer::Ok;
  messages_.queueAnswer(a);
  return true;
}

bool ScriptRunner::reportState() {
  printState();
  return true;
}

bool ScriptRunner::resize(int width, int height) {
  if (MainWindow* win = host_.mainWindow()) win->resize(width, height);
  return true;
}

bool ScriptRunner::quit() {
  status_ = 0;
  quitting_ = true;
  return true;
}

bool ScriptRunner::command(int id) {
  CommandBarWidget* bar = host_.mainWindow()->commandBar();
  // A button or menu entry of the bar is used as a tap would use it (a
  // disabled one does nothing); any other id goes to the chrome viewer.
  if (!bar->trigger(id) && host_.chrome() && !bar->button(id)) host_.chrome()->command(id);
  return true;
}

bool ScriptRunner::check(int row, std::string& error) {
  PagedList* list = host_.chrome() ? host_.chrome()->shownCheckList() : nullptr;
  if (!list) {
    error = "no checkbox list is shown";
    return false;
  }
  if (!toggleCheckRow(*list, row)) {
    error = "the checkbox list shows no row " + std::to_string(row);
    return false;
  }
  return true;
}

bool ScriptRunner::navigate(uint32_t object, const std::vector<uint8_t>& data) {
  app_.mainFrame()->navigate(object, data.data(), data.size(), true);
  return true;
}

bool ScriptRunner::navigateKey(const std::string& key, const std::vector<uint8_t>& data, std::string& error) {
  bool known = false;
  for (const auto& e : app_.pageKeys().entries()) known = known || e.first == key;
  if (!known) {
    error = "unknown page key '" + clipForMessage(key) + "'";
    return false;
  }
  app_.mainFrame()->navigate(app_.pageKeys()[key], data.data(), data.size(), true);
  return true;
}

bool ScriptRunner::click(int id, std::string& error) {
  // A button anywhere in the main window first, else a control of the page.
  return clickButton(id) || pageControl("click", id, error);
}

bool ScriptRunner::link(const std::string& href, std::string& error) {
  // The open HTML dialog first, then the page shown whose links a script can follow.
  if (HtmlDialog* d = HtmlDialog::openDialog(host_.mainWindow()); d && d->control()) return followLinkIn(*d->control(), href, error);
  for (const auto& [kind, viewer] : app_.viewers())
    if (ScriptLinkTarget* links = host_.capabilities(viewer.get()).links; links && links->linksShown())
      return links->followLink(href, error);
  error = "no HTML page is shown";
  return false;
}

bool ScriptRunner::pageControl(const char* action, int id, std::string& error) {
  QWidget* target = nullptr;
  // The title dialog while it is open, then the notes editor, then the controls of the page shown.
  if (TitleDialog* d = TitleDialog::openDialog(host_.mainWindow())) {
    for (QWidget* w : d->findChildren<QWidget*>())
      if (w->property("childId").toInt() == id) target = w;
  }
  if (!target && host_.chrome()) target = host_.chrome()->overlayControl(id);
  for (const auto& [kind, viewer] : app_.viewers())
    if (ScriptControls* controls = host_.capabilities(viewer.get()).controls; !target && controls)
      target = controls->shownControl(id);
  if (!target || !target->isVisible()) {
    error = "the page shown has no control " + std::to_string(id);
    return false;
  }
  if (std::string_view(action) == "focus") {
    target->activateWindow();
    target->setFocus(Qt::OtherFocusReason);
    return true;
  }
  // A click as a tap on the control would make it: a push button is
  // pressed, a radio button checked, an entry field focused; a disabled
  // control ignores it.
  if (!target->isEnabled()) return true;
  if (auto* button = qobject_cast<QAbstractButton*>(target)) button->click();
  else target->setFocus(Qt::MouseFocusReason);
  return true;
}

bool ScriptRunner::expandItem(uint32_t object, bool expand, std::string& error) {
  // The contents tree or the tight hierarchy's tree, whichever is shown.
  HierarchyTreePane* pane = nullptr;
  for (const auto& [kind, viewer] : app_.viewers())
    if (ScriptTree* tree = host_.capabilities(viewer.get()).tree; !pane && tree) pane = tree->shownTree();
  if (!pane) {
    error = "no tree is shown";
    return false;
  }
  if (!pane->setExpanded(object, expand)) {
    error = "object " + std::to_string(object) + " is not in the tree as shown";
    return false;
  }
  return true;
}

QJsonObject ScriptRunner::state() {
  for (auto& s : messages_.takeShown()) messageLog_.push_back(std::move(s));
  QJsonObject o = collectState(app_, host_, keyboard_, messageLog_, exited_);
  messageLog_.clear();
  return o;
}

void ScriptRunner::printState() {
  QByteArray line = QJsonDocument(state()).toJson(QJsonDocument::Compact);
  std::fwrite(line.constData(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace vantrel
