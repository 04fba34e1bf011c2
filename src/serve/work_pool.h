// The workers and the bounded queue in front of them: a request's work runs on one of a fixed
// set of threads (which keep the decoded logo pictures), in the order it came, or is refused at
// once when the queue is full (503), so that load never grows memory or threads.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvex::serve {

class WorkPool {
 public:
  // start runs once on each worker before any work.
  WorkPool(std::size_t workers, std::size_t queue, std::function<void()> start = {})
      : queue_(queue) {
    for (std::size_t i = 0; i < (workers == 0 ? 1 : workers); ++i) {
      threads_.emplace_back([this, start] {
        if (start) start();
        work();
      });
    }
  }
  ~WorkPool() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // Runs job on a worker and waits for it; false, without running it, when every worker is
  // busy and the queue is full. job must not throw.
  bool run(const std::function<void()>& job) {
    Task task{&job};
    std::unique_lock lock(mutex_);
    if (waiting_.size() >= queue_ + idle_) return false;
    waiting_.push_back(&task);
    ready_.notify_one();
    task.finished.wait(lock, [&] { return task.done; });
    return true;
  }

  // Jobs waiting for a worker now.
  [[nodiscard]] std::size_t waiting() {
    const std::lock_guard lock(mutex_);
    return waiting_.size();
  }

 private:
  struct Task {
    const std::function<void()>* job;
    bool done = false;
    std::condition_variable finished{};
  };

  void work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      ++idle_;
      ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
      --idle_;
      if (waiting_.empty()) return;
      Task* task = waiting_.front();
      waiting_.pop_front();
      lock.unlock();
      (*task->job)();
      lock.lock();
      task->done = true;
      task->finished.notify_one();
    }
  }

  const std::size_t queue_;
  std::size_t idle_ = 0;  // workers waiting for a task, which take one without queueing it
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Task*> waiting_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tolvex::serve
