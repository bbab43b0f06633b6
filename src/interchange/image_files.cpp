#include "interchange/image_files.h"

#include <algorithm>
#include <cstring>

#include "base/services.h"
#include "imagewin/imagewin.h"
#include "interchange/interchange.h"
#include "platform/image_encoders.h"
#include "platform/imagefile.h"
#include "platform/message.h"

namespace interchange {

const SaveType kSaveTypes[kSaveTypeCount] = {
    {"image/bmp", ".bmp"}, {"image/jpeg", ".jpg"}, {"image/gif", ".gif"},
    {"image/png", ".png"}, {"image/tiff", ".tif"},
};

namespace {

// The save dialog's filter index 1..6 to a save type.
constexpr int kFilterSaveTypes[] = {0, 0, 1, 2, 3, 4};

const plat::ImageEncoder* FindEncoder(const char* mimeType) {
  for (const plat::ImageEncoder& e : plat::imageEncoders()) {
    if (std::strcmp(e.mimeType, mimeType) == 0) return &e;
  }
  return nullptr;
}

bool lowerEqual(char a, char b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return lower(a) == lower(b);
}

ImageWindowRecord* currentRecord() {
  if (static_cast<unsigned>(CurrentImage) >= kImageWindowCount) return nullptr;
  ImageWindowRecord& rec = ImageTable[CurrentImage];
  return rec.inUse ? &rec : nullptr;
}

}  // namespace

std::string AddExtension(const std::string& name, const std::string& extension) {
  if (name.size() >= 4 && extension.size() == 4 &&
      std::equal(name.end() - 4, name.end(), extension.begin(), lowerEqual)) {
    return name;
  }
  return name + extension;
}

int SaveTypeOfFilter(int filterIndex) {
  if (filterIndex < 1 || filterIndex > static_cast<int>(std::size(kFilterSaveTypes))) return -1;
  return kFilterSaveTypes[filterIndex - 1];
}

int SaveImageAs() {
  char name[kFileNameBytes] = "";
  if (TAV_SaveFileDialog(name) != kDialogChosen) return 1;
  const ImageWindowRecord* rec = currentRecord();
  if (!rec) return 3;
  const int type = SaveTypeOfFilter(ImageFileType);
  // A JPEG is saved at the best quality; the caller's own setting is back afterwards.
  const int callersQuality = JpegQuality;
  if (type == 1) JpegQuality = 100;
  const FileOutcome saved = SaveCurrentImage(rec->height, rec->width, type, name);
  JpegQuality = callersQuality;
  if (saved.reason != plat::ImageFileError::None)
    TellFileFailure(AddExtension(name, kSaveTypes[type].extension), true, saved.reason);
  return saved.result;
}

namespace {

// At most this many bytes of a file name are told, so that the line fits the status
// line; a longer name keeps its start and its end (where the extension is) around "...".
constexpr size_t kToldNameBytes = 16;

bool continuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string shortName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() <= kToldNameBytes) return name;
  size_t head = kToldNameBytes / 2 - 2, tail = name.size() - (kToldNameBytes / 2 - 1);
  while (head > 0 && continuationByte(name[head])) --head;
  while (tail < name.size() && continuationByte(name[tail])) ++tail;
  return name.substr(0, head) + "..." + name.substr(tail);
}

}  // namespace

std::string FileFailureLine(const std::string& path, bool saving, const char* why) {
  return (saving ? "Save " : "Load ") + shortName(path) + ": " + why;
}

void TellFileFailure(const std::string& path, bool saving, const char* why) {
  libraryServices().statusLine(FileFailureLine(path, saving, why).c_str());
}
void TellFileFailure(const std::string& path, bool saving, plat::ImageFileError why) {
  TellFileFailure(path, saving, plat::imageFileErrorText(why));
}

int LoadImageFileTelling(const char* name, int x, int y) {
  const FileOutcome loaded = LoadImageFileInto(name, x, y);
  if (loaded.reason != plat::ImageFileError::None)
    TellFileFailure(name ? name : "", false, loaded.reason);
  return loaded.result;
}

FileOutcome LoadImageFileInto(const char* name, int x, int y) {
  using plat::ImageFileError;
  ImageWindowRecord* rec = currentRecord();
  if (!rec) return {2};
  if (!name) return {1, ImageFileError::CannotOpen};
  if (std::strlen(name) >= kFileNameBytes) return {1, ImageFileError::NameTooLong};
  plat::LoadedImage file = plat::loadImageFile(name);
  if (!file.object) return {1, file.reason};
  const plat::Surface* picture = file.object.get();
  if (rec->bits == 8 && file.paletteCount > 0) {
    TAV_SetPalette(picture->palette().data(), file.paletteCount);
  }
  // The file is drawn by colour: an indexed file going into an 8-bit image takes the
  // image's nearest palette entries, not its own indices.
  std::unique_ptr<plat::Surface> colours;
  if (rec->bits == 8 && picture->bits() == 8) {
    colours = plat::Surface::create(picture->width(), picture->height(), 32);
    if (!colours) return {1, ImageFileError::OutOfMemory};
    plat::bitBlt(*colours, 0, 0, picture->width(), picture->height(), *picture, 0, 0);
    picture = colours.get();
  }
  plat::bitBlt(*rec->surface, x, y, picture->width(), picture->height(), *picture, 0, 0);
  return {0};
}

FileOutcome SaveCurrentImage(int h, int w, int type, const char* name) {
  using plat::ImageFileError;
  const ImageWindowRecord* rec = currentRecord();
  if (!rec) return {3};
  if (w <= 0 || h <= 0) return {2};
  if (type < 0 || type >= kSaveTypeCount || !name) return {1};
  // Larger pictures than the encoders take are refused before any copy is made.
  if (!plat::fitsPictureLimits(w, h)) return {1, ImageFileError::TooLarge};
  const plat::ImageEncoder* encoder = FindEncoder(kSaveTypes[type].mimeType);
  if (!encoder) return {1};
  const std::string path = AddExtension(name, kSaveTypes[type].extension);
  if (path.size() >= kFileNameBytes) return {1, ImageFileError::NameTooLong};

  // The block at the image's own depth; an 8-bit one at the padded stride with the
  // image's palette. Rows are copied one by one so the padding never shears them.
  std::unique_ptr<plat::Surface> picture = plat::Surface::create(w, h, rec->bits);
  if (!picture) return {1, ImageFileError::OutOfMemory};
  for (int y = 0; y < h; ++y) TAV_GetImageBlock(picture->row8(y), 0, y, w, 1);
  if (rec->bits == 8) TAV_GetPalette(picture->palette().data());
  const int quality = type == 1 ? std::clamp(JpegQuality, 0, 100) : -1;
  const ImageFileError written = plat::saveImageFileWith(*picture, path, *encoder, quality);
  return {written == ImageFileError::None ? 0 : 1, written};
}

}  // namespace interchange

int TAV_LoadImageFile(const char* name, int x, int y) {
  return interchange::LoadImageFileInto(name, x, y).result;
}

int TAV_SaveImageFile(int h, int w, int type, const char* name) {
  return interchange::SaveCurrentImage(h, w, type, name).result;
}
