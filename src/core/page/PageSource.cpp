#include "core/page/PageSource.h"

namespace vantrel {

PageSource::~PageSource() = default;

InlineImage PageSource::inlineImage(std::u16string_view, uint32_t) { return InlineImage{}; }

std::u16string dialogDocument(std::u16string_view body) {
  std::u16string out;
  out.reserve(kDialogOpen.size() + body.size() + kDialogClose.size());
  out.append(kDialogOpen).append(body).append(kDialogClose);
  return out;
}

LinkTarget parseLinkTarget(std::u16string_view target) {
  LinkTarget link;
  link.follow = !target.empty() && target.substr(0, 4) != u"http";
  uint64_t value = 0;
  bool tooLarge = false;
  for (char16_t c : target) {
    if (c < u'0' || c > u'9') break;
    value = value * 10 + static_cast<uint64_t>(c - u'0');
    if (value > 0xFFFFFFFFull) {
      tooLarge = true;
      value = 0;  // keeps the product bounded while the digits run on
    }
  }
  link.object = tooLarge ? 0xFFFFFFFFu : static_cast<ObjectIndex>(value);
  const size_t hash = target.find(u'#');
  if (hash != std::u16string_view::npos) link.anchor.assign(target.substr(hash + 1));
  return link;
}

void appendDecimal(std::u16string& out, uint32_t n) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (count > 0) out.push_back(digits[--count]);
}

}  // namespace vantrel
