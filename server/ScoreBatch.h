#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pelmora::server {

// Score updates that several threads make at the same time, sent to the
// database as one statement. On PostgreSQL each update alone cost a round
// trip, a commit and a wait for a pooled connection; a hundred players at
// once queued for the connections. As in GroupCommit, the first thread to
// arrive while no batch is under way leads: it sends its own update and
// every one queued behind it (one per user: a user's second update waits
// for the next batch), and each thread returns once that statement is
// committed, with its own outcome. Each waiting thread sleeps on a condition
// of its own: woken by a shared one under the shared lock, a dozen
// followers at once queued again for that lock, one after another.
class ScoreBatch {
public:
    struct Raise {
        std::int64_t userId = 0;
        std::int64_t px = 0;
        std::int64_t yen = 0;
        // The session (id hash) and the nonce of the login the raise depends
        // on; an empty session: none.
        std::string session = {};
        std::string nonce = {};
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
    // A caller's raise and its outcome, held by the caller and by the leader
    // that stores it: the leader wakes callers after letting go of the lock,
    // and a woken caller may return (and let go of its hold) at once.
    struct Waiting {
        explicit Waiting(const Raise& r) : raise(r) {}
        Raise raise;
        bool changed = false;
        std::exception_ptr error;
        bool done = false;  // stored; a caller woken while not done leads the next batch
        // Wakes the caller: its own lock and condition (std::binary_semaphore
        // spins and yields before it sleeps, several times a switch more).
        void wakeUp() {
            {
                std::lock_guard lock(mutex);
                woken = true;
            }
            wake.notify_one();
        }
        void sleep() {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&] { return woken; });
        }
        std::mutex mutex;
        std::condition_variable wake;
        bool woken = false;
    };

    // The updates of the next batch, taken off the queue (its first is the leader's own).
    std::vector<std::shared_ptr<Waiting>> takeBatch();

    Store store_;
    std::mutex mutex_;
    // In order of arrival. Empty whenever nobody stores: a leader that finds
    // it not empty when done hands over to its first.
    std::vector<std::shared_ptr<Waiting>> queue_;
    bool storing_ = false;
};

}  // namespace pelmora::server
