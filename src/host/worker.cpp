#include "host/worker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace host {

namespace {

class Worker {
 public:
  ~Worker() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
  }

  std::shared_future<void> Post(std::function<void()> job) {
    std::packaged_task<void()> task(std::move(job));
    auto done = task.get_future().share();
    {
      std::lock_guard lock(mutex_);
      queue_.push_back(std::move(task));
      if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
    }
    wake_.notify_one();
    return done;
  }

 private:
  void Loop() {
    for (;;) {
      std::packaged_task<void()> task;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        task = std::move(queue_.front());
        queue_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::packaged_task<void()>> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

Worker& TheWorker() {
  static Worker worker;
  return worker;
}

}  // namespace

std::shared_future<void> RunInBackground(std::function<void()> job) {
  return TheWorker().Post(std::move(job));
}

}  // namespace host
