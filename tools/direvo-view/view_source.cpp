#include "view_source.h"

#include <algorithm>
#include <cmath>

#include "movie/movie_decoder.h"
#include "movie/picture_convert.h"
#include "platform/imagefile.h"
#include "platform/surface.h"

namespace viewer {

namespace {

// A picture file as 32-bit pixels; an indexed one goes through its palette.
bool readPicture(const std::string& path, std::vector<uint32_t>& pixels, int& width, int& height) {
  plat::LoadedImage loaded = plat::loadImageFile(path);
  if (!loaded.object) return false;
  const plat::Surface& s = *loaded.object;
  std::unique_ptr<plat::Surface> colour;
  const plat::Surface* from = &s;
  if (s.bits() != 32) {
    colour = plat::Surface::create(s.width(), s.height(), 32);
    if (!colour) return false;
    plat::bitBlt(*colour, 0, 0, s.width(), s.height(), s, 0, 0);
    from = colour.get();
  }
  width = from->width();
  height = from->height();
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::copy_n(from->row32(y), width, pixels.data() + static_cast<size_t>(y) * width);
  }
  return true;
}

}  // namespace

ViewSource::~ViewSource() = default;

std::unique_ptr<ViewSource> ViewSource::open(const std::string& path, const ViewLayout& layout,
                                             std::string* why) {
  std::unique_ptr<ViewSource> s(new ViewSource());
  s->layout_ = layout;
  if (!readPicture(path, s->frame_, s->frameWidth_, s->frameHeight_)) {
    movie::silenceDecoderLog();
    int reason = 0;
    s->decoder_ = movie::MovieDecoder::open(path, &reason);
    if (!s->decoder_) {
      *why = reason == 2 ? "cannot read " + path + ": the movie has no picture"
                         : "cannot read " + path + ": it is neither a picture nor a movie";
      return nullptr;
    }
    s->frameWidth_ = s->decoder_->facts().width;
    s->frameHeight_ = s->decoder_->facts().height;
  }
  const std::string refusal = layoutRefusal(layout, s->frameWidth_, s->frameHeight_);
  if (!refusal.empty()) {
    *why = path + ": " + refusal;
    return nullptr;
  }
  s->size_ = viewsSizeOf(layout, s->frameWidth_, s->frameHeight_);
  return s;
}

double ViewSource::fps() const {
  return decoder_ ? decoder_->facts().fps : 0;
}

long ViewSource::frameCount() const {
  return decoder_ ? static_cast<long>(decoder_->facts().frameCount) : 1;
}

long ViewSource::damagedData() const {
  return decoder_ ? decoder_->damagedData() + missing_ : 0;
}

bool ViewSource::read(compose::MultiViewPicture& views, long& number, double& msec) {
  views.width = size_.width;
  views.height = size_.height;
  views.pixels.resize(static_cast<size_t>(size_.width) * static_cast<size_t>(size_.height));
  const compose::PixelBuffer into{views.pixels.data(), size_.width, size_.height};
  if (!decoder_) {
    if (stillGiven_) return false;
    stillGiven_ = true;
    number = 0;
    msec = 0;
    arrangeViews(layout_, {frame_.data(), frameWidth_, frameHeight_}, into);
    return true;
  }
  movie::DecodedFrame decoded;
  // A picture the converter cannot take is passed over like damaged data.
  for (;;) {
    if (!decoder_->read(decoded)) return false;
    bool converted = false;
    if (layout_.readAsIs()) {
      converted =
          movie::convertPictureToImage(*decoded.picture, into.pixels, into.width, into.height);
    } else {
      frame_.resize(static_cast<size_t>(frameWidth_) * static_cast<size_t>(frameHeight_));
      converted =
          movie::convertPictureToImage(*decoded.picture, frame_.data(), frameWidth_, frameHeight_);
      if (converted) arrangeViews(layout_, {frame_.data(), frameWidth_, frameHeight_}, into);
    }
    if (converted) break;
  }
  number = decoded.number;
  msec = decoded.msec;
  // Frames passed over leave a gap in the times, as do frames a damaged container lost.
  const double frameMsec = fps() > 0 ? 1000.0 / fps() : 0;
  if (lastMsec_ >= 0 && frameMsec > 0 && msec - lastMsec_ > 1.5 * frameMsec) {
    (passingOver_ ? passedOver_ : missing_) += std::lround((msec - lastMsec_) / frameMsec) - 1;
  } else if (!skipping_) {
    // The frames decoded while passing over have all come out.
    passingOver_ = false;
  }
  lastMsec_ = msec;
  return true;
}

void ViewSource::passOverUnreferenced(bool on) {
  if (!decoder_ || on == skipping_) return;
  decoder_->passOverUnreferenced(on);
  skipping_ = on;
  if (on) passingOver_ = true;
}

bool ViewSource::seekTo(long n) {
  lastMsec_ = -1;
  if (!decoder_) {
    stillGiven_ = false;
    return n == 0;
  }
  // A seek decodes up to frame n, which passing over might leave out: every frame
  // counts there, and the frames after it are judged late or not anew.
  passOverUnreferenced(false);
  passingOver_ = false;
  return decoder_->seekTo(n);
}

}  // namespace viewer
