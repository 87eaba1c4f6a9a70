#include "GroupCommit.h"

namespace pelmora::server {

void GroupCommit::apply(const Change& change, bool severalStatements) {
    Waiting me(change, severalStatements);
    std::unique_lock lock(mutex_);
    queue_.push_back(&me);
    // Woken when a leader has committed this change, or when this change is
    // the first in the queue and nobody commits: then this thread leads.
    me.wake.wait(lock, [&] { return me.done || (!committing_ && queue_.front() == &me); });
    if (!me.done) {
        committing_ = true;
        const std::vector<Waiting*> batch(queue_.begin(), queue_.end());
        queue_.clear();
        lock.unlock();
        commit(batch);
        lock.lock();
        committing_ = false;
        // Woken while the lock is held: a waiter returns (and its Waiting
        // ends) only after it has the lock again.
        for (Waiting* w : batch) {
            w->done = true;
            if (w != &me) w->wake.notify_one();
        }
        if (!queue_.empty()) queue_.front()->wake.notify_one();
    }
    const std::exception_ptr error = me.error;
    lock.unlock();
    if (error) std::rethrow_exception(error);
}

void GroupCommit::commit(const std::vector<Waiting*>& batch) {
    try {
        withConnection_([&](SqlConnection& c) {
            try {
                c.begin();
                for (Waiting* w : batch) {
                    try {
                        if (!w->severalStatements) {
                            (*w->change)(c);
                            continue;
                        }
                        c.run("SAVEPOINT change");
                        try {
                            (*w->change)(c);
                        } catch (...) {
                            const std::exception_ptr failure = std::current_exception();
                            if (c.inTransaction()) {
                                c.run("ROLLBACK TO change");
                                c.run("RELEASE change");
                            }
                            std::rethrow_exception(failure);
                        }
                        c.run("RELEASE change");
                    } catch (...) {
                        w->error = std::current_exception();
                        // Some failures (a full disk, an I/O error) end the
                        // whole transaction, and the batch's earlier changes with it.
                        if (!c.inTransaction()) throw;
                    }
                }
                c.commit();
            } catch (...) {
                c.rollback();
                throw;
            }
        });
    } catch (...) {
        for (Waiting* w : batch) w->error = std::current_exception();
    }
}

}  // namespace pelmora::server
