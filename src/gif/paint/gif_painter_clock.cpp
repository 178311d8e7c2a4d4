#include "gif/paint/gif_painter_clock.h"

#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace orv {

void TPainterEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    set_ = true;
  }
  cv_.notify_all();
}

bool TPainterEvent::WaitFor(uint32_t ms) {
  std::unique_lock<std::mutex> lock(mu_);
  if (ms == kInfiniteWait)
    cv_.wait(lock, [&] { return set_; });
  else if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return set_; }))
    return false;
  set_ = false;
  return true;
}

bool TPainterEvent::TryTake() {
  std::lock_guard<std::mutex> lock(mu_);
  bool was = set_;
  set_ = false;
  return was;
}

uint32_t TSystemPainterClock::Now() { return timeGetTime(); }
void TSystemPainterClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void TSystemPainterClock::Yield() { std::this_thread::sleep_for(std::chrono::microseconds(200)); }

std::shared_ptr<IGIFPainterClock> SystemPainterClock() {
  static const auto clock = std::make_shared<TSystemPainterClock>();
  return clock;
}

}  // namespace orv
