#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

namespace pelmora::server {

// Score updates that several threads make at the same time, sent to the
// database as one statement. On PostgreSQL each update alone cost a round
// trip, a commit and a wait for a pooled connection; a hundred players at
// once queued for the connections. As in GroupCommit, the first thread to
// arrive while no batch is under way leads: it sends its own update and
// every one queued behind it (one per user: a user's second update waits
// for the next batch), and each thread returns once that statement is
// committed, with its own outcome.
class ScoreBatch {
public:
    struct Raise {
        std::int64_t userId = 0;
        std::int64_t px = 0;
        std::int64_t yen = 0;
    };
    // Stores the raises in one committed statement; returns the users whose
    // totals it changed.
    using Store = std::function<std::vector<std::int64_t>(const std::vector<Raise>&)>;

    explicit ScoreBatch(Store store) : store_(std::move(store)) {}

    // Whether the stored totals changed; throws the statement's error.
    bool apply(const Raise& raise);

    // Updates queued for the next batch.
    std::size_t waiting() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

private:
    struct Waiting {
        explicit Waiting(const Raise& r) : raise(r) {}
        Raise raise;
        bool changed = false;
        std::exception_ptr error;
        bool done = false;
        std::condition_variable wake;
    };

    // The updates of the next batch, taken off the queue.
    std::vector<Waiting*> takeBatch();

    Store store_;
    std::mutex mutex_;
    std::vector<Waiting*> queue_;  // in order of arrival
    bool storing_ = false;
};

}  // namespace pelmora::server
