#include "core/tools/CrClForm.h"

#include "core/content/ContentQueries.h"
#include "core/tools/CrClCalculator.h"

namespace vantrel {

CrClFormLayout crclFormLayout(int dpiX, int dpiY) {
  auto sx = [dpiX](int n) { return (n * dpiX + 48) / 96; };
  auto sy = [dpiY](int n) { return (n * dpiY + 48) / 96; };
  const int lineHeight = ((dpiY + 3) * 16) / 96;
  static const char16_t* const labels[] = {u"Age:", u"Weight in kg:", u"Serum Creatinine:", u"Height in inches"};
  static const char16_t* const units[] = {u"years", u"kg", u"mg/dl", u"in"};
  CrClFormLayout form;
  form.width = sx(240);
  form.height = sy(100);
  for (int i = 0; i < 4; ++i) {
    form.controls.push_back({CrClControlKind::label, labels[i], sx(5), sy(23) + sy(22 * i), sx(105), lineHeight, -1});
    form.controls.push_back(
        {CrClControlKind::entry, u"0", sx(115), sy(22) + sy(22 * i), sx(60), sy(18), kCrClAgeField + i});
    form.controls.push_back(
        {CrClControlKind::unitLabel, units[i], sx(183), sy(23) + sy(22 * i), sx(52), lineHeight, -1});
  }
  form.controls.push_back({CrClControlKind::radioLeft, u"Female", sx(5), sy(111), sx(110), sy(18), kCrClFemaleButton});
  form.controls.push_back({CrClControlKind::radioRight, u"Male", sx(125), sy(111), sx(110), sy(18), kCrClMaleButton});
  form.controls.push_back({CrClControlKind::pushButton, std::u16string(kCrClCalculateText), sx(65), sy(133), sx(110),
                           sy(21), kCrClCalculateButton});
  return form;
}

bool calculatorShows(const ContentDatabase& database, ObjectIndex object) {
  return tableNamed(database, object, u"Calculators");
}

}  // namespace vantrel
