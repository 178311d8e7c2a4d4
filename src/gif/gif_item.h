// Base classes of the GIF stream model: the codec's exception, the warning
// callback, stream parts (items) and owned lists of them.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/exceptions.h"
#include "gif/gif_read.h"
#include "platform/stream.h"

namespace orv {

// Every error raised by the GIF codec.
class GIFException : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

// Receives the reader's warnings; the reader only uses severity 1.
using TGIFWarning = std::function<void(void* sender, int severity, const std::string& message)>;

class TGIFImage;

// A part of a GIF stream; knows the image that owns it.
class TGIFItem {
 public:
  explicit TGIFItem(TGIFImage* image) : image_(image) {}
  virtual ~TGIFItem() = default;
  TGIFItem(const TGIFItem&) = delete;
  TGIFItem& operator=(const TGIFItem&) = delete;

  TGIFImage* Image() const { return image_; }
  // Format version a writer would need for this part: 1 ("87a") or 2 ("89a").
  virtual int Version() const { return 1; }
  // Forwards to the owning image's warning handler.
  virtual void ReportWarning(int severity, const std::string& message);
  virtual void LoadFromStream(TGIFReader& in) = 0;
  void LoadFromFile(const std::string& path);

 protected:
  TGIFImage* image_;
};

// Base of the owned lists (frames of an image, extensions of a frame).
class TGIFList {
 public:
  explicit TGIFList(TGIFImage* image) : image_(image) {}
  virtual ~TGIFList() = default;
  TGIFList(const TGIFList&) = delete;
  TGIFList& operator=(const TGIFList&) = delete;

  TGIFImage* Image() const { return image_; }
  virtual void ReportWarning(int severity, const std::string& message);

 protected:
  TGIFImage* image_;
};

}  // namespace orv
