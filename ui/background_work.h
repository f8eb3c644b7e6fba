#pragma once
// One computation at a time off the window's thread, for a view that
// recomputes whenever its inputs change (the Moon planner, the spectrum
// view): a change while one runs asks for the next once it is done, and the
// results of a computation overtaken meanwhile are dropped, not drawn.

#include <QObject>
#include <functional>
#include <future>
#include <memory>

namespace quillmere {

class BackgroundWork {
 public:
  // Hands a result to the window's thread: `apply` runs there unless the
  // work was overtaken; `last` marks the computation's final result.
  using Post = std::function<void(std::function<void()> apply, bool last)>;

  // Results are applied on `owner`'s thread, and dropped if it is deleted
  // first. `again` is called when a computation asked for meanwhile can start.
  BackgroundWork(QObject* owner, std::function<void()> again);
  // Waits for the running computation: its results then never arrive.
  ~BackgroundWork();
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // Starts `work` on its own thread and returns true; when one still runs,
  // returns false and calls `again` once it has ended.
  bool Start(std::function<void(const Post& post)> work);
  bool Running() const { return running_; }
  // True when one runs: `again` is then called once it has ended.
  bool AgainOnceDone() {
    if (running_) again_wanted_ = true;
    return running_;
  }
  // What runs now is overtaken: its results are not applied.
  void Overtake() { ++generation_; }

 private:
  QObject* owner_;
  std::function<void()> again_;
  bool running_ = false;
  bool again_wanted_ = false;
  unsigned generation_ = 0;
  std::future<void> task_;
};

}  // namespace quillmere
