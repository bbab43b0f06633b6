#include "interchange/clipboard_images.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"
#include "interchange/dib_block.h"
#include "interchange/interchange.h"
#include "platform/clipboard_image.h"
#include "platform/dialogs.h"
#include "platform/imagefile.h"
#include "platform/message.h"

namespace interchange {

namespace {

ImageWindowRecord* openRecord(int number) {
  if (static_cast<unsigned>(number) >= kImageWindowCount) return nullptr;
  ImageWindowRecord& rec = ImageTable[number];
  return rec.inUse ? &rec : nullptr;
}

std::unique_ptr<plat::Surface> fromBlock(const std::vector<uint8_t>& block,
                                         plat::PaletteEntry* palette, int* count) {
  DibPicture picture;
  if (readDibBlock(block.data(), block.size(), picture) != DibError::None) return nullptr;
  std::unique_ptr<plat::Surface> s = plat::Surface::create(picture.width, picture.height, 32);
  if (!s) return nullptr;
  for (int y = 0; y < picture.height; ++y) {
    std::copy_n(picture.pixels.data() + static_cast<size_t>(y) * picture.width, picture.width,
                s->row32(y));
  }
  if (palette) std::copy_n(picture.colours.begin(), picture.colourCount, palette);
  *count = picture.colourCount;
  return s;
}

std::unique_ptr<plat::Surface> fromEncoded(const std::vector<uint8_t>& bytes,
                                           plat::PaletteEntry* palette, int* count) {
  plat::LoadedImage image = plat::loadImageBytes(bytes.data(), bytes.size());
  if (!image.object) return nullptr;
  std::unique_ptr<plat::Surface> s = std::move(image.object);
  if (s->bits() == 8) {
    std::unique_ptr<plat::Surface> colours = plat::Surface::create(s->width(), s->height(), 32);
    if (!colours) return nullptr;
    plat::bitBlt(*colours, 0, 0, s->width(), s->height(), *s, 0, 0);
    colours->palette() = s->palette();
    s = std::move(colours);
  }
  if (palette) std::copy_n(s->palette().begin(), image.paletteCount, palette);
  *count = image.paletteCount;
  return s;
}

}  // namespace

void CutImageToClipboard(int number) {
  TAV_CopyImageToClipboard(number);
  if (TAV_ClearImage(number) == 0) plat::invalidate(ImageTable[number].window);
}

}  // namespace interchange

void TAV_CopyImageToClipboard(int number) {
  const ImageWindowRecord* rec = interchange::openRecord(number);
  if (!rec) return;
  const std::vector<uint8_t> block =
      interchange::writeDibBlock(*rec->surface, interchange::ClipboardBlockLimit);
  if (block.empty() || !plat::setClipboardImage(block, *rec->surface)) {
    plat::clearClipboard();
    plat::messageBox(plat::Window{}, "No enough memory for copy", "Pause");
  }
}

std::unique_ptr<plat::Surface> TAV_GetClipboardBitmap(plat::PaletteEntry* palette, int* count) {
  int ignored = 0;
  if (!count) count = &ignored;
  *count = 0;
  const plat::ClipboardImage clip = plat::clipboardImage();
  if (!clip.dibBlock.empty()) {
    if (auto s = interchange::fromBlock(clip.dibBlock, palette, count)) return s;
  }
  if (!clip.encoded.empty()) return interchange::fromEncoded(clip.encoded, palette, count);
  return nullptr;
}

int TAV_PasteImage(int x, int number, int y) {
  ImageWindowRecord* rec = interchange::openRecord(number);
  if (!rec) return kPasteBadWindow;
  plat::Palette colours{};
  int count = 0;
  std::unique_ptr<plat::Surface> bitmap = TAV_GetClipboardBitmap(colours.data(), &count);
  if (!bitmap) return kPasteNoPicture;
  if (x == -1 || y == -1) {
    // The user places a box of the picture's size; the picture lands where it was shown.
    const int w = bitmap->width();
    const int h = bitmap->height();
    int pickedX = 0, pickedY = 0;
    if (TAV_PickPlace(number, w, h, pickedX, pickedY) != kPickDone) return kPasteNoPlace;
    x = pickedX - w / 2;
    y = pickedY - h / 2;
  }
  if (rec->bits == 8) std::copy_n(colours.begin(), count, rec->surface->palette().begin());
  plat::bitBlt(*rec->surface, x, y, bitmap->width(), bitmap->height(), *bitmap, 0, 0);
  plat::invalidate(rec->window);
  return kPasteDone;
}

int TAV_PutPasteBitmap() {
  const std::unique_ptr<plat::Surface> bitmap = std::move(PasteBitmap);
  ImageWindowRecord* rec = interchange::openRecord(CurrentImage);
  if (!rec) return kPasteBadWindow;
  if (!bitmap) return kPasteNoPicture;
  plat::bitBlt(*rec->surface, 0, 0, bitmap->width(), bitmap->height(), *bitmap, 0, 0);
  plat::invalidate(rec->window);
  return kPasteDone;
}
