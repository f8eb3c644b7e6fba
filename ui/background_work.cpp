#include "background_work.h"

#include <QMetaObject>

namespace quillmere {

BackgroundWork::BackgroundWork(QObject* owner, std::function<void()> again)
    : owner_(owner), again_(std::move(again)) {}

BackgroundWork::~BackgroundWork() {
  if (task_.valid()) task_.wait();
}

bool BackgroundWork::Start(std::function<void(const Post& post)> work) {
  if (running_) {
    again_wanted_ = true;
    return false;
  }
  running_ = true;
  again_wanted_ = false;
  const unsigned generation = ++generation_;
  task_ = std::async(std::launch::async, [this, generation, work = std::move(work)] {
    const Post post = [this, generation](std::function<void()> apply, bool last) {
      // The destructor waits for this task, so this object is alive when a
      // result is posted; Qt drops the result if the owner is deleted before
      // it runs.
      QMetaObject::invokeMethod(
          owner_,
          [this, generation, last, apply = std::move(apply)] {
            if (last) running_ = false;
            if (generation == generation_) apply();
            if (last && again_wanted_) again_();
          },
          Qt::QueuedConnection);
    };
    work(post);
  });
  return true;
}

}  // namespace quillmere
