#pragma once
// Decoding a picture held in memory (PNG, JPEG, GIF, BMP and whatever else
// the image plugins read). No file is written for the decoder.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <vector>

namespace vantrel {

// A null image when the bytes cannot be decoded, or when the picture would
// take more than 256 MB decoded. format (when given) receives the decoder's
// name for the file's format, empty when it cannot be decoded.
QImage decodePicture(const std::vector<uint8_t>& bytes, QByteArray* format = nullptr);

}  // namespace vantrel
