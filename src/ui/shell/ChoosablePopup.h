#pragma once
// A popup menu of the program's own that a scripted run can read (its item
// texts) and choose from, as it does with the platform's menus.
#include <QStringList>

namespace vantrel {

class ChoosablePopup {
 public:
  virtual ~ChoosablePopup() = default;
  virtual QStringList itemTexts() const = 0;
  virtual void chooseItem(int index) = 0;
};

}  // namespace vantrel
