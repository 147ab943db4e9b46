#include "ui/userdata/NotePanel.h"

#include <QFontMetrics>
#include <QJsonArray>
#include <QShowEvent>

#include "core/platform/DrawingSurface.h"
#include "ui/platform/QtSurface.h"
#include "ui/userdata/BookmarkWindow.h"

namespace vantrel {

namespace {

// Line breaks are kept as typed on the device: CR LF in the note, a plain
// line feed in the text field.
QString fromStored(const std::u16string& text) {
  QString s = QString::fromStdU16String(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::u16string toStored(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return text.toStdU16String();
}

QJsonObject rectJson(QWidget* w, QWidget* pageArea) {
  const QPoint p = pageArea ? w->mapTo(pageArea->window(), QPoint(0, 0)) - pageArea->pos() : w->pos();
  return QJsonObject{{"x", p.x()}, {"y", p.y()}, {"w", w->width()}, {"h", w->height()}};
}

}  // namespace

void inputPanelTap(KeyboardService& keyboard, const ScreenInfo& screen) {
  if (keyboard.keyboardShown()) return;
  if (screen.isSquareScreen()) keyboard.hideKeyboard();
  else keyboard.showKeyboard();
}

NotePanel::NotePanel(QWidget* parent, NoteEditorModel& model, const ScreenInfo& screen, KeyboardService& keyboard)
    : HeaderedWindow(parent, "notes", ScreenDpi(screen)), model_(model), screen_(screen),
      items_(model.notes()), list_(makeCheckList(this, &items_, ScreenDpi(screen), this)),
      label_(new QLabel(QStringLiteral("Title:"), this)), title_(new InputPanelEdit(this, &keyboard, &screen)),
      body_(new InputPanelText(this, keyboard, screen)) {
  setObjectName("notePanel");
  setProperty("childId", kChildId);
  setAutoFillBackground(true);
  hide();
  applyDpi();
  title_->setObjectName("noteTitle");
  title_->setProperty("childId", kTitleFieldId);
  body_->setObjectName("noteBody");
  body_->setAccessibleName("Note");
  body_->setProperty("childId", kBodyFieldId);
  body_->setTabChangesFocus(true);
  label_->setObjectName("noteTitleLabel");
  label_->setBuddy(title_);
  title_->setAccessibleName("Title");
  modelChanged();
}

void NotePanel::applyDpi() { setFont(QtSurface::qfontFor(guideFontDescription(screen_.dpiY()))); }

void NotePanel::rescale() {
  applyDpi();
  rescaleCheckList(*list_, ScreenDpi(screen_));
  setupCaption();
  layoutControls();
}

void NotePanel::setupCaption() {
  HeaderSettings h;
  h.text = QString::fromStdU16String(model_.caption());
  h.alignment = 1;
  h.font = font();
  h.collapsed = true;
  setupHeader(h);
}

void NotePanel::modelChanged() {
  setupCaption();
  if (model_.mode() == NoteEditorModel::kEditor) {
    title_->setText(QString::fromStdU16String(model_.title()));
    body_->setPlainText(fromStored(model_.body()));
    if (isVisible()) focusTitle();
  }
  layoutControls();
}

void NotePanel::showEvent(QShowEvent* e) {
  HeaderedWindow::showEvent(e);
  if (model_.mode() == NoteEditorModel::kEditor) focusTitle();
}

void NotePanel::focusTitle() {
  title_->window()->activateWindow();
  title_->setFocus(Qt::OtherFocusReason);
}

void NotePanel::readFields() {
  model_.setTitle(title_->text().toStdU16String());
  model_.setBody(toStored(body_->toPlainText()));
}

void NotePanel::refreshList() {
  const int64_t top = list_->topIndex();
  list_->reload(true);
  list_->showFrom(top);
}

void NotePanel::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  layoutControls();
}

void NotePanel::layoutControls() {
  const int mode = model_.mode();
  if (mode == NoteEditorModel::kClosed) return;
  const int h = contentTop();
  const int W = width(), B = height();
  if (mode == NoteEditorModel::kList) {
    label_->hide();
    title_->hide();
    body_->hide();
    list_->setGeometry(0, h - screen_.sy(1), W, B + screen_.sy(2) - h);
    list_->show();
    return;
  }
  list_->hide();
  const QFontMetrics fm(font());
  const int cx = fm.horizontalAdvance(label_->text()), cy = fm.height();
  label_->setGeometry(screen_.sx(2), h + screen_.sy(2), cx, cy);
  title_->setGeometry(screen_.sx(4) + cx, h + screen_.sy(2), W - screen_.sx(6) - cx, cy + screen_.sy(5));
  body_->setGeometry(screen_.sx(2), h + cy + screen_.sy(9), W - screen_.sx(4), B - screen_.sy(9) - 2 * h);
  label_->show();
  title_->show();
  body_->show();
}

QJsonObject NotePanel::scriptState(QWidget* pageArea) const {
  QJsonObject o;
  const int mode = model_.mode();
  o["mode"] = mode == NoteEditorModel::kEditor ? "editor" : mode == NoteEditorModel::kList ? "list" : "closed";
  o["caption"] = header()->text();
  o["readOnly"] = model_.notes().store().readOnly();
  if (mode == NoteEditorModel::kEditor) {
    o["title"] = title_->text();
    o["body"] = body_->toPlainText();
    o["key"] = static_cast<qint64>(model_.key());
    o["titleField"] = rectJson(title_, pageArea);
    o["bodyField"] = rectJson(body_, pageArea);
  } else {
    QJsonObject l = checkListState(*list_, pageArea);
    for (auto it = l.begin(); it != l.end(); ++it) o[it.key()] = it.value();
    QJsonArray rows;
    const NoteList& notes = model_.notes();
    for (uint32_t i = 0; i < notes.itemCount(); ++i) rows.append(QString::fromStdU16String(notes.itemAt(i).text));
    o["rows"] = rows;
  }
  return o;
}

}  // namespace vantrel
