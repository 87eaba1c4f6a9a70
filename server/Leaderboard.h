#pragma once

#include "Database.h"
#include "LevelTable.h"

#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pelmora::server {

struct WebReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=utf-8";
};

// The leaderboard's pages: the ranking 50 chefs a page at
// /pel-mora/classifica?page=N, a page per chef at /pel-mora/chef/NAME, and
// the same data as JSON at the same addresses ending in ".json".
class Leaderboard {
public:
    static constexpr int PAGE_SIZE = 50;
    // Where the badge of level N is served: BADGE_PATH + N + ".png".
    static constexpr const char* BADGE_PATH = "/pel-mora/livelli/";

    Leaderboard(Database& db, LevelTable levels) : db_(db), levels_(std::move(levels)) {}

    // The reply for a path of the leaderboard (page is the "page" parameter
    // when the address has one), or nothing for any other path. A page that
    // is not a positive integer or lies past the end, and an unknown chef, get 404.
    std::optional<WebReply> answer(std::string_view path, const std::optional<std::string>& page);

    // A chef's address, the name escaped for it.
    static std::string chefPath(std::string_view name);

private:
    // A page as it was made, and when, at which count of the standings.
    struct Made {
        std::shared_future<std::optional<WebReply>> reply;
        std::chrono::steady_clock::time_point at;
        std::uint64_t version;
    };
    static constexpr std::chrono::seconds KEEP_PAGES{10};  // as long as browsers and nginx may keep them
    static constexpr std::size_t MAX_PAGES = 1024;

    std::optional<WebReply> make(std::string_view path, const std::optional<std::string>& page);
    void forget(const std::string& key);
    WebReply board(std::int64_t page, bool json);
    WebReply chef(const std::string& name, bool json);
    WebReply notFound(bool json) const;
    std::string badge(std::int64_t px, int size = 40) const;
    std::string levelText(std::int64_t px) const;
    std::string levelJson(std::int64_t px) const;

    Database& db_;
    LevelTable levels_;
    // Pages are kept for a few seconds while this process changes no chef: a
    // burst of visitors to a page costs the database one query, made by the
    // first of them while the others wait for it.
    std::mutex pagesMutex_;
    std::unordered_map<std::string, Made> pages_;
};

}  // namespace pelmora::server
