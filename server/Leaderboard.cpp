#include "Leaderboard.h"

#include "WebPages.h"

#include <cstdio>

namespace pelmora::server {

namespace {

// "1234567" as "1,234,567".
std::string grouped(std::int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out = n < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// A positive page number of at most 9 digits, without leading zeros.
std::optional<std::int64_t> pageNumber(const std::optional<std::string>& text) {
    if (!text) return 1;
    if (text->empty() || text->size() > 9 || (*text)[0] == '0') return std::nullopt;
    for (char c : *text)
        if (c < '0' || c > '9') return std::nullopt;
    return std::stoll(*text);
}

std::string boardPath(std::int64_t page) {
    return page == 1 ? "/pel-mora/classifica" : "/pel-mora/classifica?page=" + std::to_string(page);
}

}  // namespace

std::string Leaderboard::chefPath(std::string_view name) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "/pel-mora/chef/";
    for (unsigned char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<WebReply> Leaderboard::answer(std::string_view path, const std::optional<std::string>& page) {
    if (!path.starts_with("/pel-mora/classifica") && !path.starts_with("/pel-mora/chef/")) return std::nullopt;
    std::string key(path);
    if (page) key += "?page=" + *page;
    const auto now = std::chrono::steady_clock::now();
    const std::uint64_t version = db_.standingsVersion();  // before reading: a change after it makes the page stale
    std::shared_future<std::optional<WebReply>> kept;
    std::promise<std::optional<WebReply>> making;
    {
        std::lock_guard lock(pagesMutex_);
        const auto it = pages_.find(key);
        if (it != pages_.end() && it->second.version == version && now - it->second.at < KEEP_PAGES) {
            kept = it->second.reply;
        } else {
            if (pages_.size() >= MAX_PAGES) pages_.clear();
            pages_[key] = {making.get_future().share(), now, version};
        }
    }
    if (kept.valid()) return kept.get();  // waits while the first visitor makes it; rethrows its failure
    std::optional<WebReply> made;
    try {
        made = make(path, page);
    } catch (...) {
        making.set_exception(std::current_exception());
        forget(key);
        throw;
    }
    making.set_value(made);
    // Only whole pages are kept: a page past the end or an unknown chef is asked again.
    if (!made || made->status != 200) forget(key);
    return made;
}

void Leaderboard::forget(const std::string& key) {
    std::lock_guard lock(pagesMutex_);
    pages_.erase(key);
}

std::optional<WebReply> Leaderboard::make(std::string_view path, const std::optional<std::string>& page) {
    constexpr std::string_view board = "/pel-mora/classifica", chefs = "/pel-mora/chef/", json = ".json";
    if (path == board || path == "/pel-mora/classifica/" || path == "/pel-mora/classifica.json") {
        const bool asJson = path.ends_with(json);
        const auto number = pageNumber(page);
        if (!number) return notFound(asJson);
        return this->board(*number, asJson);
    }
    if (path.starts_with(chefs) && path.size() > chefs.size()) {
        std::string_view name = path.substr(chefs.size());
        // User names hold no ".", so a name never ends in ".json" itself.
        const bool asJson = name.ends_with(json) && name.size() > json.size();
        if (asJson) name.remove_suffix(json.size());
        return chef(std::string(name), asJson);
    }
    return std::nullopt;
}

WebReply Leaderboard::notFound(bool json) const {
    if (json) return {404, "{\"error\":\"not found\"}\n", "application/json"};
    return {404, notFoundPage()};
}

std::string Leaderboard::badge(std::int64_t px, int size) const {
    const auto level = levels_.levelOf(px);
    if (!level) return "";
    const std::string alt = escapeHtml("Level " + std::to_string(*level) + ": " + levels_.levels()[*level].name);
    return "<img src=\"" + std::string(BADGE_PATH) + std::to_string(*level) + ".png\" width=\"" + std::to_string(size) + "\" height=\"" + std::to_string(size) + "\" alt=\"" +
           alt + "\" title=\"" + alt + "\">";
}

std::string Leaderboard::levelText(std::int64_t px) const {
    const auto level = levels_.levelOf(px);
    if (!level) return "no level yet";
    return "level " + std::to_string(*level) + ", " + escapeHtml(levels_.levels()[*level].name);
}

std::string Leaderboard::levelJson(std::int64_t px) const {
    const auto level = levels_.levelOf(px);
    return level ? std::to_string(*level) : "null";
}

WebReply Leaderboard::board(std::int64_t page, bool json) {
    const auto rows = db_.standings((page - 1) * PAGE_SIZE, PAGE_SIZE);
    if (rows.empty() && page > 1) return notFound(json);
    // The count may be a few seconds old: a page it does not know of yet
    // still counts as existing.
    const std::int64_t total = std::max(db_.chefCount(), (page - 1) * PAGE_SIZE + std::int64_t(rows.size()));
    const std::int64_t pages = std::max<std::int64_t>(1, (total + PAGE_SIZE - 1) / PAGE_SIZE);
    if (json) {
        std::string out = "{\"page\":" + std::to_string(page) + ",\"pages\":" + std::to_string(pages) +
                          ",\"total\":" + std::to_string(total) + ",\"chefs\":[";
        for (const auto& s : rows) {
            if (out.back() == '}') out += ',';
            out += "{\"rank\":" + std::to_string(s.rank) + ",\"name\":" + jsonString(s.name) +
                   ",\"px\":" + std::to_string(s.px) + ",\"yen\":" + std::to_string(s.yen) +
                   ",\"level\":" + levelJson(s.px) + "}";
        }
        return {200, out + "]}\n", "application/json"};
    }
    std::string table;
    for (const auto& s : rows) {
        table += "<tr><td class=\"num rank\">" + std::to_string(s.rank) + "</td><td class=\"badge\">" + badge(s.px) +
                 "</td><td><a href=\"" + chefPath(s.name) + "\">" + escapeHtml(s.name) + "</a><small>" +
                 levelText(s.px) + "</small></td><td class=\"num\">" + grouped(s.px) + "</td><td class=\"num\">" +
                 grouped(s.yen) + " &yen;</td></tr>\n";
    }
    if (rows.empty()) table = "<tr><td colspan=\"5\">No chef has played yet. Be the first!</td></tr>\n";
    const std::string previous =
        page > 1 ? "<a rel=\"prev\" href=\"" + boardPath(page - 1) + "\">&larr; Previous</a>" : "<span></span>";
    const std::string next = page < pages
                                 ? "<a rel=\"next\" class=\"next\" href=\"" + boardPath(page + 1) + "\">Next &rarr;</a>"
                                 : "<span></span>";
    const std::string pager = "<div class=\"pager\">" + previous + "<span>Page " + grouped(page) + " of " +
                              grouped(pages) + "</span>" + next + "</div>\n";
    return {200, pageLayout(page == 1 ? "Leaderboard" : "Leaderboard, page " + std::to_string(page),
                            "<h2>Leaderboard</h2>\n<p class=\"total\">" + grouped(total) +
                                (total == 1 ? " chef" : " chefs") + " ranked by experience, then yen.</p>\n" + pager +
                                "<table><tr><th class=\"num rank\">#</th><th></th><th>Chef</th><th class=\"num\">Experience</th>"
                                "<th class=\"num\">Yen</th></tr>\n" +
                                table + "</table>\n" + pager)};
}

WebReply Leaderboard::chef(const std::string& name, bool json) {
    const auto s = db_.standing(name);
    if (!s) return notFound(json);
    if (json) {
        return {200,
                "{\"rank\":" + std::to_string(s->rank) + ",\"name\":" + jsonString(s->name) +
                    ",\"px\":" + std::to_string(s->px) + ",\"yen\":" + std::to_string(s->yen) +
                    ",\"level\":" + levelJson(s->px) + "}\n",
                "application/json"};
    }
    const auto level = levels_.levelOf(s->px);
    const std::size_t nextIndex = level ? static_cast<std::size_t>(*level) + 1 : 0;
    std::string next;
    if (nextIndex < levels_.levels().size()) {
        const auto& up = levels_.levels()[nextIndex];
        next = grouped(up.px - s->px) + " px to level " + std::to_string(nextIndex) + ", " + escapeHtml(up.name);
    } else {
        next = levels_.levels().empty() ? "&mdash;" : "the highest level reached";
    }
    const std::string shown = escapeHtml(s->name);
    return {200, pageLayout(s->name, "<h2>" + shown + "</h2>\n<div class=\"card chef\">" + badge(s->px, 80) +
                                         "<dl><dt>Rank</dt><dd>" + grouped(s->rank) + "</dd><dt>Experience</dt><dd>" +
                                         grouped(s->px) + " px</dd><dt>Yen</dt><dd>" + grouped(s->yen) +
                                         " &yen;</dd><dt>Level</dt><dd>" + levelText(s->px) +
                                         "</dd><dt>Next level</dt><dd>" + next + "</dd></dl></div>\n<p><a href=\"" +
                                         boardPath((s->rank - 1) / PAGE_SIZE + 1) + "\">&larr; The leaderboard</a></p>")};
}

}  // namespace pelmora::server
