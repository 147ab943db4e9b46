#pragma once
// The creatinine clearance calculator: the checks on the four entry fields,
// the estimate (ideal body weight, obesity adjustment, Cockcroft-Gault) in
// 32-bit floating point, and the results page that links to the guide's
// dosing advice.
//
// The form's window lives in the user interface; everything it decides is
// here, so the window only reads its fields, shows the refusal and moves the
// focus.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/ContentDatabase.h"

namespace vantrel {

// Child ids of the form's controls.
inline constexpr int kCrClAgeField = 1000;
inline constexpr int kCrClWeightField = 1001;
inline constexpr int kCrClCreatinineField = 1002;
inline constexpr int kCrClHeightField = 1003;
inline constexpr int kCrClForm = 1004;
inline constexpr int kCrClFemaleButton = 1006;
inline constexpr int kCrClMaleButton = 1007;
inline constexpr int kCrClCalculateButton = 1008;

// Texts of the form.
inline constexpr std::u16string_view kCrClPanelTitle = u"Creatinine Clearance (CrCl) Calculator";
inline constexpr std::u16string_view kCrClResultsTitle = u"Creatinine Clearance (CrCl) Calculator - results";
inline constexpr std::u16string_view kCrClErrorCaption = u"Error";
inline constexpr std::u16string_view kCrClCalculateText = u"Calculate CrCl";
// Added to the results page when the weight entered is below the ideal body weight.
inline constexpr std::u16string_view kCrClBelowIbwCaution =
    u"<blockquote>Actual weight is below ideal body weight: this estimate uses ideal body weight and may "
    u"overestimate clearance.</blockquote><BR>";

// The texts typed into the form (as the entry fields hold them).
struct CrClInput {
  std::u16string age;
  std::u16string weight;
  std::u16string creatinine;
  std::u16string height;
  bool male = false;  // the "Male" radio button is checked
};

// The estimate, and the page data of the results page: 12 bytes, three
// 32-bit floats in this order.
struct CrClResult {
  float crcl = 0;    // ml/min
  float ibw = 0;     // ideal body weight, kg
  float weight = 0;  // the weight as entered, kg
};

struct CrClOutcome {
  bool ok = false;
  // When refused: the field that gets the focus, the message and its caption
  // ("Error", OK button only), and whether the message box belongs to the
  // form window (the age and weight messages) or to no window.
  int focusField = 0;
  std::u16string message;
  std::u16string caption;
  bool messageOwnedByForm = false;
  // When accepted.
  CrClResult result;
  float dosingWeight = 0;
  bool adjusted = false;  // the weight is above 1.3 x IBW
};

// Fields are read as at most this many characters.
inline constexpr size_t kCrClFieldLimit = 19;

// Whether the field's whole text (blanks around it aside) is one number as
// the readers below take it: digits with an optional sign, and for a decimal
// field an optional "." fraction and exponent.
bool crclFieldIsNumber(std::u16string_view field, bool integer);

// Reads a field as a decimal integer: leading blanks, an optional sign, then
// digits up to the first other character; text that is not a number reads as
// 0. Values beyond the int range are held at its ends.
int readCrClInteger(std::u16string_view field);
// Reads a field as a decimal number: leading blanks, an optional sign, digits
// with an optional "." fraction and an optional exponent; text that is not a
// number reads as 0. The decimal point is "." whatever the locale.
double readCrClNumber(std::u16string_view field);

// Runs the checks in order (age, weight, serum creatinine, height), stopping
// at the first refusal, then computes the estimate. A field whose text is not
// wholly a number gets its own range message and the focus.
CrClOutcome calculateCrCl(const CrClInput& input);

// The arithmetic alone, on values already read and checked.
CrClResult computeCrCl(int age, float weight, float creatinine, float height, bool male,
                       float* dosingWeight = nullptr);

// The page data of the results page, and back. Data shorter than 12 bytes
// (none at all, for instance) reads as three zeros.
std::vector<uint8_t> encodeCrClResult(const CrClResult& result);
CrClResult decodeCrClResult(const uint8_t* data, size_t length);

// The results page for the HTML viewer. It links to the object named
// "DOSAGE_CRCL_BAD" when CrCl is 90 or more and to "DOSAGE_CRCL_OK" below.
std::u16string buildCrClResultsPage(const ContentDatabase& database, const CrClResult& result);

// printf-style fixed notation ("%0.2f", "%0.0f") with "." as the decimal
// point whatever the locale.
std::string formatFixed(double value, int decimals);

}  // namespace vantrel
