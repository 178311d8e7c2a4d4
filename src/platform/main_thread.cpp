#include "platform/main_thread.h"

#include <atomic>

namespace orv {

QueuedMainThread::QueuedMainThread() : main_id_(std::this_thread::get_id()) {}

void QueuedMainThread::SetWakeHandler(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(mu_);
  wake_ = std::move(wake);
}

void QueuedMainThread::Synchronize(const std::function<void()>& step) {
  if (IsMainThread()) {
    step();
    return;
  }
  auto item = std::make_shared<Item>();
  item->step = step;
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> lock(mu_);
    queue_.push_back(item);
    wake = wake_;
  }
  if (wake) wake();
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait(lock, [&] { return item->done; });
}

void QueuedMainThread::ProcessPending() {
  for (;;) {
    std::shared_ptr<Item> item;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (queue_.empty()) return;
      item = queue_.front();
      queue_.pop_front();
    }
    try {
      item->step();
    } catch (...) {
      // A step's failure belongs to the step; the worker must still be released.
    }
    {
      std::lock_guard<std::mutex> lock(mu_);
      item->done = true;
    }
    cv_.notify_all();
  }
}

namespace {
SynchronousMainThread g_sync;
std::atomic<MainThread*> g_main{&g_sync};
}  // namespace

MainThread& DefaultMainThread() { return *g_main.load(); }
void SetDefaultMainThread(MainThread* main_thread) { g_main.store(main_thread ? main_thread : &g_sync); }

}  // namespace orv
