#pragma once
// How the caller of an operation stops it: a token it keeps and cancels from its own thread (a window's
// button, velmarctl's Ctrl+C), which the operation checks between its steps and at every tick of its
// waits. Copies share one flag, so an operation on a worker thread sees what the caller's thread does.

#include <atomic>
#include <memory>

namespace velmar {

class CancelToken
{
public:
    void cancel() { flag_->store(true); }
    bool cancelled() const { return flag_->load(); }

private:
    std::shared_ptr<std::atomic<bool>> flag_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace velmar
