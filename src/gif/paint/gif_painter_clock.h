// Time for the GIF painter: the millisecond clock, sleeping, and waiting on a
// painter's wake-up event. Injected so that tests can run animations on a
// clock of their own, fast and deterministically.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace orv {

constexpr uint32_t kInfiniteWait = 0xFFFFFFFFu;

// An auto-reset event: Set wakes one wait, which resets it.
class TPainterEvent {
 public:
  void Set();
  // True when set (consuming it); false when the time ran out.
  bool WaitFor(uint32_t ms);
  // Consumes a pending set without waiting.
  bool TryTake();

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  bool set_ = false;
};

class IGIFPainterClock {
 public:
  virtual ~IGIFPainterClock() = default;
  virtual uint32_t Now() = 0;
  // The synchronous painter's sleep steps.
  virtual void Sleep(uint32_t ms) = 0;
  // Gives the processor away once (waiting loops).
  virtual void Yield() = 0;
  // Waits up to ms (kInfiniteWait: until set); true when the event was set.
  virtual bool Wait(TPainterEvent& event, uint32_t ms) = 0;
};

class TSystemPainterClock : public IGIFPainterClock {
 public:
  uint32_t Now() override;
  void Sleep(uint32_t ms) override;
  void Yield() override;
  bool Wait(TPainterEvent& event, uint32_t ms) override { return event.WaitFor(ms); }
};

std::shared_ptr<IGIFPainterClock> SystemPainterClock();

}  // namespace orv
