#pragma once

#include "Database.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace pelmora::server {

// Sessions with somebody logged in that this process read lately, by id
// hash, with their keys opened. A score update on such a session decodes
// its request and checks the token without reading the session again: on
// PostgreSQL that read was a round trip of its own for every update. The key
// of a session never changes; a login or logout since (on any process) is
// caught by the update itself, which applies only while the session still
// holds the same login (Database::raiseTotals). Thread-safe.
class SessionCache {
public:
    struct Entry {
        SessionRow row;
        std::string key;
    };

    std::shared_ptr<const Entry> find(const std::string& idHash);
    void keep(SessionRow row, std::string key);
    void forget(const std::string& idHash);

private:
    // Entries kept at most; a full cache starts over.
    static constexpr std::size_t MOST = 16384;

    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const Entry>> entries_;
};

}  // namespace pelmora::server
