// The octree colour quantizer: a palette suited to one picture. Each pixel's
// colour goes down the tree by one bit of each component per level; when
// there are more leaves than colours wanted, the deepest reducible node is
// folded into a leaf that averages its children.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gif/reduction/color_lookup.h"
#include "gif/gif_palette.h"
#include "gif/reduction/picture_reader.h"

namespace orv {

struct TOctreeNode {
  bool Leaf = false;
  uint64_t PixelCount = 0;
  uint64_t RedSum = 0;
  uint64_t GreenSum = 0;
  uint64_t BlueSum = 0;
  TOctreeNode* Child[8] = {};
  // The next reducible node of the same depth (the next free node while
  // the node is not in the tree).
  TOctreeNode* Next = nullptr;
};

class TColorQuantizer {
 public:
  static constexpr int kMaxColorBits = 8;
  // At least one colour; colour bits (the depth of the leaves) 1 to 8.
  TColorQuantizer(int max_colors, int color_bits);
  TColorQuantizer(const TColorQuantizer&) = delete;
  TColorQuantizer& operator=(const TColorQuantizer&) = delete;

  int MaxColors() const { return max_colors_; }
  int ColorBits() const { return color_bits_; }
  int LeafCount() const { return leaf_count_; }

  // Adds one pixel's colour, then merges nodes until the leaves are no more
  // than the colours wanted.
  void AddColor(int red, int green, int blue);
  // Every pixel, rows top to bottom, columns left to right.
  void ProcessImage(TPictureReader& reader);
  // The leaves' average colours, depth first with children in order 0 to 7;
  // a leaf without pixels is black.
  std::vector<TLookupColor> Colors() const;

 private:
  TOctreeNode* NewNode(int depth);
  TOctreeNode* Descend(int red, int green, int blue, int& depth);
  void FreeNode(TOctreeNode* node);
  bool ReduceTree();
  static void Walk(const TOctreeNode* node, std::vector<TLookupColor>& out);

  int max_colors_;
  int color_bits_;
  int leaf_count_ = 0;
  TOctreeNode* root_ = nullptr;
  TOctreeNode* reducible_[kMaxColorBits] = {};
  // Nodes come from chunks and go back to a free list; merging frees and
  // adding allocates nodes all the time.
  std::vector<std::unique_ptr<TOctreeNode[]>> chunks_;
  TOctreeNode* free_ = nullptr;

  // Leaves no deeper than kShortcutDepth, found by the top bits of a colour,
  // so that most pixels skip the descent: every colour with the same top
  // bits takes the same path there. Nodes only stop being leaves (or go
  // away) when nodes merge, so a merge invalidates all entries at once by
  // moving the generation on.
  static constexpr int kShortcutDepth = 4;
  struct TShortcut {
    TOctreeNode* Leaf = nullptr;
    uint32_t Generation = 0;
  };
  std::vector<TShortcut> shortcuts_;
  uint32_t generation_ = 1;
};

// A palette computed for the picture. Without statics: `colors` entries (1 to
// 256) filled with the quantizer's leaves, the rest black. With statics: 256
// entries, the first ten static colours, 236 computed ones (the rest black),
// the last ten static colours. Pictures beyond PictureSizeAllowed raise
// EOutOfMemory before any row is read.
TGIFPaletteRef BuildOptimizedPalette(TPictureReader& reader, int colors, int color_bits, bool with_statics);

}  // namespace orv
