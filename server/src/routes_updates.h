// The update feed and its packages, served from a directory for the
// client's self-update: GET /vendrix/updates.json, GET /vendrix/<package>
// and an index page at GET /vendrix. These routes need no session.
#pragma once

#include <string>

#include "http.h"

namespace vx {

// Registers one route per regular file in dir (as it is at start); the files
// are read at each request, so a rewritten feed is served at once. Throws
// std::runtime_error when dir is not a directory.
void addUpdateRoutes(Router &r, const std::string &dir);

} // namespace vx
