#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "../html/GuideFixture.h"
#include "core/tools/CrClCalculator.h"
#include "core/tools/CrClForm.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

CrClOutcome calc(bool male, const char16_t* age, const char16_t* weight, const char16_t* creatinine,
                 const char16_t* height) {
  return calculateCrCl(CrClInput{age, weight, creatinine, height, male});
}

// The field refused, or 0 when accepted.
int refusedField(const char16_t* age, const char16_t* weight, const char16_t* creatinine, const char16_t* height) {
  const CrClOutcome o = calc(false, age, weight, creatinine, height);
  return o.ok ? 0 : o.focusField;
}

std::u16string floatText(float v) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return fromUtf8(std::string(buffer, end));
}

// A guide with the two dosing objects the results page links to.
class ResultsPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ContentWriter w(u"guide");
    const auto notes = addText(w, 0, u"table", u"Notes");
    const auto bad = addText(w, notes, u"hierarchy item", u"Normal renal <b>function</b>");
    w.setName(bad, u"DOSAGE_CRCL_BAD");
    const auto ok = addText(w, notes, u"hierarchy item", u"Renal table");
    w.setName(ok, u"DOSAGE_CRCL_OK");
    ASSERT_TRUE(guide.open(w));
    badIdx = w.indexOf(bad);
    okIdx = w.indexOf(ok);
  }
  std::string page(float crcl, float ibw, float weight) {
    return u8(buildCrClResultsPage(guide.db, CrClResult{crcl, ibw, weight}));
  }
  GuideFile guide;
  ObjectIndex badIdx = 0, okIdx = 0;
};

}  // namespace

TEST(CrCl, WorkedValues) {
  CrClOutcome o = calc(false, u"60", u"70", u"1.0", u"65");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.result.ibw, 57.0f);
  EXPECT_EQ(o.dosingWeight, 57.0f);
  EXPECT_EQ(formatFixed(o.result.crcl, 2), "53.83");
  EXPECT_FALSE(o.adjusted);
  EXPECT_EQ(o.result.weight, 70.0f);

  o = calc(true, u"40", u"100", u"1.0", u"70");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.result.ibw, 73.0f);
  EXPECT_NEAR(o.dosingWeight, 83.8f, 1e-4);
  EXPECT_EQ(formatFixed(o.result.crcl, 2), "116.39");
  EXPECT_TRUE(o.adjusted);

  o = calc(false, u"85", u"50", u"2.0", u"60");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.result.ibw, 45.5f);
  EXPECT_EQ(formatFixed(o.result.ibw, 0), "46");
  EXPECT_EQ(formatFixed(o.result.crcl, 2), "14.77");

  // A weight below IBW still uses IBW.
  o = calc(true, u"40", u"30", u"1.0", u"70");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.dosingWeight, 73.0f);
  EXPECT_FALSE(o.adjusted);
}

TEST(CrCl, ChecksInOrderWithTheirMessages) {
  CrClOutcome o = calc(false, u"0", u"0", u"0", u"0");
  ASSERT_FALSE(o.ok);
  EXPECT_EQ(o.focusField, 1000);
  EXPECT_EQ(u8(o.message), "The \"Age\" value must be between 0 and 140 years inclusive.");
  EXPECT_EQ(u8(o.caption), "Error");
  EXPECT_TRUE(o.messageOwnedByForm);

  o = calc(false, u"50", u"0", u"0", u"0");
  EXPECT_EQ(o.focusField, 1001);
  EXPECT_EQ(u8(o.message), "The \"Weight\" value must be between 0 and 500 kg inclusive.");
  EXPECT_TRUE(o.messageOwnedByForm);

  o = calc(false, u"50", u"70", u"0", u"0");
  EXPECT_EQ(o.focusField, 1002);
  EXPECT_EQ(u8(o.message), "The \"Serum Creatinine\" value must be between 0.6  and 1000.0 mg/dl inclusive.");
  EXPECT_FALSE(o.messageOwnedByForm);
  EXPECT_EQ(u8(o.caption), "Error");

  o = calc(false, u"50", u"70", u"1", u"0");
  EXPECT_EQ(o.focusField, 1003);
  EXPECT_EQ(u8(o.message), "The \"Height in inches\" value must be between 60.0 and 120.0 inches inclusive.");
  EXPECT_FALSE(o.messageOwnedByForm);
}

TEST(CrCl, RangeBoundaries) {
  const char16_t *w = u"70", *c = u"1", *h = u"65";
  // Age.
  EXPECT_EQ(refusedField(u"0", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"abc", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"-5", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"1", w, c, h), 0);
  EXPECT_EQ(refusedField(u"140", w, c, h), 0);
  EXPECT_EQ(refusedField(u"141", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"99999999999999999", w, c, h), 1000);
  // Weight.
  EXPECT_EQ(refusedField(u"50", u"0", c, h), 1001);
  EXPECT_EQ(refusedField(u"50", u"-1", c, h), 1001);
  EXPECT_EQ(refusedField(u"50", u"500", c, h), 0);
  EXPECT_EQ(refusedField(u"50", u"500.1", c, h), 1001);
  EXPECT_EQ(refusedField(u"50", u"0.001", c, h), 0);
  EXPECT_EQ(refusedField(u"50", u"1e999", c, h), 1001);
  // Serum creatinine: 0.6 as a 32-bit float lies just above 0.6.
  EXPECT_EQ(refusedField(u"50", w, u"0.6", h), 0);
  EXPECT_EQ(refusedField(u"50", w, u"0.59", h), 1002);
  EXPECT_EQ(refusedField(u"50", w, u"1000", h), 0);
  EXPECT_EQ(refusedField(u"50", w, u"1000.1", h), 1002);
  // Height.
  EXPECT_EQ(refusedField(u"50", w, c, u"60"), 0);
  EXPECT_EQ(refusedField(u"50", w, c, u"120"), 0);
  EXPECT_EQ(refusedField(u"50", w, c, u"59.9"), 1003);
  EXPECT_EQ(refusedField(u"50", w, c, u"120.01"), 1003);
}

TEST(CrCl, FieldsThatAreNotWhollyANumberAreRefused) {
  const char16_t *a = u"50", *w = u"70", *c = u"1", *h = u"65";
  // "1,5" once read as 1 and gave a wrong clearance without a word.
  CrClOutcome o = calc(false, a, u"1,5", c, h);
  ASSERT_FALSE(o.ok);
  EXPECT_EQ(o.focusField, 1001);
  EXPECT_EQ(u8(o.message), "The \"Weight\" value must be between 0 and 500 kg inclusive.");
  EXPECT_TRUE(o.messageOwnedByForm);
  EXPECT_EQ(refusedField(u"50years", w, c, h), 1000);
  EXPECT_EQ(refusedField(u"4.9", w, c, h), 1000);  // the age is a whole number
  EXPECT_EQ(refusedField(u"--5", w, c, h), 1000);
  EXPECT_EQ(refusedField(a, u"70kg", c, h), 1001);
  EXPECT_EQ(refusedField(a, u"7 0", c, h), 1001);
  EXPECT_EQ(refusedField(a, w, u"1.2.3", h), 1002);
  EXPECT_EQ(refusedField(a, w, u"0,9", h), 1002);
  EXPECT_EQ(refusedField(a, w, c, u"65in"), 1003);
  EXPECT_EQ(refusedField(a, w, c, u"6e"), 1003);
  // Numbers in every form the reader takes, blanks around them, are accepted.
  EXPECT_EQ(refusedField(u" +50 ", u"70.", u".9", u"6.5e1"), 0);
  EXPECT_EQ(refusedField(u"\t50", u"7E1", u"1e-0", u"65 "), 0);
  EXPECT_TRUE(crclFieldIsNumber(u"12", true));
  EXPECT_FALSE(crclFieldIsNumber(u"", false));
  EXPECT_FALSE(crclFieldIsNumber(u"  ", false));
  EXPECT_FALSE(crclFieldIsNumber(u".", false));
  EXPECT_FALSE(crclFieldIsNumber(u"-", true));
}

TEST(CrCl, ReadingFields) {
  EXPECT_EQ(readCrClInteger(u"  42abc"), 42);
  EXPECT_EQ(readCrClInteger(u"+7"), 7);
  EXPECT_EQ(readCrClInteger(u"4.9"), 4);
  EXPECT_EQ(readCrClInteger(u"99999999999999999"), 2147483647);
  EXPECT_EQ(readCrClInteger(u"-99999999999999999"), -2147483647 - 1);
  // At most 19 characters are read.
  EXPECT_EQ(readCrClInteger(u"0000000000000000001"), 1);
  EXPECT_EQ(readCrClInteger(u"00000000000000000001"), 0);
  EXPECT_EQ(readCrClNumber(u"00000000000000000.5"), 0.5);
  EXPECT_EQ(readCrClNumber(u"000000000000000000.5"), 0.0);

  EXPECT_EQ(readCrClNumber(u" 70.25kg"), 70.25);
  EXPECT_EQ(readCrClNumber(u".5"), 0.5);
  EXPECT_EQ(readCrClNumber(u"5."), 5.0);
  EXPECT_EQ(readCrClNumber(u"1e2"), 100.0);
  EXPECT_EQ(readCrClNumber(u"1e"), 1.0);
  EXPECT_EQ(readCrClNumber(u"2E-1"), 0.2);
  EXPECT_EQ(readCrClNumber(u"-3"), -3.0);
  EXPECT_EQ(readCrClNumber(u"7,5"), 7.0);  // "." is the decimal point
  EXPECT_EQ(readCrClNumber(u"abc"), 0.0);
  EXPECT_EQ(readCrClNumber(u"."), 0.0);
  EXPECT_EQ(readCrClNumber(u"1e-999"), 0.0);
  EXPECT_TRUE(std::isinf(readCrClNumber(u"1e999")));
  EXPECT_EQ(readCrClNumber(u"inf"), 0.0);
  EXPECT_EQ(readCrClNumber(u"nan"), 0.0);
}

TEST(CrCl, ObesityAdjustmentIsStrictlyAboveOnePointThreeIbw) {
  // Female, 70 inches: IBW 68.5 kg.
  const float ibw = computeCrCl(50, 70.0f, 1.0f, 70.0f, false).ibw;
  const float limit = 1.3f * ibw;
  CrClOutcome o = calc(false, u"50", floatText(limit).c_str(), u"1", u"70");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.result.weight, limit);
  EXPECT_FALSE(o.adjusted);
  EXPECT_EQ(o.dosingWeight, ibw);
  const float above = std::nextafter(limit, 1000.0f);
  o = calc(false, u"50", floatText(above).c_str(), u"1", u"70");
  ASSERT_TRUE(o.ok);
  EXPECT_TRUE(o.adjusted);
  EXPECT_GT(o.dosingWeight, ibw);
}

TEST(CrCl, PageDataRoundTrip) {
  const CrClResult r{116.38889f, 73.0f, 100.0f};
  const std::vector<uint8_t> data = encodeCrClResult(r);
  ASSERT_EQ(data.size(), 12u);
  const CrClResult back = decodeCrClResult(data.data(), data.size());
  EXPECT_EQ(back.crcl, r.crcl);
  EXPECT_EQ(back.ibw, r.ibw);
  EXPECT_EQ(back.weight, r.weight);
  // Too short or missing: zeros, nothing read past the end.
  const CrClResult none = decodeCrClResult(data.data(), 11);
  EXPECT_EQ(none.crcl, 0.0f);
  EXPECT_EQ(none.weight, 0.0f);
  EXPECT_EQ(decodeCrClResult(nullptr, 12).ibw, 0.0f);
}

TEST_F(ResultsPage, CrClExactlyNinetyIsNormalAndLinksToTheBadObject) {
  // Male, 59 years, 60 kg, 0.625 mg/dl, 60 in: IBW 50, CrCl = 81 * 50 / 45 = 90 exactly.
  const CrClOutcome o = calc(true, u"59", u"60", u"0.625", u"60");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.result.crcl, 90.0f);
  EXPECT_EQ(u8(buildCrClResultsPage(guide.db, o.result)),
            "<HTML><BODY LINK=#086BE7><B>Creatinine Clearance </B><BR><blockquote>Within normal limits: "
            "90.00ml/min</blockquote><BR><B>Ideal Body Weight </B><BR><blockquote>50kg. Actual Weight: 60kg. "
            "</blockquote><BR><B>Obesity Adjustment: </B><BR><blockquote>None required.</blockquote><BR>"
            "<A HREF=\"" + std::to_string(badIdx) + "\">Normal renal <b>function</b></A><BR></BODY></HTML>");
}

TEST_F(ResultsPage, BelowNinetyAndAdjusted) {
  const CrClOutcome o = calc(false, u"60", u"70", u"1.0", u"65");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(u8(buildCrClResultsPage(guide.db, o.result)),
            "<HTML><BODY LINK=#086BE7><B>Creatinine Clearance </B><BR><blockquote>53.83ml/min. Abnormal level."
            "</blockquote><BR><B>Ideal Body Weight </B><BR><blockquote>57kg. Actual Weight: 70kg. "
            "</blockquote><BR><B>Obesity Adjustment: </B><BR><blockquote>None required.</blockquote><BR>"
            "<A HREF=\"" + std::to_string(okIdx) + "\">Renal table</A><BR></BODY></HTML>");
  const std::string adjusted = page(116.39f, 73.0f, 100.0f);
  EXPECT_NE(adjusted.find("<blockquote>Yes, adjusted appropiately for CrCl estimation.</blockquote><BR><BR><A HREF=\"" +
                          std::to_string(badIdx) + "\">"),
            std::string::npos);
  EXPECT_NE(page(89.999f, 50, 50).find("90.00ml/min. Abnormal level."), std::string::npos);
}

TEST_F(ResultsPage, WeightBelowIdealBodyWeightAddsOneCaution) {
  // Female, 70 inches: IBW 68.5 kg; 40 kg is below it and the estimate uses 68.5.
  const CrClOutcome o = calc(false, u"50", u"40", u"1", u"70");
  ASSERT_TRUE(o.ok);
  EXPECT_EQ(o.dosingWeight, o.result.ibw);
  const std::string got = u8(buildCrClResultsPage(guide.db, o.result));
  const std::string caution =
      "<blockquote>Actual weight is below ideal body weight: this estimate uses ideal body weight and may "
      "overestimate clearance.</blockquote><BR>";
  EXPECT_NE(got.find("<blockquote>None required.</blockquote><BR>" + caution + "<A HREF=\""), std::string::npos);
  EXPECT_EQ(got.find(caution), got.rfind(caution));
  // At or above the ideal body weight the page has no caution.
  EXPECT_EQ(page(60, 68.5f, 68.5f).find("below ideal"), std::string::npos);
  EXPECT_EQ(page(60, 68.5f, 100).find("below ideal"), std::string::npos);
  EXPECT_NE(page(60, 68.5f, 68.4f).find(caution), std::string::npos);
}

TEST(CrClPage, MissingDosingObjectsLinkToObjectZero) {
  GuideFile guide;
  ContentWriter w(u"guide");
  addText(w, 0, u"table", u"Notes");
  ASSERT_TRUE(guide.open(w));
  const std::string page = u8(buildCrClResultsPage(guide.db, CrClResult{10, 50, 50}));
  EXPECT_NE(page.find("<A HREF=\"0\"></A><BR></BODY></HTML>"), std::string::npos);
}

TEST(CrClPage, NumbersUseAPointWhateverTheLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  bool comma = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name)) {
      comma = true;
      break;
    }
  }
  EXPECT_EQ(formatFixed(53.833332, 2), "53.83");
  EXPECT_EQ(readCrClNumber(u"70.5"), 70.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
  if (!comma) GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST(CrClPage, Formatting) {
  EXPECT_EQ(formatFixed(45.5, 0), "46");  // ties to even, as printf
  EXPECT_EQ(formatFixed(44.5, 0), "44");
  EXPECT_EQ(formatFixed(0.125, 2), "0.12");
  EXPECT_EQ(formatFixed(-0.0, 2), "-0.00");
  EXPECT_EQ(formatFixed(3.4028234663852886e38, 0).size(), 39u);
  // Page data from elsewhere may hold any bits: no crash, printf's words.
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 2), "inf");
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::quiet_NaN(), 0), "nan");
}

// The number reader against the C library's reader (in the "C" locale the
// tests run in) on random short texts of digits, points, exponents, signs,
// blanks and letters: the same 32-bit value every time.
TEST(CrCl, NumberReaderAgreesWithStrtod) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  const char alphabet[] = " 0123456789.eE+-a";
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string text;
    const size_t length = next() % 20;
    for (size_t k = 0; k < length; ++k) text.push_back(alphabet[next() % (sizeof alphabet - 1)]);
    const float expected = static_cast<float>(std::strtod(text.c_str(), nullptr));
    const float got = static_cast<float>(readCrClNumber(fromUtf8(text)));
    ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << "'" << text << "': " << got << " vs " << expected;
    const long long wide = std::strtoll(text.c_str(), nullptr, 10);
    const int expectedInt = wide > INT_MAX ? INT_MAX : wide < INT_MIN ? INT_MIN : static_cast<int>(wide);
    ASSERT_EQ(readCrClInteger(fromUtf8(text)), expectedInt) << "'" << text << "'";
  }
}

TEST(CrClForm, ControlsScaleWithTheResolution) {
  const CrClFormLayout at96 = crclFormLayout(96, 96);
  EXPECT_EQ(at96.width, 240);
  EXPECT_EQ(at96.height, 100);
  ASSERT_EQ(at96.controls.size(), 15u);
  const CrClControl& height = at96.controls[10];  // entry of row 3
  EXPECT_EQ(height.id, 1003);
  EXPECT_EQ(height.y, 22 + 66);
  EXPECT_EQ(u8(at96.controls[6].text), "Serum Creatinine:");
  EXPECT_EQ(at96.controls[6].height, 16);
  const CrClFormLayout at131 = crclFormLayout(131, 131);
  EXPECT_EQ(at131.controls[6].height, 22);
  EXPECT_EQ(at131.controls[6].y, (23 * 131 + 48) / 96 + (44 * 131 + 48) / 96);
  const CrClFormLayout at192 = crclFormLayout(192, 192);
  const CrClControl& button = at192.controls.back();
  EXPECT_EQ(u8(button.text), "Calculate CrCl");
  EXPECT_EQ(button.id, 1008);
  EXPECT_EQ(button.x, 130);
  EXPECT_EQ(button.height, 42);
}

TEST_F(ResultsPage, CalculatorViewerTakesTheCalculatorsTable) {
  EXPECT_FALSE(calculatorShows(guide.db, badIdx));
  GuideFile other;
  ContentWriter w(u"guide");
  const auto calcs = addText(w, 0, u"table", u"Calculators");
  const auto item = addText(w, calcs, u"hierarchy item", u"CrCl");
  const auto lower = addText(w, 0, u"table", u"calculators");
  ASSERT_TRUE(other.open(w));
  EXPECT_TRUE(calculatorShows(other.db, w.indexOf(item)));
  EXPECT_TRUE(calculatorShows(other.db, w.indexOf(calcs)));
  EXPECT_FALSE(calculatorShows(other.db, w.indexOf(lower)));
  EXPECT_FALSE(calculatorShows(other.db, other.db.objectCount()));
}
