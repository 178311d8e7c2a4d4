#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace orv {
namespace {

TEST(QueuedMainThread, WorkersStepsRunOnTheMainThreadInOrder) {
  QueuedMainThread main;
  std::atomic<int> woken{0};
  main.SetWakeHandler([&] { ++woken; });
  std::vector<int> order;
  std::vector<std::thread::id> ran_on;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 20; ++i)
      main.Synchronize([&, i] {
        order.push_back(i);
        ran_on.push_back(std::this_thread::get_id());
      });
    done = true;
  });
  while (!done) main.ProcessPending();
  worker.join();
  ASSERT_EQ(order.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(order[size_t(i)], i);
  for (auto id : ran_on) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_EQ(woken.load(), 20);
}

TEST(QueuedMainThread, OnTheMainThreadAStepRunsAtOnce) {
  QueuedMainThread main;
  int ran = 0;
  main.Synchronize([&] { ++ran; });
  EXPECT_EQ(ran, 1);
}

TEST(QueuedMainThread, AFailingStepStillReleasesTheWorker) {
  QueuedMainThread main;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    main.Synchronize([] { throw std::runtime_error("step failed"); });
    done = true;
  });
  while (!done) main.ProcessPending();
  worker.join();
  EXPECT_TRUE(done);
}

TEST(DefaultMainThread, IsSynchronousUntilReplaced) {
  EXPECT_TRUE(DefaultMainThread().IsMainThread());
  QueuedMainThread q;
  SetDefaultMainThread(&q);
  EXPECT_EQ(&DefaultMainThread(), &q);
  SetDefaultMainThread(nullptr);
  EXPECT_NE(&DefaultMainThread(), &q);
}

}  // namespace
}  // namespace orv
