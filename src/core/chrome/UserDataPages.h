#pragma once
// What the chrome viewer needs of the two user-data pages it shows as
// overlays (the bookmark list and the notes panel), of the title-entry
// dialog and of the button bars under them. The windows live on the
// platform side; the flow between them is decided by the chrome.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/page/LayoutWindow.h"

namespace vantrel {

class BookmarkPage {
 public:
  virtual ~BookmarkPage() = default;
  virtual LayoutWindow* pageWindow() = 0;
  // Reloads the list from the bookmark list (after every change).
  virtual void refresh() = 0;
  // The positions of the checked entries; the checkmarks are cleared.
  virtual std::vector<uint32_t> takeChecked() = 0;
};

class NotePage {
 public:
  virtual ~NotePage() = default;
  virtual LayoutWindow* pageWindow() = 0;
  // The editor model's mode, caption or fields changed: show them.
  virtual void modelChanged() = 0;
  // Copies what was typed in the title and text fields into the model.
  virtual void readFields() = 0;
  // Reloads the list from the note list.
  virtual void refreshList() = 0;
  virtual std::vector<uint32_t> takeChecked() = 0;
};

class TitleEntry {
 public:
  virtual ~TitleEntry() = default;
  // Asks for a one-line title under the caption; nothing when cancelled.
  virtual std::optional<std::u16string> askTitle(const std::u16string& caption) = 0;
};

}  // namespace vantrel
