#include "ScoreBatch.h"

#include <algorithm>

namespace pelmora::server {

namespace {

// Updates in one statement at most: a batch stays a short statement.
constexpr std::size_t MOST_PER_BATCH = 256;

}  // namespace

std::vector<ScoreBatch::Waiting*> ScoreBatch::takeBatch() {
    std::vector<Waiting*> batch, later;
    for (Waiting* w : queue_) {
        const bool sameUser = std::any_of(batch.begin(), batch.end(),
                                          [&](const Waiting* b) { return b->raise.userId == w->raise.userId; });
        (sameUser || batch.size() == MOST_PER_BATCH ? later : batch).push_back(w);
    }
    queue_ = std::move(later);
    return batch;
}

bool ScoreBatch::apply(const Raise& raise) {
    Waiting me(raise);
    std::unique_lock lock(mutex_);
    queue_.push_back(&me);
    // Woken when a leader has stored this update, or when it is first in the
    // queue and nobody stores: then this thread leads.
    me.wake.wait(lock, [&] { return me.done || (!storing_ && queue_.front() == &me); });
    if (!me.done) {
        storing_ = true;
        const std::vector<Waiting*> batch = takeBatch();
        lock.unlock();
        std::vector<Raise> raises;
        raises.reserve(batch.size());
        for (const Waiting* w : batch) raises.push_back(w->raise);
        std::vector<std::int64_t> changed;
        std::exception_ptr error;
        try {
            changed = store_(raises);
        } catch (...) {
            error = std::current_exception();
        }
        std::sort(changed.begin(), changed.end());
        lock.lock();
        storing_ = false;
        // Woken while the lock is held: a waiter returns (and its Waiting
        // ends) only after it has the lock again.
        for (Waiting* w : batch) {
            w->done = true;
            w->error = error;
            w->changed = std::binary_search(changed.begin(), changed.end(), w->raise.userId);
            if (w != &me) w->wake.notify_one();
        }
        if (!queue_.empty()) queue_.front()->wake.notify_one();
    }
    const std::exception_ptr error = me.error;
    const bool changed = me.changed;
    lock.unlock();
    if (error) std::rethrow_exception(error);
    return changed;
}

}  // namespace pelmora::server
