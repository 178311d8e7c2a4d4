#include "gif/gif_lists.h"

#include "gif/gif_image.h"
#include "gif/gif_read.h"
#include "gif/gif_subimage.h"

namespace orv {

void TGIFList::ReportWarning(int severity, const std::string& message) {
  if (image_) image_->ReportWarning(this, severity, message);
}

void TGIFItem::ReportWarning(int severity, const std::string& message) {
  if (image_) image_->ReportWarning(this, severity, message);
}

void TGIFItem::LoadFromFile(const std::string& path) {
  TFileStream stream(path, fmOpenRead);
  TStreamBytes bytes(stream);
  TGIFReader in(bytes.Data(), bytes.Size());
  LoadFromStream(in);
}

// --- extensions of a frame ---

TGIFExtensionList::TGIFExtensionList(TGIFSubImage* frame)
    : TGIFList(frame ? frame->Image() : nullptr), frame_(frame) {}

TGIFExtensionList::~TGIFExtensionList() { Clear(); }

void TGIFExtensionList::Clear() {
  // Extensions unhook themselves from the frame as they go, newest first.
  while (!items_.empty()) items_.pop_back();
}

void TGIFExtensionList::LoadFromStream(TGIFReader& in, TGIFSubImage* frame) {
  uint8_t b;
  while (in.PeekU8(b) && b != kImageSeparator && b != kTrailer) {
    if (b != kExtensionIntroducer) {
      ReportWarning(1, "Invalid extension introducer");
      break;
    }
    // The class is found from the label after the introducer; the
    // extension then reads itself from the introducer on.
    const size_t at = in.Position();
    in.Skip(1);
    const TGIFExtensionClass* cls = FindExtensionClass(in);
    if (!cls) throw GIFException("Unknown extension type");
    in.Seek(at);
    std::unique_ptr<TGIFExtension> ext = cls->create(frame);
    ext->LoadFromStream(in);
    items_.push_back(std::move(ext));
  }
}

// --- frames of an image ---

TGIFImageList::~TGIFImageList() { Clear(); }

void TGIFImageList::Add(std::unique_ptr<TGIFSubImage> frame) { items_.push_back(std::move(frame)); }

void TGIFImageList::Clear() {
  while (!items_.empty()) items_.pop_back();
}

void TGIFImageList::LoadFromStream(TGIFReader& in, TGIFImage* image) {
  for (;;) {
    uint8_t b;
    if (!in.PeekU8(b)) return;
    if (b == 0) {
      in.Skip(1);
      continue;
    }
    if (b == kTrailer) return;
    if (b != kExtensionIntroducer && b != kImageSeparator) {
      ReportWarning(1, "Unknown GIF block type");
      return;
    }
    auto frame = std::make_unique<TGIFSubImage>(image);
    frame->LoadFromStream(in);
    items_.push_back(std::move(frame));
    if (image) image->LoadProgress(in.Position());
  }
}

}  // namespace orv
