#include "core/tools/CrClCalculator.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/content/ContentQueries.h"
#include "core/page/PageSource.h"

namespace vantrel {
namespace {

bool isBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string_view limited(std::u16string_view field) { return field.substr(0, kCrClFieldLimit); }

std::u16string quotedMessage(std::u16string_view name, std::u16string_view rest) {
  std::u16string m = u"The \"";
  m.append(name).append(u"\"").append(rest);
  return m;
}

CrClOutcome refuse(int field, std::u16string message, bool ownedByForm) {
  CrClOutcome out;
  out.focusField = field;
  out.message = std::move(message);
  out.caption = std::u16string(kCrClErrorCaption);
  out.messageOwnedByForm = ownedByForm;
  return out;
}

void appendAscii(std::u16string& out, const std::string& text) {
  for (char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

}  // namespace

bool crclFieldIsNumber(std::u16string_view field, bool integer) {
  field = limited(field);
  size_t i = 0;
  while (i < field.size() && isBlank(field[i])) ++i;
  if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) ++i;
  size_t digits = 0;
  for (; i < field.size() && isDigit(field[i]); ++i) ++digits;
  if (!integer && i < field.size() && field[i] == u'.') {
    for (++i; i < field.size() && isDigit(field[i]); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (!integer && i < field.size() && (field[i] == u'e' || field[i] == u'E')) {
    size_t j = i + 1;
    if (j < field.size() && (field[j] == u'+' || field[j] == u'-')) ++j;
    if (j < field.size() && isDigit(field[j])) {
      while (j < field.size() && isDigit(field[j])) ++j;
      i = j;
    }
  }
  while (i < field.size() && isBlank(field[i])) ++i;
  return i == field.size();
}

int readCrClInteger(std::u16string_view field) {
  field = limited(field);
  size_t i = 0;
  while (i < field.size() && isBlank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) negative = field[i++] == u'-';
  long long value = 0;
  for (; i < field.size() && isDigit(field[i]); ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (field[i] - u'0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

double readCrClNumber(std::u16string_view field) {
  field = limited(field);
  size_t i = 0;
  while (i < field.size() && isBlank(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) negative = field[i++] == u'-';
  // Collect the longest prefix of the form digits [. digits] [e [sign] digits].
  std::string number;
  size_t mantissaDigits = 0;
  for (; i < field.size() && isDigit(field[i]); ++i, ++mantissaDigits) number.push_back(static_cast<char>(field[i]));
  if (i < field.size() && field[i] == u'.') {
    number.push_back('.');
    for (++i; i < field.size() && isDigit(field[i]); ++i, ++mantissaDigits) {
      number.push_back(static_cast<char>(field[i]));
    }
  }
  if (mantissaDigits == 0) return 0.0;
  bool negativeExponent = false;
  if (i < field.size() && (field[i] == u'e' || field[i] == u'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < field.size() && (field[j] == u'+' || field[j] == u'-')) {
      negativeExponent = field[j] == u'-';
      exponent.push_back(static_cast<char>(field[j++]));
    }
    if (j < field.size() && isDigit(field[j])) {
      for (; j < field.size() && isDigit(field[j]); ++j) exponent.push_back(static_cast<char>(field[j]));
      number += exponent;
    } else {
      negativeExponent = false;  // "1e" reads as 1
    }
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Only an exponent can take at most 19 characters out of range.
    value = negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

CrClResult computeCrCl(int age, float weight, float creatinine, float height, bool male, float* dosingWeight) {
  // Each product is stored before it is added so that no fused multiply-add
  // changes the rounding of the 32-bit results.
  volatile float heightTerm = (height - 60.0f) * 2.3f;
  const float ibw = heightTerm + (male ? 50.0f : 45.5f);
  float w = ibw;
  if (weight > 1.3f * ibw) {
    volatile float excess = (weight - ibw) * 0.4f;
    w = excess + ibw;
  }
  float crcl = 0.0f;
  if (creatinine != 0.0f) {
    const float numerator = (140.0f - static_cast<float>(age)) * w;
    const float denominator = creatinine * 72.0f;
    crcl = numerator / denominator;
  }
  if (!male) crcl = crcl * 0.85f;
  if (dosingWeight) *dosingWeight = w;
  return CrClResult{crcl, ibw, weight};
}

CrClOutcome calculateCrCl(const CrClInput& input) {
  // A field that is not wholly a number ("1,5", "70kg") is refused as an
  // out-of-range one is, rather than read up to its first stray character.
  const int age = readCrClInteger(input.age);
  if (!crclFieldIsNumber(input.age, true) || age < 1 || age > 140) {
    return refuse(kCrClAgeField, quotedMessage(u"Age", u" value must be between 0 and 140 years inclusive."), true);
  }
  const float weight = static_cast<float>(readCrClNumber(input.weight));
  if (!crclFieldIsNumber(input.weight, false) ||
      !(static_cast<double>(weight) > 0.0 && static_cast<double>(weight) <= 500.0)) {
    return refuse(kCrClWeightField, quotedMessage(u"Weight", u" value must be between 0 and 500 kg inclusive."),
                  true);
  }
  const float creatinine = static_cast<float>(readCrClNumber(input.creatinine));
  if (!crclFieldIsNumber(input.creatinine, false) ||
      !(static_cast<double>(creatinine) >= 0.6 && static_cast<double>(creatinine) <= 1000.0)) {
    return refuse(kCrClCreatinineField,
                  quotedMessage(u"Serum Creatinine", u" value must be between 0.6  and 1000.0 mg/dl inclusive."),
                  false);
  }
  const float height = static_cast<float>(readCrClNumber(input.height));
  if (!crclFieldIsNumber(input.height, false) ||
      !(static_cast<double>(height) >= 60.0 && static_cast<double>(height) <= 120.0)) {
    return refuse(kCrClHeightField,
                  quotedMessage(u"Height in inches", u" value must be between 60.0 and 120.0 inches inclusive."),
                  false);
  }
  CrClOutcome out;
  out.ok = true;
  out.result = computeCrCl(age, weight, creatinine, height, input.male, &out.dosingWeight);
  out.adjusted = out.result.weight > 1.3f * out.result.ibw;
  return out;
}

std::vector<uint8_t> encodeCrClResult(const CrClResult& result) {
  std::vector<uint8_t> data(12);
  std::memcpy(data.data(), &result.crcl, 4);
  std::memcpy(data.data() + 4, &result.ibw, 4);
  std::memcpy(data.data() + 8, &result.weight, 4);
  return data;
}

CrClResult decodeCrClResult(const uint8_t* data, size_t length) {
  CrClResult result;
  if (!data || length < 12) return result;
  std::memcpy(&result.crcl, data, 4);
  std::memcpy(&result.ibw, data + 4, 4);
  std::memcpy(&result.weight, data + 8, 4);
  return result;
}

std::string formatFixed(double value, int decimals) {
  char buffer[400];  // the largest double in fixed notation needs 309 digits
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return std::string();
  return std::string(buffer, end);
}

std::u16string buildCrClResultsPage(const ContentDatabase& database, const CrClResult& result) {
  const double crcl = result.crcl;
  const bool normal = crcl >= 90.0;
  std::u16string page = u"<HTML><BODY LINK=#086BE7><B>Creatinine Clearance </B><BR><blockquote>";
  if (normal) {
    page.append(u"Within normal limits: ");
    appendAscii(page, formatFixed(crcl, 2));
    page.append(u"ml/min");
  } else {
    appendAscii(page, formatFixed(crcl, 2));
    page.append(u"ml/min. Abnormal level.");
  }
  page.append(u"</blockquote><BR><B>Ideal Body Weight </B><BR><blockquote>");
  appendAscii(page, formatFixed(result.ibw, 0));
  page.append(u"kg. Actual Weight: ");
  appendAscii(page, formatFixed(result.weight, 0));
  page.append(u"kg. </blockquote><BR><B>Obesity Adjustment: </B><BR>");
  if (result.weight > 1.3f * result.ibw) {
    page.append(u"<blockquote>Yes, adjusted appropiately for CrCl estimation.</blockquote><BR><BR>");
  } else {
    page.append(u"<blockquote>None required.</blockquote><BR>");
  }
  // The estimate never uses less than the ideal body weight, which
  // overstates clearance for a light patient: say so.
  if (result.weight < result.ibw) page.append(kCrClBelowIbwCaution);
  // CrCl of 90 or more leads to the advice for normal renal function.
  const ObjectIndex advice = database.objectByName(normal ? u"DOSAGE_CRCL_BAD" : u"DOSAGE_CRCL_OK");
  std::u16string adviceText;
  if (advice != 0) textOf(database, advice, adviceText);
  page.append(u"<A HREF=\"");
  appendDecimal(page, advice);
  page.append(u"\">").append(adviceText).append(u"</A><BR>");
  page.append(u"</BODY></HTML>");
  return page;
}

}  // namespace vantrel
