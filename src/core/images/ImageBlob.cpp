#include "core/images/ImageBlob.h"

#include <algorithm>

#include "core/content/ContentCursor.h"

namespace vantrel {

namespace {

uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

VariantRange failed(VariantProblem problem, uint32_t offset = 0) {
  VariantRange r;
  r.offset = offset;
  r.problem = problem;
  return r;
}

}  // namespace

const char* variantProblemText(VariantProblem problem) {
  switch (problem) {
    case VariantProblem::None: return "";
    case VariantProblem::Missing: return "the variant's descriptor is not in the blob";
    case VariantProblem::Empty: return "the variant is empty";
    case VariantProblem::Backwards: return "the next variant starts before this one";
    case VariantProblem::PastEnd: return "the variant runs past the end of the blob";
    case VariantProblem::TooLarge: return "the variant is larger than 64 MiB";
  }
  return "";
}

ImageBlobLayout parseImageBlobLayout(const uint8_t* bytes, size_t available, uint32_t blobLength) {
  ImageBlobLayout layout;
  layout.length = blobLength;
  available = std::min<size_t>(available, blobLength);
  if (!bytes || available == 0) return layout;
  layout.count = bytes[0];
  layout.variants.reserve(layout.count);
  for (uint32_t i = 0; i < layout.count; ++i) {
    const size_t at = 1 + size_t(i) * kImageDescriptorBytes;
    if (at + kImageDescriptorBytes > available) break;
    const uint8_t* d = bytes + at;
    layout.variants.push_back({be16(d + 2), be16(d + 4), be32(d + 7)});
  }
  return layout;
}

VariantRange variantRange(const ImageBlobLayout& layout, uint32_t v) {
  if (v >= layout.count || v >= layout.variants.size()) return failed(VariantProblem::Missing);
  const uint32_t begin = layout.variants[v].offset;
  uint32_t end = layout.length;
  if (v + 1 < layout.count) {
    // The next descriptor bounds this variant; a table cut off before it
    // leaves the end unknown.
    if (v + 1 >= layout.variants.size()) return failed(VariantProblem::PastEnd, begin);
    end = layout.variants[v + 1].offset;
  }
  if (begin > layout.length || end > layout.length) return failed(VariantProblem::PastEnd, begin);
  if (end < begin) return failed(VariantProblem::Backwards, begin);
  if (end == begin) return failed(VariantProblem::Empty, begin);
  if (end - begin > kMaxVariantBytes) return failed(VariantProblem::TooLarge, begin);
  VariantRange r;
  r.offset = begin;
  r.size = end - begin;
  r.problem = VariantProblem::None;
  return r;
}

uint32_t chooseImageVariant(const ImageBlobLayout& layout, Size screen, int dpiX, int dpiY) {
  if (layout.count < 2) return 0;
  const auto w16 = static_cast<uint16_t>(screen.width);
  const auto h16 = static_cast<uint16_t>(screen.height);
  for (size_t i = 0; i < layout.variants.size(); ++i)
    if (layout.variants[i].width == w16 && layout.variants[i].height == h16) return static_cast<uint32_t>(i);
  const auto pw = static_cast<uint16_t>((240 * dpiX + 48) / 96);
  const auto ph = static_cast<uint16_t>((320 * dpiY + 48) / 96);
  for (size_t i = 0; i < layout.variants.size(); ++i)
    if (layout.variants[i].width == pw && layout.variants[i].height == ph) return static_cast<uint32_t>(i);
  return 0;
}

bool imageBlobNumber(const ContentDatabase& db, ObjectIndex image, uint32_t& blob) {
  ContentCursor c;
  if (!c.open(db, image)) return false;
  ContentCursor data = c;
  blob = data.toChildOfType(u"data") ? data.entry().value : c.entry().value;
  return true;
}

ImageBlobLayout readImageBlobLayout(const ContentDatabase& db, uint32_t blob) {
  if (blob >= db.blobCount()) return {};
  const uint32_t length = db.blobLength(blob);
  std::vector<uint8_t> head(std::min(length, kImageHeaderLimit));
  if (head.empty() || !db.readBlob(blob, 0, head.data(), static_cast<uint32_t>(head.size()))) {
    ImageBlobLayout layout;
    layout.length = length;
    return layout;
  }
  return parseImageBlobLayout(head.data(), head.size(), length);
}

bool readVariantBytes(const ContentDatabase& db, uint32_t blob, const VariantRange& range,
                      std::vector<uint8_t>& out) {
  out.clear();
  if (!range.ok() || blob >= db.blobCount()) return false;
  // The range was checked against the length the layout was read with; the
  // database checks the read against its file once more.
  const uint32_t length = db.blobLength(blob);
  if (range.offset > length || range.size > length - range.offset) return false;
  out.resize(range.size);
  if (!db.readBlob(blob, range.offset, out.data(), range.size)) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace vantrel
