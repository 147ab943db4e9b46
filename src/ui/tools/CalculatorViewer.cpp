#include "tools/CalculatorViewer.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

#include "content/ContentQueries.h"
#include "platform/QtSurface.h"
#include "shell/MainFrame.h"

namespace vantrel {

namespace {
int scaled(int n, int dpi) { return (n * dpi + 48) / 96; }

const char* const kRowLabels[4] = {"Age:", "Weight in kg:", "Serum Creatinine:", "Height in inches"};
const char* const kUnitLabels[4] = {"years", "kg", "mg/dl", "in"};
}  // namespace

CrClForm::CrClForm(QWidget* parent, int dpiX, int dpiY, KeyboardService& keyboard, MessageService& messages)
    : QWidget(parent), keyboard_(keyboard), messages_(messages) {
  setObjectName(QString::number(kCrClForm));
  setProperty("childId", kCrClForm);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  // The system font of a pocket device: small enough for "Serum Creatinine:"
  // to fit its label.
  QFont system = font();
  system.setFamily("DejaVu Sans Condensed");
  system.setPixelSize(scaled(11, dpiY));
  setFont(system);
  auto sx = [dpiX](int n) { return scaled(n, dpiX); };
  auto sy = [dpiY](int n) { return scaled(n, dpiY); };
  const int lineHeight = ((dpiY + 3) * 16) / 96;
  setGeometry(0, 0, sx(240), sy(100));

  for (int i = 0; i < 4; ++i) {
    auto* label = new QLabel(kRowLabels[i], this);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setGeometry(sx(5), sy(23) + sy(22 * i), sx(105), lineHeight);
    auto* field = new QLineEdit("0", this);
    field->setObjectName(QString::number(kCrClAgeField + i));
    field->setProperty("childId", kCrClAgeField + i);
    field->setGeometry(sx(115), sy(22) + sy(22 * i), sx(60), sy(18));
    field->installEventFilter(this);
    fields_[i] = field;
    auto* unit = new QLabel(kUnitLabels[i], this);
    unit->setTextFormat(Qt::PlainText);
    unit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    unit->setGeometry(sx(183), sy(23) + sy(22 * i), sx(52), lineHeight);
  }
  female_ = new QRadioButton("Female", this);
  female_->setObjectName(QString::number(kCrClFemaleButton));
  female_->setProperty("childId", kCrClFemaleButton);
  female_->setLayoutDirection(Qt::RightToLeft);  // text left of the button, right-aligned
  female_->setGeometry(sx(5), sy(111), sx(110), sy(18));
  female_->setChecked(true);
  male_ = new QRadioButton("Male", this);
  male_->setObjectName(QString::number(kCrClMaleButton));
  male_->setProperty("childId", kCrClMaleButton);
  male_->setGeometry(sx(125), sy(111), sx(110), sy(18));
  calculate_ = new QPushButton(QString::fromStdU16String(std::u16string(kCrClCalculateText)), this);
  calculate_->setObjectName(QString::number(kCrClCalculateButton));
  calculate_->setProperty("childId", kCrClCalculateButton);
  calculate_->setGeometry(sx(65), sy(133), sx(110), sy(21));
  calculate_->setAutoDefault(false);
  QObject::connect(calculate_, &QPushButton::clicked, this, [this] {
    if (calculateCrCl() != 0) keyboard_.showKeyboard();
  });
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

CalculatorPanel::CalculatorPanel(QWidget* parent, int dpiX, int dpiY, KeyboardService& keyboard,
                                 MessageService& messages)
    : HeaderedWindow(parent, "calculator", dpiX, dpiY),
      title_(new QLabel(QString::fromStdU16String(std::u16string(kCrClPanelTitle)), this)),
      form_(new CrClForm(this, dpiX, dpiY, keyboard, messages)) {
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
  title_->setFont(QtSurface::qfontFor(guideFontDescription(dpiY)));
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

QtCalculatorViewer::QtCalculatorViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys,
                                       QWidget* pageArea, int dpiX, int dpiY, KeyboardService& keyboard,
                                       MessageService& messages)
    : ContentViewer(&database, &frame),
      resultsKey_(keys["calc_result"]),
      panel_(new CalculatorPanel(pageArea, dpiX, dpiY, keyboard, messages)) {
  panel_->setGeometry(0, 0, 0, 0);
  panel_->hide();
  panel_->form()->setResultListener([this](const CrClResult& r) {
    const std::vector<uint8_t> data = encodeCrClResult(r);
    frame_->navigate(resultsKey_, data.data(), data.size(), true);
  });
}

QtCalculatorViewer::~QtCalculatorViewer() { delete panel_; }

bool QtCalculatorViewer::show(uint32_t object, const uint8_t*, size_t) {
  if (!database_ || !tableNamed(*database_, object, u"Calculators")) return false;
  std::u16string title;
  textOf(*database_, object, title);
  frame_->setTitle(title);
  addLayoutItem(panel_, 4);
  return true;
}

QJsonObject QtCalculatorViewer::scriptState() const {
  QJsonObject fields;
  for (int i = 0; i < 4; ++i) fields[QString::number(kCrClAgeField + i)] = panel_->form()->field(i)->text();
  QJsonObject o;
  o["fields"] = fields;
  o["male"] = panel_->form()->male()->isChecked();
  return o;
}

}  // namespace vantrel
