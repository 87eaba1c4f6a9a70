#pragma once

#include "Database.h"

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::server {

// The web site's HTML page for a path ("/", "/privacy", "/pel-mora/classifica"
// ...), or nothing for a path the site does not have. latestVersion is the
// version the site offers.
std::optional<std::string> webPage(std::string_view path, Database& db, const std::string& latestVersion);

// Text made safe to place inside HTML.
std::string escapeHtml(std::string_view text);

}  // namespace pelmora::server
