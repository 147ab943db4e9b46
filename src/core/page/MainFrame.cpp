#include "core/page/MainFrame.h"

namespace vantrel {

void ContentViewer::addLayoutItem(LayoutWindow* window, int kind) {
  if (frame_) frame_->addLayoutItem(window, kind);
}

MainFrame::MainFrame(FrameWindow& window, KeyboardService& keyboard) : window_(window), keyboard_(keyboard) {}

void MainFrame::navigate(uint32_t object, const uint8_t* data, size_t length, bool hideKeyboard) {
  if (!data) length = 0;
  if (busy_) {
    queue_.push_back({object, PageData(data, length)});
    return;
  }
  // The request's bytes may belong to something the viewers change while
  // the page is shown (the history, the current page record): work on a copy.
  PageData request(data, length);
  window_.host().navigationStarting();
  window_.beginLayout();
  busy_ = true;
  ++navigations_;
  window_.host().setWaitCursor(true);
  items_.clear();
  std::vector<Viewer*> taking;
  for (Viewer* v : viewers_)
    if (v->show(object, request.data(), request.length())) taking.push_back(v);
  if (keyboard_.keyboardShown() && hideKeyboard) keyboard_.hideKeyboard();
  window_.commit(items_);
  window_.arrange(false);
  takingPart_ = taking;
  for (Viewer* v : taking) v->afterLayout();
  window_.host().setWaitCursor(false);
  busy_ = false;
  window_.host().titleChanged(title_);
  if (!queue_.empty()) {
    Request next = std::move(queue_.front());
    queue_.pop_front();
    navigate(next.object, next.data.data(), next.data.length(), true);
  }
}

void MainFrame::setCurrentPage(uint32_t object, const uint8_t* data, size_t length) {
  currentObject_ = object;
  currentData_ = PageData(data, length);
}

void MainFrame::setTitle(std::u16string title) { title_ = std::move(title); }

void MainFrame::enterOverlay() {
  window_.enterOverlay();
  window_.host().setWaitCursor(false);
}

}  // namespace vantrel
