#pragma once
// The main window: the emulated device screen. From top to bottom it holds
// the task bar strip with the page title, the frame window's client area
// (the page area where the viewers' windows are laid out) and the command
// bar. Resizing the window resizes the emulated screen.
#include <QWidget>

class QWheelEvent;
#include <functional>
#include <memory>

#include "ui/platform/QtScreen.h"
#include "ui/shell/CommandBarWidget.h"
#include "core/page/FrameWindow.h"
#include "ui/shell/OpenWindows.h"

namespace vantrel {

class MainWindow : public QWidget, public FrameHost {
  Q_OBJECT
 public:
  MainWindow(QtScreen& screen);
  ~MainWindow() override;

  // FrameHost.
  Size clientSize() const override;
  void moveWindow(const Rect& r) override;
  void setWaitCursor(bool on) override;
  void titleChanged(const std::u16string& title) override;
  void navigationStarting() override { closePopups(); }

  // Closes the popups open over this window (footnotes, cell texts, menus).
  void closePopups();
  // Whether w lies in this window or in a popup opened over it.
  bool ownsWidget(const QWidget* w) const;

  // The frame window logic that lays out the page area; set once created.
  void setFrame(FrameWindow* frame) { frame_ = frame; }
  QWidget* pageArea() const { return pageArea_; }
  CommandBarWidget* commandBar() const { return commandBar_; }
  // The dialogs, popup and find bars open in or over this window.
  OpenWindows& openWindows() const { return *openWindows_; }
  const QString& pageTitle() const { return title_; }
  // A page title (markup) as the title strip shows it: plain text on one line.
  static QString plainPageTitle(const std::u16string& title);
  // Called for the desktop shortcuts (Alt+Left, Alt+Right, Alt+Home, Ctrl+Q, Ctrl+K)
  // with the command they stand for.
  void setShortcutHandler(std::function<void(int)> handler) { onShortcut_ = std::move(handler); }
  // Called for Ctrl+P: print the page shown.
  void setPrintHandler(std::function<void()> handler) { onPrint_ = std::move(handler); }
  // The command a key press stands for, or 0.
  static int shortcutCommand(int key, Qt::KeyboardModifiers modifiers);

  // The zoom keys: Ctrl++ and Ctrl+= in, Ctrl+- out, Ctrl+0 back to 100 %.
  enum class ZoomKey { None, In, Out, Reset };
  static ZoomKey zoomKey(int key, Qt::KeyboardModifiers modifiers);
  // Called for the zoom keys and Ctrl+wheel, except in a picture, which
  // zooms itself with them.
  void setZoomHandler(std::function<void(ZoomKey)> handler) { onZoom_ = std::move(handler); }
  // Lays the whole window out again after the screen's resolution changed
  // (a zoom), in this order: each window rescales itself from the innermost
  // out; the main window takes its new smallest size (the emulated screen
  // may grow with it); rescaleViewers runs (the sizes and buttons viewers
  // give their windows have the last word, with the screen's new size); the
  // frame lays the page out; last every window lays itself out at its size.
  void rescaleAll(const std::function<void()>& rescaleViewers);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  // Closing the window is exiting: it asks the exit question first.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void rescaleScreen();
  void rescale();
  void placeCommandBar();
  void setMinimumSizeForScreen();
  bool wheelZoom(QWidget* watched, QWheelEvent* event);
  static bool zoomsItself(const QWidget* w);

  QtScreen& screen_;
  OpenWindows* openWindows_;  // a child object: gone with the window
  FrameWindow* frame_ = nullptr;
  QWidget* pageArea_;
  CommandBarWidget* commandBar_;
  QString title_;
  std::function<void(int)> onShortcut_;
  std::function<void()> onPrint_;
  std::function<void(ZoomKey)> onZoom_;
  int wheelRest_ = 0;
};

}  // namespace vantrel
