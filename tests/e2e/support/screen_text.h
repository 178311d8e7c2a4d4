// Does a screenshot show real text? A line of text set in a font that has
// its characters shows ink in varied shapes; a font without them shows the
// same hollow box ("tofu") for every character, or nothing at all.
#pragma once

#include <string>

#include "e2e/support/ppm_image.h"

namespace orv::e2e {

struct TextRendering {
  int ink = 0;       // pixels clearly unlike the background (the commonest colour)
  int glyphs = 0;    // runs of columns with ink, separated by blank columns
  int distinct = 0;  // groups of glyphs whose shapes are alike
  int boxes = 0;     // glyphs that are hollow boxes
};

TextRendering AnalyzeText(const PpmImage& image, const Rect& area, int tolerance = 60);

// At least min_glyphs glyphs with ink, mostly of different shapes, and
// hardly any hollow boxes among them.
bool LooksLikeRealText(const TextRendering& text, int min_glyphs);

std::string Describe(const TextRendering& text);

}  // namespace orv::e2e
