#include "e2e/support/screen_text.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

namespace orv::e2e {

namespace {

struct Mask {
  int width = 0, height = 0;
  std::vector<bool> bits;
  bool At(int x, int y) const { return bits[size_t(y) * size_t(width) + size_t(x)]; }
};

int Distance(Rgb a, Rgb b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

// Alike: sizes within a pixel and at most a tenth of the pixels differ
// (antialiasing moves edges as glyphs sit at fractional positions).
bool Alike(const Mask& a, const Mask& b) {
  if (std::abs(a.width - b.width) > 1 || std::abs(a.height - b.height) > 1) return false;
  const int w = std::min(a.width, b.width), h = std::min(a.height, b.height);
  int differ = std::abs(a.width * a.height - b.width * b.height);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) differ += a.At(x, y) != b.At(x, y);
  return differ * 10 <= std::max(a.width * a.height, b.width * b.height);
}

// A hollow box: ink all along its outline, hardly any inside. Small boxes
// have thin walls; bigger ones may come out two pixels thick.
bool HollowBox(const Mask& m) {
  if (m.width < 4 || m.height < 6) return false;
  const int wall = std::min(m.width, m.height) >= 8 ? 2 : 1;
  int outline = 0, outline_ink = 0, inside = 0, inside_ink = 0;
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      const int depth = std::min(std::min(x, y), std::min(m.width - 1 - x, m.height - 1 - y));
      if (depth == 0) {
        ++outline;
        outline_ink += m.At(x, y);
      } else if (depth >= wall) {
        ++inside;
        inside_ink += m.At(x, y);
      }
    }
  return inside > 0 && outline_ink * 100 >= outline * 85 && inside_ink * 100 <= inside * 15;
}

}  // namespace

TextRendering AnalyzeText(const PpmImage& image, const Rect& area, int tolerance) {
  const PpmImage part = image.Crop(area);
  TextRendering result;
  if (part.width() == 0 || part.height() == 0) return result;
  std::map<uint32_t, int> counts;
  for (int y = 0; y < part.height(); ++y)
    for (int x = 0; x < part.width(); ++x) {
      const Rgb c = part.At(x, y);
      ++counts[uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b];
    }
  const uint32_t bg = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                        return a.second < b.second;
                      })->first;
  const Rgb background{uint8_t(bg >> 16), uint8_t(bg >> 8), uint8_t(bg)};
  auto ink = [&](int x, int y) { return Distance(part.At(x, y), background) > tolerance; };

  std::vector<Mask> glyphs;
  int x = 0;
  while (x < part.width()) {
    auto column_has_ink = [&](int cx) {
      for (int y = 0; y < part.height(); ++y)
        if (ink(cx, y)) return true;
      return false;
    };
    if (!column_has_ink(x)) {
      ++x;
      continue;
    }
    const int x0 = x;
    while (x < part.width() && column_has_ink(x)) ++x;
    int y0 = part.height(), y1 = -1;
    for (int y = 0; y < part.height(); ++y)
      for (int cx = x0; cx < x; ++cx)
        if (ink(cx, y)) {
          y0 = std::min(y0, y);
          y1 = std::max(y1, y);
        }
    Mask m;
    m.width = x - x0;
    m.height = y1 - y0 + 1;
    for (int y = y0; y <= y1; ++y)
      for (int cx = x0; cx < x; ++cx) {
        m.bits.push_back(ink(cx, y));
        result.ink += ink(cx, y);
      }
    glyphs.push_back(std::move(m));
  }
  result.glyphs = int(glyphs.size());
  std::vector<const Mask*> kinds;
  for (const Mask& g : glyphs) {
    result.boxes += HollowBox(g);
    if (std::none_of(kinds.begin(), kinds.end(), [&](const Mask* k) { return Alike(*k, g); })) kinds.push_back(&g);
  }
  result.distinct = int(kinds.size());
  return result;
}

bool LooksLikeRealText(const TextRendering& t, int min_glyphs) {
  return t.glyphs >= min_glyphs && t.ink >= 8 * min_glyphs && t.distinct * 2 >= t.glyphs && t.distinct >= 3 &&
         t.boxes * 4 <= t.glyphs;
}

std::string Describe(const TextRendering& t) {
  return "ink " + std::to_string(t.ink) + ", glyphs " + std::to_string(t.glyphs) + ", distinct " +
         std::to_string(t.distinct) + ", boxes " + std::to_string(t.boxes);
}

}  // namespace orv::e2e
