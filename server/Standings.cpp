// The ranking's side of the service's storage: pages of standings and a
// chef's rank, read through the ranking index.

#include "Database.h"

#include <algorithm>

namespace pelmora::server {

std::vector<Standing> Database::leaderboard(int limit) {
    const auto r = lease()->run("SELECT name, px, yen FROM users ORDER BY px DESC, yen DESC, name LIMIT ?1",
                                {std::int64_t{limit}});
    std::vector<Standing> out;
    for (std::size_t i = 0; i < r.rows.size(); ++i) out.push_back({r.text(i, 0), r.integer(i, 1), r.integer(i, 2)});
    return out;
}

std::int64_t Database::rankOf(SqlConnection& c, std::int64_t px, std::int64_t yen) {
    // Two neighbouring ranges of the ranking index, counted without reading the table.
    return 1 + c.run("SELECT (SELECT COUNT(*) FROM users WHERE px > ?1) +"
                     " (SELECT COUNT(*) FROM users WHERE px = ?1 AND yen > ?2)",
                     {px, yen})
                   .integer();
}

std::shared_ptr<const Database::Anchors> Database::anchors() {
    if (chefCount() < target_.rankAnchorsFrom) return nullptr;
    const auto now = std::chrono::steady_clock::now();
    std::unique_lock taking(anchorsTaking_, std::defer_lock);
    {
        std::lock_guard lock(anchorsMutex_);
        if (anchors_ && now - anchorsTaken_ < std::chrono::seconds(10)) return anchors_;
        // Old anchors serve while one request takes new ones; without any, all wait for them.
        if (anchors_ && !taking.try_lock()) return anchors_;
    }
    if (!taking.owns_lock()) {
        taking.lock();
        std::lock_guard lock(anchorsMutex_);
        if (anchors_ && std::chrono::steady_clock::now() - anchorsTaken_ < std::chrono::seconds(10)) return anchors_;
    }
    // One pass over the index; only every 50th row leaves the database.
    const auto r = lease()->run(
        "SELECT place, rank, px, yen, name FROM (SELECT ROW_NUMBER() OVER (ORDER BY px DESC, yen DESC, name) AS place,"
        " RANK() OVER (ORDER BY px DESC, yen DESC) AS rank, px, yen, name FROM users) AS ranked"
        " WHERE place % ?1 = 1 ORDER BY place",
        {ANCHOR_STEP});
    auto taken = std::make_shared<Anchors>();
    taken->reserve(r.rows.size());
    for (std::size_t i = 0; i < r.rows.size(); ++i)
        taken->push_back({r.integer(i, 0), r.integer(i, 1), r.integer(i, 2), r.integer(i, 3), r.text(i, 4)});
    std::lock_guard lock(anchorsMutex_);
    anchors_ = std::move(taken);
    anchorsTaken_ = std::chrono::steady_clock::now();
    return anchors_;
}

std::int64_t Database::rankNear(SqlConnection& c, const Anchors& anchors, std::int64_t px, std::int64_t yen) {
    // The last anchor strictly ahead: everyone else ahead stands between it
    // and the next anchor, a short range of the index.
    const auto after = std::partition_point(anchors.begin(), anchors.end(), [&](const Anchor& a) {
        return a.px > px || (a.px == px && a.yen > yen);
    });
    if (after == anchors.begin()) return rankOf(c, px, yen);
    const Anchor& a = *(after - 1);
    return 1 + a.place +
           c.run("SELECT COUNT(*) FROM users WHERE px <= ?1 AND px >= ?4"
                 " AND NOT (px = ?1 AND (yen > ?2 OR (yen = ?2 AND name <= ?3))) AND (px > ?4 OR yen > ?5)",
                 {a.px, a.yen, a.name, px, yen})
               .integer();
}

std::vector<Standing> Database::standings(std::int64_t offset, int count) {
    const auto anchored = anchors();
    auto c = lease();
    const std::size_t at = static_cast<std::size_t>(offset / ANCHOR_STEP);
    SqlResult r;
    const bool fromAnchor = anchored && offset % ANCHOR_STEP == 0 && at < anchored->size();
    if (fromAnchor) {
        // From the anchor on, instead of skipping offset rows of the index.
        const Anchor& a = (*anchored)[at];
        r = c->run("SELECT name, px, yen FROM users WHERE px <= ?1"
                   " AND NOT (px = ?1 AND (yen > ?2 OR (yen = ?2 AND name < ?3)))"
                   " ORDER BY px DESC, yen DESC, name LIMIT ?4",
                   {a.px, a.yen, a.name, std::int64_t{count}});
    } else {
        r = c->run("SELECT name, px, yen FROM users ORDER BY px DESC, yen DESC, name LIMIT ?1 OFFSET ?2",
                   {std::int64_t{count}, offset});
    }
    std::vector<Standing> out;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        Standing s{r.text(i, 0), r.integer(i, 1), r.integer(i, 2)};
        // Everyone ahead of a row is above it in the order: its rank is its
        // place, unless it ties with the row before it.
        if (!out.empty() && out.back().px == s.px && out.back().yen == s.yen) s.rank = out.back().rank;
        else if (offset == 0 || !out.empty()) s.rank = offset + static_cast<std::int64_t>(i) + 1;
        else if (!anchored) s.rank = rankOf(*c, s.px, s.yen);
        else if (!fromAnchor) s.rank = rankNear(*c, *anchored, s.px, s.yen);
        else if (const Anchor& a = (*anchored)[at]; a.name == s.name && a.px == s.px && a.yen == s.yen)
            s.rank = a.rank;  // still the anchor: no statement more
        else s.rank = rankNear(*c, *anchored, s.px, s.yen);
        out.push_back(std::move(s));
    }
    return out;
}

std::optional<Standing> Database::standing(const std::string& name) {
    const auto anchored = anchors();
    auto c = lease();
    const auto r = c->run(sql("SELECT name, px, yen FROM users WHERE name = ?1",
                              "SELECT name, px, yen FROM users WHERE lower(name) = lower(?1)"),
                          {name});
    if (r.rows.empty()) return std::nullopt;
    Standing s{r.text(0, 0), r.integer(0, 1), r.integer(0, 2)};
    s.rank = anchored ? rankNear(*c, *anchored, s.px, s.yen) : rankOf(*c, s.px, s.yen);
    return s;
}

std::int64_t Database::chefCount() {
    // Counting a large table takes a while: pages share one count for as
    // long as they may be cached anyway.
    std::lock_guard lock(countMutex_);
    const auto now = std::chrono::steady_clock::now();
    if (chefCount_ < 0 || now - chefCounted_ >= std::chrono::seconds(10)) {
        chefCount_ = lease()->run("SELECT COUNT(*) FROM users").integer();
        chefCounted_ = now;
    }
    return chefCount_;
}

}  // namespace pelmora::server
