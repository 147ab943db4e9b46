#pragma once
// The interface every viewer implements. A navigation is offered to every
// registered viewer in turn; the viewers that take part add their windows as
// layout items during show and load their content in afterLayout.
#include <cstddef>
#include <cstdint>

#include "core/page/LayoutWindow.h"

namespace vantrel {

class ContentDatabase;
class MainFrame;

class Viewer {
 public:
  virtual ~Viewer() = default;
  // True when the viewer takes part in the page; it then adds its layout
  // items and may set the frame's title.
  virtual bool show(uint32_t object, const uint8_t* data, size_t length) = 0;
  // Called on each viewer that took part, once the new layout is arranged.
  virtual void afterLayout() = 0;
};

// The base of the viewers that read content: holds the database and the
// main frame without owning them.
class ContentViewer : public Viewer {
 public:
  ContentViewer(const ContentDatabase* database, MainFrame* frame) : database_(database), frame_(frame) {}
  void addLayoutItem(LayoutWindow* window, int kind);
  const ContentDatabase* database() const { return database_; }
  MainFrame* frame() const { return frame_; }

 protected:
  const ContentDatabase* database_;
  MainFrame* frame_;
};

}  // namespace vantrel
