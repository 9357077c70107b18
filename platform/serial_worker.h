#pragma once

// A thread of its own that runs jobs one after another, in the order they were
// posted: the hashing or the writing of a copy beside the reading of it.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace morvick::platform {

class SerialWorker {
 public:
  SerialWorker() : thread_([this] { Run(); }) {}
  ~SerialWorker() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  // A job must not throw: it reports its failures where its poster looks.
  void Post(std::function<void()> job) {
    {
      const std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
  }

  // Waits until every job posted so far has run.
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return jobs_.empty() && !running_; });
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
      if (jobs_.empty()) return;
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      running_ = true;
      lock.unlock();
      job();
      lock.lock();
      running_ = false;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once the rest is made
};

}  // namespace morvick::platform
