// Running steps on the GUI thread from a worker thread (the GIF painter's
// timing loop). A worker hands a step over and waits; the GUI thread runs
// pending steps from its event loop, and also while it waits for a worker, so
// that neither side can block the other.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace orv {

class MainThread {
 public:
  virtual ~MainThread() = default;
  // Runs step on the GUI thread and returns when it has run. Called on the
  // GUI thread itself, it runs the step at once.
  virtual void Synchronize(const std::function<void()>& step) = 0;
  // On the GUI thread: runs the steps that workers are waiting for.
  virtual void ProcessPending() = 0;
  virtual bool IsMainThread() const = 0;
};

// Runs every step at once on the calling thread (tests, synchronous tools).
class SynchronousMainThread : public MainThread {
 public:
  void Synchronize(const std::function<void()>& step) override { step(); }
  void ProcessPending() override {}
  bool IsMainThread() const override { return true; }
};

// A queue of steps that the GUI thread drains. `wake` is called (from the
// worker) after a step is queued, so the GUI can schedule ProcessPending.
class QueuedMainThread : public MainThread {
 public:
  QueuedMainThread();
  void Synchronize(const std::function<void()>& step) override;
  void ProcessPending() override;
  bool IsMainThread() const override { return std::this_thread::get_id() == main_id_; }
  void SetWakeHandler(std::function<void()> wake);

 private:
  struct Item {
    std::function<void()> step;
    bool done = false;
  };
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::shared_ptr<Item>> queue_;
  std::function<void()> wake_;
  std::thread::id main_id_;
};

// The process's instance (a SynchronousMainThread until the GUI installs one).
MainThread& DefaultMainThread();
void SetDefaultMainThread(MainThread* main_thread);

}  // namespace orv
