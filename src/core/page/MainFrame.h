#pragma once
// The main frame: offers every navigation to the registered viewers in
// order, has the frame window lay out the windows they contribute, queues
// requests made while a navigation runs, and keeps the record of the page
// shown (object, page data, title).
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/page/FrameWindow.h"
#include "core/page/PageData.h"
#include "core/page/Viewer.h"

namespace vantrel {

inline constexpr char16_t kGuideTitle[] = u"Vantrel Guide 2007";
inline constexpr char kShortCode[] = "Qd07";

class MainFrame {
 public:
  MainFrame(FrameWindow& window, KeyboardService& keyboard);

  void registerViewer(Viewer* viewer) { viewers_.push_back(viewer); }
  void navigate(uint32_t object, const uint8_t* data, size_t length, bool hideKeyboard);
  void addLayoutItem(LayoutWindow* window, int kind) { items_.push_back({window, kind}); }
  void setCurrentPage(uint32_t object, const uint8_t* data, size_t length);
  uint32_t currentObject() const { return currentObject_; }
  const PageData& currentData() const { return currentData_; }
  void setTitle(std::u16string title);
  const std::u16string& title() const { return title_; }
  void enterOverlay();
  void closeOverlay() { window_.closeOverlay(); }
  FrameWindow& window() { return window_; }

  bool busy() const { return busy_; }
  size_t queued() const { return queue_.size(); }
  const std::vector<Viewer*>& viewers() const { return viewers_; }
  // The viewers that took part in the last navigation, in offering order.
  const std::vector<Viewer*>& takingPart() const { return takingPart_; }
  // Counts the navigations run (queued ones included), for scripted runs.
  uint64_t navigationCount() const { return navigations_; }

 private:
  struct Request {
    uint32_t object;
    PageData data;
  };

  FrameWindow& window_;
  KeyboardService& keyboard_;
  bool busy_ = false;
  std::vector<Viewer*> viewers_;
  std::vector<Viewer*> takingPart_;
  std::vector<LayoutItem> items_;
  std::deque<Request> queue_;
  uint32_t currentObject_ = 0;
  PageData currentData_;
  std::u16string title_;
  uint64_t navigations_ = 0;
};

}  // namespace vantrel
