#include "ui/images/PictureDecoder.h"

#include <QBuffer>
#include <QImageReader>

namespace vantrel {

QImage decodePicture(const std::vector<uint8_t>& bytes, QByteArray* format) {
  if (format) format->clear();
  if (bytes.empty()) return QImage();
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                            static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // A small file may claim a huge picture.
  reader.setAllocationLimit(256);
  // Named before reading: the reader tells the format from the first bytes.
  const QByteArray name = reader.format();
  QImage image;
  if (!reader.read(&image) || image.isNull()) return QImage();
  if (format) *format = name;
  return image;
}

}  // namespace vantrel
