#pragma once
// The calculator form's controls: kinds, texts, ids and positions at a given
// screen resolution (sizes written for 96 dots per inch, scaled as
// (n * dpi + 48) / 96), and which objects the calculator viewer takes.
#include <string>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

enum class CrClControlKind {
  label,        // static text, right-aligned
  unitLabel,    // static text, no prefix processing
  entry,        // bordered edit field, initially "0"
  radioLeft,    // automatic radio button, text left of the button, right-aligned
  radioRight,   // automatic radio button, text right of the button
  pushButton,
};

struct CrClControl {
  CrClControlKind kind;
  std::u16string text;
  int x, y, width, height;
  int id;  // -1: none
};

struct CrClFormLayout {
  int id = 1004;  // the form window, at (0, 0)
  int width = 0, height = 0;
  std::vector<CrClControl> controls;  // in creation order
};

CrClFormLayout crclFormLayout(int dpiX, int dpiY);

// The calculator viewer takes objects in the table titled "Calculators".
bool calculatorShows(const ContentDatabase& database, ObjectIndex object);

}  // namespace vantrel
