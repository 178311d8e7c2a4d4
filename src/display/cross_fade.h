// The cross-fade between two frames of the slideshow: the shown frame
// blended into the next one over a given time, frame by frame as the clock
// advances, ending exactly at the next frame.
#pragma once

#include <cstdint>

#include "platform/bitmap.h"

namespace orv {

// out := from + (to - from) * weight / 256 per byte, weight 0..256 (0 gives
// from, 256 gives to exactly). from and to are frames of one size and one
// format of 32-bit pixels, out gets that size and format; other pairs leave
// out alone.
void BlendFrames(const TBitmap& from, const TBitmap& to, unsigned weight, TBitmap& out);

class TCrossFade {
 public:
  // Starts a fade from `from` to `to` (the frames are taken over) at `now`,
  // lasting `durationMs`. False, and no fade, when the frames cannot be
  // blended (sizes or formats differ, nothing to blend, no time).
  bool Start(TBitmap&& from, TBitmap&& to, uint32_t now, uint32_t durationMs);
  bool Active() const { return active_; }
  // The frame at `now` into out. True while the fade goes on; at its end out
  // becomes the new frame itself and the fade is over (false).
  bool Step(uint32_t now, TBitmap& out);
  // Ends a fade without a last frame (the frames are dropped).
  void Stop();
  // The weight of the last frame Step wrote (0..256).
  unsigned LastWeight() const { return weight_; }

 private:
  TBitmap from_, to_;
  uint32_t start_ = 0, duration_ = 0;
  unsigned weight_ = 0;
  bool active_ = false;
};

}  // namespace orv
