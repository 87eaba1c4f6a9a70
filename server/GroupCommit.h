#pragma once

#include "SqlConnection.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <vector>

namespace pelmora::server {

// Changes that several threads make at the same time, committed in one
// transaction. SQLite lets one writer in at a time and each commit appends
// to its log: with a commit per change, a burst of score updates queues for
// the write lock one by one. Here the first thread to arrive while no commit
// is under way leads: it runs its own change and every change queued behind
// it in one transaction, and the others wait for that commit. A change's
// outcome is its own: one that fails is undone alone and its thread gets its
// error; when the commit fails, every change of the batch gets that error.
class GroupCommit {
public:
    using Change = std::function<void(SqlConnection&)>;
    // Runs a function with a connection of its own for the length of a batch.
    using WithConnection = std::function<void(const std::function<void(SqlConnection&)>&)>;

    explicit GroupCommit(WithConnection withConnection) : withConnection_(std::move(withConnection)) {}

    // Returns once the change is committed; throws what it threw, or the
    // commit's error. A change of several statements takes effect whole or
    // not at all; a single statement is that already.
    void apply(const Change& change, bool severalStatements);

    // Changes queued for the next commit.
    std::size_t waiting() {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

private:
    struct Waiting {
        Waiting(const Change& c, bool several) : change(&c), severalStatements(several) {}
        const Change* change;
        bool severalStatements;
        std::exception_ptr error;
        bool done = false;
        std::condition_variable wake;
    };

    void commit(const std::vector<Waiting*>& batch);

    WithConnection withConnection_;
    std::mutex mutex_;
    std::vector<Waiting*> queue_;  // in order of arrival
    bool committing_ = false;
};

}  // namespace pelmora::server
