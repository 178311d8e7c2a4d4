#include "gif/gif_subimage.h"

#include <cstring>

#include "gif/gif_image.h"
#include "gif/gif_lzw.h"
#include "gif/gif_read.h"

namespace orv {

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), extensions_(this), color_map_(image) {}

TGIFSubImage::~TGIFSubImage() { extensions_.Clear(); }

int TGIFSubImage::Version() const {
  return (color_map_.Sorted() || extensions_.Count() > 0) ? 2 : 1;
}

void TGIFSubImage::Clear() {
  extensions_.Clear();
  color_map_.Clear();
  pixels_.reset();
  data_size_ = 0;
  offscreen_ = false;
  desc_ = TImageDescriptor{};
  desc_.Width = desc_.Height = 0;
  transparent_ = false;
  gce_ = nullptr;
  FreeBitmap();
}

bool TGIFSubImage::Empty() const {
  return (!pixels_ && !offscreen_) || data_size_ == 0 || desc_.Width == 0 || desc_.Height == 0;
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const {
  if (color_map_.Count() > 0) return color_map_;
  if (image_ && image_->GlobalColorMap().Count() > 0) return image_->GlobalColorMap();
  return color_map_;
}

void TGIFSubImage::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  need_mask_ = true;
}

int TGIFSubImage::TransparentColorIndex() const { return gce_ ? gce_->TransparentColorIndex() : 0; }

void TGIFSubImage::LoadFromStream(TGIFReader& in) {
  Clear();
  extensions_.LoadFromStream(in, this);
  uint8_t b;
  if (!in.PeekU8(b)) return;
  // A frame of extensions only, such as a comment before the trailer.
  if (b == kTrailer || b == 0) return;

  TGIFReader raw = in.Slice(10);
  desc_.Separator = raw.U8();
  desc_.Left = raw.LE16();
  desc_.Top = raw.LE16();
  desc_.Width = raw.LE16();
  desc_.Height = raw.LE16();
  desc_.PackedFields = raw.U8();
  if (desc_.Width == 0 || desc_.Height == 0) {
    desc_.Width = uint16_t(image_ ? image_->Width() : 0);
    desc_.Height = uint16_t(image_ ? image_->Height() : 0);
    ReportWarning(1, "Image exceeds Logical Screen size");
  }
  if (desc_.PackedFields & 0x80) {
    color_map_.LoadFromStream(in, ColorTableEntries(desc_.PackedFields));
    color_map_.SetSorted((desc_.PackedFields & 0x20) != 0);
  }
  DecodeImageData(in);
  if (RenderOnLoad) Bitmap();
}

void TGIFSubImage::DecodeImageData(TGIFReader& in) {
  const int w = desc_.Width, h = desc_.Height;
  data_size_ = size_t(w) * size_t(h);
  if (data_size_ > 0) {
    if (!PictureSizeAllowed(w, h)) throw GIFException("Image exceeds maximum size");
    // A frame that starts beyond the logical screen never shows: its data
    // is passed over, so a small file cannot make it cost memory.
    if (image_ && image_->Width() > 0 && image_->Height() > 0 &&
        (desc_.Left >= image_->Width() || desc_.Top >= image_->Height())) {
      offscreen_ = true;
      uint8_t code_size;
      if (in.TryU8(code_size)) SkipSubBlocks(in);
      return;
    }
    if (image_) image_->ReserveFramePixels(data_size_);
    pixels_.reset(new uint8_t[data_size_ + kLZWOutputSlack]);
  }
  const uint8_t fill = transparent_ ? uint8_t(TransparentColorIndex()) : 0;
  DecodeGIFImageData(in, pixels_.get(), w, h, Interlaced(), fill,
                     [this](const std::string& message) { ReportWarning(1, message); });
}

}  // namespace orv
