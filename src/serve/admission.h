// The bounded queue in front of the workers: a request takes a worker's place, waits for one
// while the queue has room, or is refused at once (503), so that load never grows memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>

namespace tolvex::serve {

class Admission {
 public:
  Admission(std::size_t workers, std::size_t queue) : workers_(workers == 0 ? 1 : workers), queue_(queue) {}

  // A worker's place, given back when the ticket goes.
  class Ticket {
   public:
    explicit Ticket(Admission& admission) : admission_(&admission) {}
    Ticket(Ticket&& other) noexcept : admission_(other.admission_) { other.admission_ = nullptr; }
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    Ticket& operator=(Ticket&&) = delete;
    ~Ticket() {
      if (admission_ != nullptr) admission_->leave();
    }

   private:
    Admission* admission_;
  };

  // Requests waiting in the queue now.
  [[nodiscard]] std::size_t waiting() {
    const std::lock_guard lock(mutex_);
    return waiting_;
  }

  // A place now, or after waiting in the queue; none when every worker is busy and the queue full.
  [[nodiscard]] std::optional<Ticket> enter() {
    std::unique_lock lock(mutex_);
    if (active_ >= workers_) {
      if (waiting_ >= queue_) return std::nullopt;
      ++waiting_;
      freed_.wait(lock, [this] { return active_ < workers_; });
      --waiting_;
    }
    ++active_;
    return std::optional<Ticket>(std::in_place, *this);
  }

 private:
  void leave() {
    {
      const std::lock_guard lock(mutex_);
      --active_;
    }
    freed_.notify_one();
  }

  const std::size_t workers_;
  const std::size_t queue_;
  std::size_t active_ = 0;
  std::size_t waiting_ = 0;
  std::mutex mutex_;
  std::condition_variable freed_;
};

}  // namespace tolvex::serve
