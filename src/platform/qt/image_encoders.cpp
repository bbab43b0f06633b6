#include "platform/image_encoders.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <new>

#include "platform/gif_encoder.h"
#include "platform/jpeg_encoder.h"
#include "platform/qt/image_view.h"

namespace plat {

QImage qt::imageView(const Surface& s) {
  if (s.bits() == 32) {
    return QImage(s.data(), s.width(), s.height(), static_cast<qsizetype>(s.stride()),
                  QImage::Format_RGB32);
  }
  QImage image(s.data(), s.width(), s.height(), static_cast<qsizetype>(s.stride()),
               QImage::Format_Indexed8);
  QList<QRgb> table;
  table.reserve(256);
  for (const PaletteEntry& e : s.palette()) table.push_back(qRgb(e.red, e.green, e.blue));
  image.setColorTable(table);
  return image;
}

namespace {

bool encodeWithQt(const Surface& s, const char* format, int quality, std::vector<uint8_t>& out) {
  if (s.bits() != 8 && s.bits() != 32) return false;
  try {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) return false;
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(qt::imageView(s))) return false;
    out.assign(bytes.begin(), bytes.end());
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

template <const char* kFormat>
bool qtEncoder(const Surface& s, int quality, std::vector<uint8_t>& out) {
  return encodeWithQt(s, kFormat, quality, out);
}

bool gifEncoder(const Surface& s, int, std::vector<uint8_t>& out) {
  return encodeGif(s, out);
}

constexpr char kBmp[] = "bmp";
constexpr char kPng[] = "png";
constexpr char kTiff[] = "tiff";

constexpr ImageEncoder kEncoders[] = {
    {"image/bmp", qtEncoder<kBmp>}, {"image/jpeg", encodeJpeg444},    {"image/gif", gifEncoder},
    {"image/png", qtEncoder<kPng>}, {"image/tiff", qtEncoder<kTiff>},
};

}  // namespace

std::span<const ImageEncoder> imageEncoders() {
  return kEncoders;
}

ImageFileError saveImageFileWith(const Surface& s, const std::string& path,
                                 const ImageEncoder& encoder, int quality) {
  std::vector<uint8_t> bytes;
  if (!encoder.encode(s, quality, bytes)) return ImageFileError::OutOfMemory;
  QSaveFile file(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
  if (!file.open(QIODevice::WriteOnly)) return ImageFileError::CannotWrite;
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
    file.cancelWriting();
    return ImageFileError::CannotWrite;
  }
  return file.commit() ? ImageFileError::None : ImageFileError::CannotWrite;
}

}  // namespace plat
