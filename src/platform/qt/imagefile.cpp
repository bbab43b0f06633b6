#include "platform/imagefile.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/jpeg_encoder.h"
#include "platform/qt/image_view.h"

namespace plat {

void keepImagePluginsFound(int& argc, char** argv) {
  if (QCoreApplication::instance()) return;
  static QCoreApplication app(argc, argv);
}

std::string imageExtensionList() {
  std::string list;
  const size_t count = std::size(kImageExtensions);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) list += i + 1 == count ? " or " : ", ";
    list += kImageExtensions[i].extension;
  }
  return list;
}

const char* imageFileErrorText(ImageFileError e) {
  static const std::string unknownExtension =
      "unknown image type (use " + imageExtensionList() + ")";
  switch (e) {
    case ImageFileError::None:
      return "no error";
    case ImageFileError::CannotOpen:
      return "cannot open the file";
    case ImageFileError::CannotDecode:
      return "not a readable image";
    case ImageFileError::OutOfMemory:
      return "not enough memory for the picture";
    case ImageFileError::UnknownExtension:
      return unknownExtension.c_str();
    case ImageFileError::UnsupportedDepth:
      return "only 8-bit and 32-bit pictures can be saved";
    case ImageFileError::CannotWrite:
      return "cannot write the file";
    case ImageFileError::TooLarge:
      return "picture too large";
    case ImageFileError::NameTooLong:
      return "name too long";
  }
  return "unknown error";
}

namespace {

QString qPath(const std::string& path) {
  return QString::fromUtf8(path.data(), path.size());
}

// The writer's format name for a file name's extension, or null.
const char* formatForName(const std::string& path) {
  const QString suffix = "." + QFileInfo(qPath(path)).suffix().toLower();
  for (const ImageExtension& e : kImageExtensions) {
    if (suffix == QLatin1String(e.extension)) return e.format;
  }
  return nullptr;
}

LoadedImage fail(ImageFileError e) {
  LoadedImage r;
  r.reason = e;
  return r;
}

LoadedImage fromIndexed(const QImage& image) {
  std::unique_ptr<Surface> s = Surface::create(image.width(), image.height(), 8);
  if (!s) return fail(ImageFileError::OutOfMemory);
  for (int y = 0; y < image.height(); ++y) {
    std::memcpy(s->row8(y), image.constScanLine(y), static_cast<size_t>(image.width()));
  }
  Palette& pal = s->palette();
  pal = greyPalette();
  const QList<QRgb> table = image.colorTable();
  const int count = static_cast<int>(std::min<qsizetype>(table.size(), 256));
  for (int i = 0; i < count; ++i) {
    pal[i] = {static_cast<uint8_t>(qBlue(table[i])), static_cast<uint8_t>(qGreen(table[i])),
              static_cast<uint8_t>(qRed(table[i])), 0};
  }
  LoadedImage r;
  r.object = std::move(s);
  r.paletteCount = count;
  return r;
}

// The decoded picture is converted where it lies when it can be: a large one then never
// needs room for a third copy.
LoadedImage fromColour(QImage image) {
  image.convertTo(QImage::Format_RGB32);
  if (image.isNull() || image.format() != QImage::Format_RGB32)
    return fail(ImageFileError::OutOfMemory);
  std::unique_ptr<Surface> s = Surface::create(image.width(), image.height(), 32);
  if (!s) return fail(ImageFileError::OutOfMemory);
  for (int y = 0; y < image.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    uint32_t* out = s->row32(y);
    for (int x = 0; x < image.width(); ++x) out[x] = in[x] & 0x00FFFFFFu;
  }
  LoadedImage r;
  r.object = std::move(s);
  return r;
}

// The 16-bit levels of a picture stored with 16 bits a channel; empty for others.
std::vector<uint16_t> levels16Of(const QImage& image) {
  std::vector<uint16_t> levels;
  if (image.format() == QImage::Format_Grayscale16) {
    levels.resize(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
      const auto* in = reinterpret_cast<const uint16_t*>(image.constScanLine(y));
      std::copy_n(in, image.width(), levels.begin() + static_cast<ptrdiff_t>(y) * image.width());
    }
  } else if (image.depth() == 64) {
    const QImage wide = image.convertToFormat(QImage::Format_RGBX64);
    if (wide.isNull()) return levels;
    levels.resize(static_cast<size_t>(image.width()) * image.height());
    for (int y = 0; y < wide.height(); ++y) {
      const auto* in = reinterpret_cast<const QRgba64*>(wide.constScanLine(y));
      for (int x = 0; x < wide.width(); ++x) {
        const uint64_t sum =
            19595ull * in[x].red() + 38470ull * in[x].green() + 7471ull * in[x].blue() + 32768;
        levels[static_cast<size_t>(y) * image.width() + x] = static_cast<uint16_t>(sum >> 16);
      }
    }
  }
  return levels;
}

// The global colour table of a GIF file (the reader's device), empty for other files.
QList<QRgb> gifColourTable(QIODevice* device) {
  if (!device || !device->seek(0)) return {};
  const QByteArray head = device->read(13);
  if (head.size() < 13 || !(head.startsWith("GIF87a") || head.startsWith("GIF89a"))) return {};
  const auto flags = static_cast<uint8_t>(head[10]);
  if (!(flags & 0x80)) return {};
  const int count = 2 << (flags & 7);
  const QByteArray bytes = device->read(3 * count);
  if (bytes.size() < 3 * count) return {};
  QList<QRgb> table;
  for (int i = 0; i < count; ++i) {
    table.push_back(qRgb(static_cast<uint8_t>(bytes[3 * i]), static_cast<uint8_t>(bytes[3 * i + 1]),
                         static_cast<uint8_t>(bytes[3 * i + 2])));
  }
  return table;
}

bool fitsLimits(const QSize& size, int64_t maxPixels) {
  return fitsPictureLimits(size.width(), size.height()) &&
         static_cast<int64_t>(size.width()) * size.height() <= maxPixels;
}

// Decodes whatever the reader is set on. A header claiming more than the limits allow
// is refused before the decoder allocates anything.
LoadedImage decode(QImageReader& reader, int64_t maxPixels) {
  reader.setAutoTransform(false);
  // The decoder's own picture may take up to 8 bytes a pixel (16-bit channels).
  reader.setAllocationLimit(static_cast<int>(std::clamp<int64_t>(maxPixels * 8 >> 20, 1, 1 << 20)));
  const QSize claimed = reader.size();
  if (claimed.isValid() && !fitsLimits(claimed, maxPixels)) return fail(ImageFileError::TooLarge);
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    return fail(reader.error() == QImageReader::FileNotFoundError ||
                        reader.error() == QImageReader::DeviceError
                    ? ImageFileError::CannotOpen
                    : ImageFileError::CannotDecode);
  }
  if (image.width() < 1 || image.height() < 1) return fail(ImageFileError::CannotDecode);
  if (!fitsLimits(image.size(), maxPixels)) return fail(ImageFileError::TooLarge);
  // Two-colour files keep their colour table like every other indexed file.
  if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
    image = image.convertToFormat(QImage::Format_Indexed8);
    if (image.isNull()) return fail(ImageFileError::OutOfMemory);
  }
  if (image.format() == QImage::Format_Indexed8) return fromIndexed(image);
  std::vector<uint16_t> levels16;
  try {
    levels16 = levels16Of(image);
  } catch (const std::bad_alloc&) {
    return fail(ImageFileError::OutOfMemory);
  }
  LoadedImage r = fromColour(std::move(image));
  r.levels16 = std::move(levels16);
  // GIF pictures decode to colours; their global colour table comes along.
  const QList<QRgb> table = r.object ? gifColourTable(reader.device()) : QList<QRgb>{};
  for (qsizetype i = 0; i < table.size(); ++i) {
    r.object->palette()[i] = {static_cast<uint8_t>(qBlue(table[i])),
                              static_cast<uint8_t>(qGreen(table[i])),
                              static_cast<uint8_t>(qRed(table[i])), 0};
  }
  r.paletteCount = static_cast<int>(table.size());
  return r;
}

}  // namespace

LoadedImage loadImageFile(const std::string& path, int64_t maxPixels) {
  const QFileInfo info(qPath(path));
  if (!info.isFile() || !info.isReadable()) return fail(ImageFileError::CannotOpen);
  QImageReader reader(qPath(path));
  return decode(reader, std::min(maxPixels, kMaxDecodedPixels));
}

LoadedImage loadImageBytes(const uint8_t* bytes, size_t size) {
  if (!bytes || size == 0 || size > static_cast<size_t>(INT32_MAX)) {
    return fail(ImageFileError::CannotDecode);
  }
  QByteArray data =
      QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) return fail(ImageFileError::CannotDecode);
  QImageReader reader(&buffer);
  return decode(reader, kMaxDecodedPixels);
}

bool isSavableImageName(const std::string& path) {
  return formatForName(path) != nullptr;
}

namespace {

// JPEG at the best quality with full chroma (libjpeg-turbo), the rest through Qt.
bool writeImage(const Surface& s, const char* format, QSaveFile& file) {
  if (std::strcmp(format, "jpeg") == 0) {
    std::vector<uint8_t> bytes;
    if (!encodeJpeg444(s, 100, bytes)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    return file.write(reinterpret_cast<const char*>(bytes.data()), size) == size;
  }
  QImageWriter writer(&file, format);
  return writer.write(qt::imageView(s)) && file.error() == QFileDevice::NoError;
}

}  // namespace

struct StagedImageFile::Impl {
  QSaveFile file;
  explicit Impl(const QString& path) : file(path) {}
};

StagedImageFile::StagedImageFile(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

StagedImageFile::~StagedImageFile() {
  if (impl_) impl_->file.cancelWriting();
}

MadeImageFile StagedImageFile::stage(const Surface& s, const std::string& path) {
  const char* format = formatForName(path);
  if (!format) return MadeImageFile::failed(ImageFileError::UnknownExtension);
  if (s.bits() != 32 && s.bits() != 8)
    return MadeImageFile::failed(ImageFileError::UnsupportedDepth);
  auto impl = std::make_unique<Impl>(qPath(path));
  if (!impl->file.open(QIODevice::WriteOnly))
    return MadeImageFile::failed(ImageFileError::CannotWrite);
  if (!writeImage(s, format, impl->file)) {
    impl->file.cancelWriting();
    return MadeImageFile::failed(ImageFileError::CannotWrite);
  }
  return MadeImageFile{std::unique_ptr<StagedImageFile>(new StagedImageFile(std::move(impl))),
                       ImageFileError::None};
}

bool StagedImageFile::commit() {
  if (!impl_) return false;
  const bool ok = impl_->file.commit();
  impl_.reset();
  return ok;
}

ImageFileError saveImageFile(const Surface& s, const std::string& path) {
  MadeImageFile staged = StagedImageFile::stage(s, path);
  if (!staged) return staged.reason;
  return staged->commit() ? ImageFileError::None : ImageFileError::CannotWrite;
}

}  // namespace plat
