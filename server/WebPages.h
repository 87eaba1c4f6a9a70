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

// A whole page of the site around its body: header, menu and footer.
std::string pageLayout(std::string_view title, std::string_view body);

// The site's page for an address it does not have.
std::string notFoundPage();

// Text made safe to place inside HTML.
std::string escapeHtml(std::string_view text);

}  // namespace pelmora::server
