// The next picture of the slideshow, prepared ahead of its time: loaded,
// converted, turned upright, fitted and scaled onto a copy of the
// background, so that the tick that shows it only presents it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/bitmap.h"

namespace orv {

struct TPrepareRequest {
  std::string name;
  int frameWidth = 0;  // the form's reference area, where the picture is fitted
  int frameHeight = 0;
  bool extend = true;
  bool autoRotate = true;
  std::shared_ptr<const TBitmap> background;  // the frame starts as a copy of it
  bool SameAs(const TPrepareRequest& o) const {
    return name == o.name && frameWidth == o.frameWidth && frameHeight == o.frameHeight &&
           extend == o.extend && autoRotate == o.autoRotate && background == o.background;
  }
};

struct TPreparedPicture {
  TPrepareRequest request;
  bool ok = false;  // false: the file failed to load, convert or draw
  TBitmap frame;    // the background with the picture on it
  // Phases in nanoseconds, and the preparing thread's processor time.
  int64_t load = 0, convert = 0, scale = 0, cpu = 0;
  int scaleShift = 0;  // the JPEG was decoded at 1 / 2^scaleShift
};

// All the work for one picture, on the calling thread. A cancel flag that
// turns true stops a JPEG decode at its next row (the result then fails).
TPreparedPicture PreparePicture(const TPrepareRequest& request, const std::atomic<bool>* cancel = nullptr);

// Where the slideshow's pictures are prepared ahead of their time.
class IPictureSource {
 public:
  virtual ~IPictureSource() = default;
  virtual void Request(const TPrepareRequest& request) = 0;
  // The picture when it is ready, else nothing.
  virtual std::optional<TPreparedPicture> Take(const TPrepareRequest& request) = 0;
};

// Runs PreparePicture on a worker thread, one picture ahead; or, inline,
// inside Take (the tests of the tick's logic use that).
class TPicturePreparer : public IPictureSource {
 public:
  explicit TPicturePreparer(bool threaded);
  // Stops a JPEG decode in progress and joins the worker.
  ~TPicturePreparer() override;
  TPicturePreparer(const TPicturePreparer&) = delete;
  TPicturePreparer& operator=(const TPicturePreparer&) = delete;

  // Asks for a picture. It replaces an earlier request that is not finished
  // (a decode in progress for it is stopped) and a finished picture nobody
  // took. Inline, nothing happens before Take.
  void Request(const TPrepareRequest& request) override;
  // The picture when it is ready, else nothing (then it is asked for, if it
  // was not). Inline it is prepared here and now.
  std::optional<TPreparedPicture> Take(const TPrepareRequest& request) override;

  // For tests and the benchmark: waits until the request is ready or the
  // limit passes; whether the worker is in the middle of a picture; how many
  // decodes were stopped half-way.
  bool WaitReady(const TPrepareRequest& request, std::chrono::milliseconds limit);
  bool Working();
  int Stopped();

 private:
  void Run();
  void RequestLocked(const TPrepareRequest& request);

  const bool threaded_;
  std::mutex mu_;
  std::condition_variable wake_, done_;
  std::optional<TPrepareRequest> pending_;
  std::optional<TPrepareRequest> working_;
  std::optional<TPreparedPicture> ready_;
  std::atomic<bool> cancel_{false};
  bool quit_ = false;
  int stopped_ = 0;
  std::thread worker_;  // last: started once the rest exists
};

}  // namespace orv
