// Helpers for the GIF tests: loading bytes into an image with its warnings
// collected, and a clock the painter tests drive.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gif/gif_builder.h"
#include "gif/gif_image.h"

namespace orv::test {

struct Loaded {
  std::unique_ptr<TGIFImage> image = std::make_unique<TGIFImage>();
  std::vector<std::string> warnings;
  std::string error;       // message of a raised exception
  int64_t position = -1;   // stream position afterwards
};

// Loads the bytes from `offset` of a memory stream.
Loaded LoadGif(const Bytes& data, int64_t offset = 0);

// A manual clock: Sleep and timed waits advance it at once and are recorded.
class FakeClock : public IGIFPainterClock {
 public:
  uint32_t Now() override { return now_.load(); }
  void Sleep(uint32_t ms) override;
  void Yield() override;
  bool Wait(TPainterEvent& event, uint32_t ms) override;
  void Advance(uint32_t ms) { now_ += ms; }
  std::vector<uint32_t> Sleeps();
  std::vector<uint32_t> Waits();

 private:
  std::atomic<uint32_t> now_{1000};
  std::mutex mu_;
  std::vector<uint32_t> sleeps_, waits_;
};

// Sets the screen depth for one scope.
class ScreenDepth {
 public:
  explicit ScreenDepth(int bits);
  ~ScreenDepth();

 private:
  int old_;
};

}  // namespace orv::test
