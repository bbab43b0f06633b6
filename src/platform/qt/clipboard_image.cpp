#include "platform/clipboard_image.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QString>
#include <new>

#include "platform/image_encoders.h"
#include "platform/qt/display.h"

namespace plat {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr char kBmpType[] = "image/bmp";

void put32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

// A BMP file is the block behind a 14-byte header that says where the rows start.
QByteArray bmpFile(const std::vector<uint8_t>& block) {
  QByteArray file(kFileHeaderSize + static_cast<qsizetype>(block.size()), '\0');
  char* p = file.data();
  p[0] = 'B', p[1] = 'M';
  put32(p + 2, static_cast<uint32_t>(file.size()));
  const uint32_t headerSize = block.size() >= 4 ? block[0] | block[1] << 8 : 0;
  const uint16_t bits = block.size() >= 16 ? static_cast<uint16_t>(block[14] | block[15] << 8) : 0;
  put32(p + 10, kFileHeaderSize + headerSize + (bits <= 8 ? 4u << bits : 0));
  std::copy(block.begin(), block.end(), p + kFileHeaderSize);
  return file;
}

QByteArray pngOf(const Surface& picture) {
  for (const ImageEncoder& e : imageEncoders()) {
    std::vector<uint8_t> bytes;
    if (QString::fromLatin1(e.mimeType) == u"image/png" && e.encode(picture, -1, bytes)) {
      return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<qsizetype>(bytes.size()));
    }
  }
  return {};
}

std::vector<uint8_t> bytesOf(const QByteArray& data, qsizetype from = 0) {
  if (data.size() <= from) return {};
  return std::vector<uint8_t>(data.begin() + from, data.end());
}

}  // namespace

bool setClipboardImage(const std::vector<uint8_t>& dibBlock, const Surface& picture) {
  QByteArray bmp, png;
  try {
    bmp = bmpFile(dibBlock);
    png = pngOf(picture);
  } catch (const std::bad_alloc&) {
    clearClipboard();
    return false;
  }
  if (png.isEmpty()) {
    clearClipboard();
    return false;
  }
  qt::runOnDisplay([&] {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kBmpType), bmp);
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);  // the clipboard owns it
  });
  return true;
}

void setClipboardFormats(const std::vector<ClipboardFormat>& formats) {
  qt::runOnDisplay([&] {
    auto* data = new QMimeData;
    for (const ClipboardFormat& f : formats) {
      data->setData(QString::fromStdString(f.mimeType),
                    QByteArray(reinterpret_cast<const char*>(f.bytes.data()),
                               static_cast<qsizetype>(f.bytes.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data);
  });
}

void clearClipboard() {
  qt::runOnDisplay([] { QGuiApplication::clipboard()->clear(); });
}

ClipboardImage clipboardImage() {
  QByteArray bmp, other;
  qt::runOnDisplay([&] {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return;
    const QStringList formats = data->formats();
    if (formats.contains(QString::fromLatin1(kBmpType)))
      bmp = data->data(QString::fromLatin1(kBmpType));
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    for (const QString& f : formats) {
      if (f != QString::fromLatin1(kBmpType) && f.startsWith(u"image/") &&
          readable.contains(f.toLatin1())) {
        other = data->data(f);
        if (!other.isEmpty()) break;
      }
    }
  });
  ClipboardImage image;
  try {
    // A block may come with or without its file header.
    image.dibBlock = bytesOf(bmp, bmp.startsWith("BM") ? kFileHeaderSize : 0);
    image.encoded = bytesOf(other);
  } catch (const std::bad_alloc&) {
    return {};
  }
  return image;
}

}  // namespace plat
