#include "ui/tools/CalculatorViewer.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

#include "core/content/ContentQueries.h"
#include "ui/platform/DpiStyle.h"
#include "ui/platform/QtSurface.h"
#include "core/page/MainFrame.h"
#include "core/tools/CrClForm.h"

namespace vantrel {

namespace {
int scaled(int n, int dpi) { return (n * dpi + 48) / 96; }

}  // namespace

CrClForm::CrClForm(QWidget* parent, ScreenDpi dpi, KeyboardService& keyboard, MessageService& messages)
    : QWidget(parent), dpi_(dpi), keyboard_(keyboard), messages_(messages) {
  setObjectName(QString::number(kCrClForm));
  setProperty("childId", kCrClForm);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  // Controls, texts and ids as the form's layout gives them; their places
  // are set by applyDpi.
  const CrClFormLayout layout = crclFormLayout(dpi.x(), dpi.y());
  int field = 0;
  QLabel* lastLabel = nullptr;
  for (const CrClControl& c : layout.controls) {
    const QString text = QString::fromStdU16String(c.text);
    QWidget* w = nullptr;
    switch (c.kind) {
      case CrClControlKind::label:
      case CrClControlKind::unitLabel: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment((c.kind == CrClControlKind::label ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        if (c.kind == CrClControlKind::label) lastLabel = label;
        w = label;
        break;
      }
      case CrClControlKind::entry: {
        auto* edit = new QLineEdit(text, this);
        edit->installEventFilter(this);
        if (lastLabel) {
          // Named after its label, as a screen reader says it ("Age").
          lastLabel->setBuddy(edit);
          QString name = lastLabel->text();
          if (name.endsWith(':')) name.chop(1);
          edit->setAccessibleName(name);
        }
        if (field < 4) fields_[field++] = edit;
        w = edit;
        break;
      }
      case CrClControlKind::radioLeft:
      case CrClControlKind::radioRight: {
        auto* radio = new QRadioButton(text, this);
        // Text left of the button, right-aligned, for the left one.
        if (c.kind == CrClControlKind::radioLeft) radio->setLayoutDirection(Qt::RightToLeft);
        if (c.id == kCrClFemaleButton) female_ = radio;
        if (c.id == kCrClMaleButton) male_ = radio;
        w = radio;
        break;
      }
      case CrClControlKind::pushButton:
        calculate_ = new QPushButton(text, this);
        w = calculate_;
        break;
    }
    controls_.push_back(w);
    if (c.id >= 0) {
      w->setObjectName(QString::number(c.id));
      w->setProperty("childId", c.id);
    }
  }
  applyDpi();
  female_->setChecked(true);
  calculate_->setAutoDefault(false);
  auto calculate = [this] {
    if (calculateCrCl() != 0) keyboard_.showKeyboard();
  };
  QObject::connect(calculate_, &QPushButton::clicked, this, calculate);
  // Enter in a field calculates, as the button does.
  for (QLineEdit* f : fields_) QObject::connect(f, &QLineEdit::returnPressed, this, calculate);
}

void CrClForm::applyDpi() {
  // The system font of a pocket device: small enough for "Serum Creatinine:"
  // to fit its label.
  QFont system = font();
  system.setFamily("DejaVu Sans Condensed");
  system.setPixelSize(scaled(11, dpi_.y()));
  setFont(system);
  // Positions as the form's layout gives them.
  const CrClFormLayout layout = crclFormLayout(dpi_.x(), dpi_.y());
  setGeometry(x(), y(), layout.width, layout.height);
  for (size_t i = 0; i < controls_.size() && i < layout.controls.size(); ++i) {
    const CrClControl& c = layout.controls[i];
    controls_[i]->setGeometry(c.x, c.y, c.width, c.height);
  }
  // The round buttons scale with the screen.
  for (QRadioButton* radio : {female_, male_}) DpiStyle::apply(radio, dpi_.x());
}

QWidget* CrClForm::child(int id) const {
  if (id >= kCrClAgeField && id <= kCrClHeightField) return fields_[id - kCrClAgeField];
  if (id == kCrClFemaleButton) return female_;
  if (id == kCrClMaleButton) return male_;
  if (id == kCrClCalculateButton) return calculate_;
  return nullptr;
}

bool CrClForm::eventFilter(QObject* watched, QEvent* event) {
  // An entry field taking the focus brings up the on-screen keyboard (the
  // keyboard service keeps it down on a square screen).
  if (event->type() == QEvent::FocusIn)
    for (QLineEdit* f : fields_)
      if (watched == f) keyboard_.showKeyboard();
  return QWidget::eventFilter(watched, event);
}

CrClInput CrClForm::input() const {
  CrClInput in;
  auto read = [](QLineEdit* f) { return f->text().left(static_cast<int>(kCrClFieldLimit)).toStdU16String(); };
  in.age = read(fields_[0]);
  in.weight = read(fields_[1]);
  in.creatinine = read(fields_[2]);
  in.height = read(fields_[3]);
  in.male = male_->isChecked();
  return in;
}

int CrClForm::calculateCrCl() {
  CrClOutcome out = vantrel::calculateCrCl(input());
  if (!out.ok) {
    MessageBox box;
    box.caption = out.caption;
    box.text = out.message;
    box.buttons = MessageButtons::Ok;
    box.icon = MessageIcon::Error;
    messages_.showMessage(box);
    if (QWidget* f = child(out.focusField)) f->setFocus(Qt::OtherFocusReason);
    return -1;
  }
  if (onResult_) onResult_(out.result);
  return 0;
}

CalculatorPanel::CalculatorPanel(QWidget* parent, ScreenDpi dpi, KeyboardService& keyboard,
                                 MessageService& messages)
    : HeaderedWindow(parent, "calculator", dpi),
      dpi_(dpi),
      title_(new QLabel(QString::fromStdU16String(std::u16string(kCrClPanelTitle)), this)),
      form_(new CrClForm(this, dpi, keyboard, messages)) {
  setObjectName("calculator");
  // The title is shown whole, wrapped onto as many lines as it needs, white
  // on black, centred, in the guide font; the container's own one-line
  // header strip is switched off in its favour.
  HeaderSettings s;
  s.shown = false;
  setupHeader(s);
  title_->setObjectName("calculatorTitle");
  title_->setWordWrap(true);
  title_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  title_->setTextFormat(Qt::PlainText);
  applyDpi();
  title_->setAutoFillBackground(true);
  QPalette tp = title_->palette();
  tp.setColor(QPalette::Window, QColor(0, 0, 0));
  tp.setColor(QPalette::WindowText, QColor(255, 255, 255));
  title_->setPalette(tp);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
}

void CalculatorPanel::applyDpi() { title_->setFont(QtSurface::qfontFor(guideFontDescription(dpi_.y()))); }

void CalculatorPanel::resizeEvent(QResizeEvent* e) {
  HeaderedWindow::resizeEvent(e);
  placeForm();
}

void CalculatorPanel::placeForm() {
  const int h = title_->heightForWidth(width());
  title_->setGeometry(0, 0, width(), h);
  form_->setGeometry(0, h, width(), std::max(0, height() - h));
}

void CalculatorPanel::showEvent(QShowEvent* e) {
  HeaderedWindow::showEvent(e);
  form_->field(0)->setFocus(Qt::OtherFocusReason);
}

CalculatorViewer::CalculatorViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys,
                                       QWidget* pageArea, ScreenDpi dpi, KeyboardService& keyboard,
                                       MessageService& messages)
    : ContentViewer(&database, &frame),
      resultsKey_(keys["calc_result"]),
      panel_(new CalculatorPanel(pageArea, dpi, keyboard, messages)) {
  panel_->setGeometry(0, 0, 0, 0);
  panel_->hide();
  panel_->form()->setResultListener([this](const CrClResult& r) {
    const std::vector<uint8_t> data = encodeCrClResult(r);
    frame_->navigate(resultsKey_, data.data(), data.size(), true);
  });
}

CalculatorViewer::~CalculatorViewer() { delete panel_; }

bool CalculatorViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!database_ || !calculatorShows(*database_, object)) return false;
  std::u16string title;
  textOf(*database_, object, title);
  frame_->setTitle(title);
  addLayoutItem(panel_, 4);
  return true;
}

QJsonObject CalculatorViewer::scriptState() const {
  QJsonObject fields;
  for (int i = 0; i < 4; ++i) fields[QString::number(kCrClAgeField + i)] = panel_->form()->field(i)->text();
  QJsonObject o;
  o["fields"] = fields;
  o["male"] = panel_->form()->male()->isChecked();
  return o;
}

QWidget* CalculatorViewer::shownControl(int id) {
  return panel_->isVisible() ? panel_->form()->child(id) : nullptr;
}

}  // namespace vantrel
