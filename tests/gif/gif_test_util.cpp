#include "gif/gif_test_util.h"

#include <thread>

#include "platform/screen_info.h"

namespace orv::test {

Loaded LoadGif(const Bytes& data, int64_t offset) {
  Loaded r;
  r.image->WarningHandler = [&r](void*, int severity, const std::string& m) {
    r.warnings.push_back(severity == 1 ? m : m + " (severity " + std::to_string(severity) + ")");
  };
  TMemoryStream stream(data);
  stream.SetPosition(offset);
  try {
    r.image->LoadFromStream(stream);
  } catch (const GIFException& e) {
    r.error = e.what();
  }
  r.position = stream.Position();
  r.image->WarningHandler = nullptr;
  return r;
}

void FakeClock::Sleep(uint32_t ms) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    sleeps_.push_back(ms);
  }
  now_ += ms;
}

void FakeClock::Yield() { std::this_thread::yield(); }

bool FakeClock::Wait(TPainterEvent& event, uint32_t ms) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    waits_.push_back(ms);
  }
  if (event.TryTake()) return true;
  if (ms == kInfiniteWait) return event.WaitFor(kInfiniteWait);
  now_ += ms;
  return false;
}

std::vector<uint32_t> FakeClock::Sleeps() {
  std::lock_guard<std::mutex> lock(mu_);
  return sleeps_;
}

std::vector<uint32_t> FakeClock::Waits() {
  std::lock_guard<std::mutex> lock(mu_);
  return waits_;
}

ScreenDepth::ScreenDepth(int bits) : old_(ScreenBitsPerPixel()) { SetScreenBitsPerPixel(bits); }
ScreenDepth::~ScreenDepth() { SetScreenBitsPerPixel(old_); }

}  // namespace orv::test
