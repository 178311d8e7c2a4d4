// The owned lists of the stream model: the frames of an image and the
// extensions of one frame.
#pragma once

#include <memory>
#include <vector>

#include "gif/gif_extensions.h"
#include "gif/gif_item.h"

namespace orv {

class TGIFSubImage;

class TGIFExtensionList : public TGIFList {
 public:
  explicit TGIFExtensionList(TGIFSubImage* frame);
  ~TGIFExtensionList() override;

  int Count() const { return int(items_.size()); }
  TGIFExtension* operator[](int i) const { return items_[size_t(i)].get(); }
  void Add(std::unique_ptr<TGIFExtension> ext) { items_.push_back(std::move(ext)); }
  void Clear();
  // Reads the extensions ahead of an image descriptor (see the .cpp).
  void LoadFromStream(TGIFReader& in, TGIFSubImage* frame);

 private:
  TGIFSubImage* frame_;
  std::vector<std::unique_ptr<TGIFExtension>> items_;
};

class TGIFImageList : public TGIFList {
 public:
  using TGIFList::TGIFList;
  ~TGIFImageList() override;

  int Count() const { return int(items_.size()); }
  TGIFSubImage* operator[](int i) const { return items_[size_t(i)].get(); }
  void Add(std::unique_ptr<TGIFSubImage> frame);
  void Clear();
  // Reads frames up to the trailer, the end of the stream or an unknown block.
  void LoadFromStream(TGIFReader& in, TGIFImage* image);

 private:
  std::vector<std::unique_ptr<TGIFSubImage>> items_;
};

}  // namespace orv
