#pragma once
// The decisions of the HTML dialog, a modal window that shows a piece of HTML
// and closes on the first link tapped, answering that link's object and
// anchor. The window itself lives in the user interface.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/page/PageSource.h"

namespace vantrel {

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
  friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

// Where the dialog goes: over the whole main window when the requested
// rectangle is empty, otherwise the requested size centred on the main window.
DialogRect placeHtmlDialog(const DialogRect& requested, const DialogRect& mainWindow);

class HtmlDialogModel {
 public:
  // Starts an opening: false when the dialog is already open (the caller
  // then answers -1 at once). Otherwise the dialog is busy and holds the
  // document for the body.
  bool begin(std::u16string_view title, std::u16string_view body);
  bool busy() const { return busy_; }
  const std::u16string& title() const { return title_; }
  const std::u16string& document() const { return document_; }

  // A tapped link: its leading number becomes the result and the text after
  // its first "#" the anchor name. The dialog then closes.
  void linkTapped(std::u16string_view target);
  // Closes the dialog (confirmed, or after a link) and answers the result:
  // the tapped link's object, or -1 when none was tapped.
  int64_t finish();
  const std::u16string& anchorName() const { return anchor_; }

 private:
  bool busy_ = false;
  std::u16string title_;
  std::u16string document_;
  int64_t result_ = -1;
  std::u16string anchor_;
};

}  // namespace vantrel
