#include "SessionCache.h"

namespace pelmora::server {

std::shared_ptr<const SessionCache::Entry> SessionCache::find(const std::string& idHash) {
    std::lock_guard lock(mutex_);
    const auto it = entries_.find(idHash);
    return it == entries_.end() ? nullptr : it->second;
}

void SessionCache::keep(SessionRow row, std::string key) {
    auto entry = std::make_shared<const Entry>(Entry{std::move(row), std::move(key)});
    std::lock_guard lock(mutex_);
    if (entries_.size() >= MOST && !entries_.contains(entry->row.idHash)) entries_.clear();
    entries_[entry->row.idHash] = std::move(entry);
}

void SessionCache::forget(const std::string& idHash) {
    std::lock_guard lock(mutex_);
    entries_.erase(idHash);
}

}  // namespace pelmora::server
