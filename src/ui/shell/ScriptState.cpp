#include "ui/shell/ScriptState.h"

#include "ui/search/FindBar.h"

#include <QApplication>
#include <QJsonArray>
#include <QMenu>
#include <QPainter>

#include "ui/html/HtmlDialog.h"
#include "ui/shell/ChoosablePopup.h"
#include "ui/shell/GuideHost.h"
#include "ui/shell/MainWindow.h"
#include "core/shell/ScriptCommand.h"
#include "ui/popups/FootnotePopup.h"
#include "ui/userdata/TitleDialog.h"

namespace vantrel {

namespace {

QString qs(const std::u16string& s) { return QString::fromStdU16String(s); }

QJsonArray itemsJson(const std::vector<LayoutItem>& items) {
  QJsonArray out;
  for (const LayoutItem& i : items) {
    if (!i.window) continue;
    QJsonObject o;
    o["window"] = QString::fromLatin1(i.window->kindName());
    o["kind"] = i.kind;
    auto* w = dynamic_cast<QWidget*>(i.window);
    QRect r = w ? w->geometry() : QRect();
    o["x"] = r.x();
    o["y"] = r.y();
    o["w"] = r.width();
    o["h"] = r.height();
    o["visible"] = w ? w->isVisible() : false;
    out.append(o);
  }
  return out;
}

}  // namespace

QList<QAction*> menuItems(QMenu* menu) {
  QList<QAction*> out;
  if (!menu) return out;
  for (QAction* a : menu->actions())
    if (!a->isSeparator() && a->isVisible()) out.append(a);
  return out;
}

QJsonObject collectState(Application& app, GuideHost& host, const KeyboardService& keyboard,
                         const std::vector<ScriptedMessages::Shown>& messages, bool exited) {
  QJsonObject o;
  MainFrame* frame = app.mainFrame();
  o["title"] = frame ? MainWindow::plainPageTitle(frame->title()) : QString();
  QJsonObject page;
  page["object"] = frame ? static_cast<qint64>(frame->currentObject()) : 0;
  page["data"] = frame ? QString::fromStdString(toHex(frame->currentData().data(), frame->currentData().length()))
                       : QString();
  o["page"] = page;
  o["objectCount"] = static_cast<qint64>(host.objectCount());
  o["zoom"] = host.zoom();

  PageHistory& h = app.history();
  QJsonObject history;
  QJsonArray titles;
  for (const auto& t : h.titles()) titles.append(qs(t));
  history["titles"] = titles;
  history["position"] = h.position();
  history["offHistory"] = h.offHistory();
  history["canGoBack"] = h.canGoBack();
  history["canGoForward"] = h.canGoForward();
  history["hasList"] = h.hasList();
  o["history"] = history;

  QJsonObject buttons;
  if (MainWindow* win = host.mainWindow())
    for (int command : win->commandBar()->commands())
      buttons[QString::number(command)] = win->commandBar()->buttonEnabled(command);
  o["buttons"] = buttons;

  FrameWindow* fw = app.frameWindow();
  o["overlay"] = fw && fw->mode() == FrameWindow::Mode::Overlay;
  o["keyboardUp"] = fw ? fw->keyboardUp() : keyboard.keyboardShown();
  o["items"] = fw ? itemsJson(fw->current()) : QJsonArray();
  o["overlayItems"] = fw ? itemsJson(fw->overlay()) : QJsonArray();

  QWidget* popup = QApplication::activePopupWidget();
  if (auto* menu = qobject_cast<QMenu*>(popup)) {
    QJsonArray texts;
    for (QAction* a : menuItems(menu)) texts.append(a->text());
    o["menu"] = texts;
  } else if (auto* own = dynamic_cast<ChoosablePopup*>(popup)) {
    o["menu"] = QJsonArray::fromStringList(own->itemTexts());
  } else {
    o["menu"] = QJsonValue::Null;
  }

  // What is open over the reader's window (its own, not another window's).
  const QWidget* win = host.mainWindow();
  if (const FootnotePopup* fp = FootnotePopup::shownPopup(win); fp && fp->isVisible()) {
    QJsonObject po;
    po["text"] = qs(fp->shownText());
    const QRect g = fp->geometry();
    po["x"] = g.x();
    po["y"] = g.y();
    po["w"] = g.width();
    po["h"] = g.height();
    o["popup"] = po;
  } else {
    o["popup"] = QJsonValue::Null;
  }

  QJsonArray msgs;
  for (const auto& m : messages) {
    QJsonObject mo;
    mo["caption"] = qs(m.box.caption);
    mo["text"] = qs(m.box.text);
    mo["answer"] = QString::fromLatin1(answerName(m.answer));
    msgs.append(mo);
  }
  o["messages"] = msgs;
  o["exited"] = exited;

  QJsonObject viewers;
  if (frame) {
    for (Viewer* v : frame->takingPart()) {
      for (const auto& [kind, created] : app.viewers()) {
        if (!created || created.get() != v) continue;
        ScriptStateSection* section = host.capabilities(v).state;
        viewers[QString::fromStdString(kind->name)] = section ? section->scriptState() : QJsonObject();
      }
    }
  }
  o["bottomBar"] = QJsonValue::Null;
  if (QtChromeViewer* chrome = host.chrome(); chrome && host.mainWindow())
    chrome->addScriptState(o, viewers, host.mainWindow()->pageArea());
  o["viewers"] = viewers;
  if (FindBar* find = FindBar::openBar(win))
    o["find"] = QJsonObject{{"text", find->edit()->text()}, {"matches", find->matches()}, {"current", find->current() + 1}};

  QJsonValue dialog = QJsonValue::Null;
  if (HtmlDialog* d = HtmlDialog::openDialog(win)) dialog = QJsonObject{{"title", d->title()}, {"html", d->control()->text()}};
  if (TitleDialog* d = TitleDialog::openDialog(win))
    dialog = QJsonObject{{"title", d->windowTitle()}, {"text", d->edit()->text()}, {"html", QJsonValue::Null}};
  o["dialog"] = dialog;
  return o;
}

QImage takeScreenshot(QWidget* mainWindow) {
  QImage img = mainWindow->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  {  // the painter ends before the image is returned
    QPainter p(&img);
    const QPoint origin = mainWindow->mapToGlobal(QPoint(0, 0));
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w == mainWindow || !w->isVisible()) continue;
      if (!(w->windowType() == Qt::Popup || w->windowType() == Qt::ToolTip || w->windowType() == Qt::Dialog)) continue;
      p.drawPixmap(w->mapToGlobal(QPoint(0, 0)) - origin, w->grab());
    }
  }
  return img;
}

}  // namespace vantrel
