#pragma once
// The creatinine clearance calculator's form and viewer. The form reads its
// four entry fields and the sex buttons, has the calculator's checks and
// arithmetic decide, shows a refusal in a message box and moves the focus to
// the offending field, or hands the result to the viewer, which navigates to
// the results page.
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <functional>
#include <vector>

#include "core/platform/KeyboardService.h"
#include "core/platform/MessageService.h"
#include "core/page/Viewer.h"
#include "core/page/PageKeys.h"
#include "ui/shell/ScriptState.h"
#include "ui/tables/TitleHeader.h"
#include "core/tools/CrClCalculator.h"
#include "ui/platform/Rescale.h"
#include "core/platform/ScreenDpi.h"

namespace vantrel {

// The form window (child id 1004): four labelled entry fields (1000 to
// 1003), the "Female" and "Male" radio buttons (1006, 1007) and the
// "Calculate CrCl" push button (1008), placed in 96-dpi units scaled to
// the screen.
class CrClForm : public QWidget, public Rescalable {
 public:
  CrClForm(QWidget* parent, ScreenDpi dpi, KeyboardService& keyboard, MessageService& messages);
  CrClForm(QWidget* parent, int dpiX, int dpiY, KeyboardService& keyboard, MessageService& messages)
      : CrClForm(parent, ScreenDpi(dpiX, dpiY), keyboard, messages) {}

  // Reads the fields and runs the checks: 0 and the result reported, or -1
  // after the refusal was shown.
  int calculateCrCl();
  void setResultListener(std::function<void(const CrClResult&)> listener) { onResult_ = std::move(listener); }

  QLineEdit* field(int i) const { return fields_[i]; }
  QRadioButton* female() const { return female_; }
  QRadioButton* male() const { return male_; }
  QPushButton* calculateButton() const { return calculate_; }
  // The control with that child id (fields, radio buttons, push button), or null.
  QWidget* child(int id) const;
  CrClInput input() const;
  // Font, sizes and places for the new resolution; what was typed stays.
  void rescale() override { applyDpi(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void applyDpi();

  ScreenDpi dpi_;
  std::vector<QWidget*> controls_;  // in the layout's order
  KeyboardService& keyboard_;
  MessageService& messages_;
  std::array<QLineEdit*, 4> fields_{};
  QRadioButton* female_ = nullptr;
  QRadioButton* male_ = nullptr;
  QPushButton* calculate_ = nullptr;
  std::function<void(const CrClResult&)> onResult_;
};

// The panel: the title "Creatinine Clearance (CrCl) Calculator" over the form.
class CalculatorPanel : public HeaderedWindow, public Rescalable {
 public:
  CalculatorPanel(QWidget* parent, ScreenDpi dpi, KeyboardService& keyboard, MessageService& messages);
  CalculatorPanel(QWidget* parent, int dpiX, int dpiY, KeyboardService& keyboard, MessageService& messages)
      : CalculatorPanel(parent, ScreenDpi(dpiX, dpiY), keyboard, messages) {}
  CrClForm* form() const { return form_; }
  // The title's font for the new resolution.
  void rescale() override { applyDpi(); }

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void placeForm();
  void applyDpi();
  ScreenDpi dpi_;
  QLabel* title_;
  CrClForm* form_;
};

class CalculatorViewer : public ContentViewer, public ScriptStateSection, public ScriptControls {
 public:
  CalculatorViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea,
                     ScreenDpi dpi, KeyboardService& keyboard, MessageService& messages);
  CalculatorViewer(const ContentDatabase& database, MainFrame& frame, const PageKeys& keys, QWidget* pageArea, int dpiX, int dpiY, KeyboardService& keyboard, MessageService& messages)
      : CalculatorViewer(database, frame, keys, pageArea, ScreenDpi(dpiX, dpiY), keyboard, messages) {}
  ~CalculatorViewer() override;

  bool show(uint32_t object, const uint8_t* data, size_t length) override;
  void afterLayout() override {}

  // {fields: {"1000": text, ...}, male}
  QJsonObject scriptState() const override;
  QWidget* shownControl(int id) override;
  CalculatorPanel* panel() const { return panel_; }

 private:
  uint32_t resultsKey_;
  CalculatorPanel* panel_;
};

}  // namespace vantrel
