#include "gif/reduction/color_quantizer.h"

#include <algorithm>

#include "gif/reduction/reduction_palettes.h"
#include "platform/exceptions.h"

namespace orv {

namespace {
constexpr size_t kChunkNodes = 256;
constexpr int kColorsWithStatics = 256 - kStaticColors;
}  // namespace

TColorQuantizer::TColorQuantizer(int max_colors, int color_bits)
    : max_colors_(std::max(max_colors, 1)),
      color_bits_(std::clamp(color_bits, 1, kMaxColorBits)),
      shortcuts_(size_t(1) << (3 * kShortcutDepth)) {}

TOctreeNode* TColorQuantizer::NewNode(int depth) {
  if (!free_) {
    chunks_.push_back(std::make_unique<TOctreeNode[]>(kChunkNodes));
    TOctreeNode* chunk = chunks_.back().get();
    for (size_t i = 0; i < kChunkNodes; ++i) {
      chunk[i].Next = free_;
      free_ = &chunk[i];
    }
  }
  TOctreeNode* node = free_;
  free_ = node->Next;
  *node = TOctreeNode{};
  if (depth == color_bits_) {
    node->Leaf = true;
    ++leaf_count_;
  } else {
    node->Next = reducible_[depth];
    reducible_[depth] = node;
  }
  return node;
}

void TColorQuantizer::FreeNode(TOctreeNode* node) {
  node->Next = free_;
  free_ = node;
}

TOctreeNode* TColorQuantizer::Descend(int red, int green, int blue, int& depth) {
  TOctreeNode** slot = &root_;
  for (depth = 0;; ++depth) {
    if (!*slot) *slot = NewNode(depth);
    TOctreeNode* node = *slot;
    if (node->Leaf) return node;
    const int shift = 7 - depth;
    slot = &node->Child[((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1)];
  }
}

void TColorQuantizer::AddColor(int red, int green, int blue) {
  red = std::clamp(red, 0, 255);
  green = std::clamp(green, 0, 255);
  blue = std::clamp(blue, 0, 255);
  constexpr int shift = 8 - kShortcutDepth;
  TShortcut& shortcut = shortcuts_[size_t((red >> shift) << (2 * kShortcutDepth) |
                                          (green >> shift) << kShortcutDepth | (blue >> shift))];
  TOctreeNode* leaf = shortcut.Leaf;
  if (shortcut.Generation != generation_) {
    int depth;
    leaf = Descend(red, green, blue, depth);
    if (depth <= kShortcutDepth) shortcut = TShortcut{leaf, generation_};
  }
  ++leaf->PixelCount;
  leaf->RedSum += uint64_t(red);
  leaf->GreenSum += uint64_t(green);
  leaf->BlueSum += uint64_t(blue);
  while (leaf_count_ > max_colors_ && ReduceTree()) {
  }
}

bool TColorQuantizer::ReduceTree() {
  int depth = color_bits_ - 1;
  while (depth > 0 && !reducible_[depth]) --depth;
  TOctreeNode* node = reducible_[depth];
  if (!node) return false;
  reducible_[depth] = node->Next;
  node->Next = nullptr;
  // Every list below this one is empty, so the children are leaves.
  int children = 0;
  for (TOctreeNode*& child : node->Child) {
    if (!child) continue;
    node->PixelCount += child->PixelCount;
    node->RedSum += child->RedSum;
    node->GreenSum += child->GreenSum;
    node->BlueSum += child->BlueSum;
    FreeNode(child);
    child = nullptr;
    ++children;
  }
  node->Leaf = true;
  leaf_count_ -= children - 1;
  ++generation_;
  return true;
}

void TColorQuantizer::ProcessImage(TPictureReader& reader) {
  const int w = reader.Width(), h = reader.Height();
  for (int y = 0; y < h; ++y) {
    const uint8_t* p = reader.Row(y);
    for (int x = 0; x < w; ++x, p += 3) AddColor(p[2], p[1], p[0]);
  }
}

void TColorQuantizer::Walk(const TOctreeNode* node, std::vector<TLookupColor>& out) {
  if (node->Leaf) {
    const uint64_t n = node->PixelCount;
    if (n == 0)
      out.push_back(TLookupColor{});
    else
      out.push_back(
          TLookupColor{uint8_t(node->RedSum / n), uint8_t(node->GreenSum / n), uint8_t(node->BlueSum / n)});
    return;
  }
  for (const TOctreeNode* child : node->Child)
    if (child) Walk(child, out);
}

std::vector<TLookupColor> TColorQuantizer::Colors() const {
  std::vector<TLookupColor> out;
  out.reserve(size_t(leaf_count_));
  if (root_) Walk(root_, out);
  return out;
}

TGIFPaletteRef BuildOptimizedPalette(TPictureReader& reader, int colors, int color_bits, bool with_statics) {
  if (!PictureSizeAllowed(reader.Width(), reader.Height()))
    throw EOutOfMemory("Failed to allocate memory for GIF DIB");
  const int wanted = with_statics ? kColorsWithStatics : std::clamp(colors, 1, 256);
  TColorQuantizer quantizer(wanted, color_bits);
  quantizer.ProcessImage(reader);
  const std::vector<TLookupColor> leaves = quantizer.Colors();

  auto palette = std::make_shared<TGIFPalette>();
  palette->reserve(256);
  const TGIFPalette& statics = *SystemPalette20();
  if (with_statics) palette->insert(palette->end(), statics.begin(), statics.begin() + kStaticColorsHalf);
  for (int i = 0; i < wanted; ++i) {
    const TLookupColor c = size_t(i) < leaves.size() ? leaves[size_t(i)] : TLookupColor{};
    palette->push_back({c.Red, c.Green, c.Blue, 0});
  }
  if (with_statics) palette->insert(palette->end(), statics.begin() + kStaticColorsHalf, statics.end());
  return palette;
}

}  // namespace orv
