// The update feed and its packages, served from a directory for the
// client's self-update: GET /vendrix/updates.json, GET /vendrix/<package>
// and an index page at GET /vendrix. These need no session.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "http.h"

namespace vx {

class UpdateFiles
{
public:
    // Throws std::runtime_error when dir is not a directory. At most
    // maxDownloads packages are sent at once; beyond, 503.
    UpdateFiles(const std::string &dir, int maxDownloads);

    // Answers GET and HEAD of /vendrix and of a file in the directory as it
    // is now (a package added or a feed rewritten is served at once).
    // Returns false for any other request, which is left to the other
    // routes (hidden files and unknown names included).
    bool serve(Ctx &c, const std::vector<std::string> &segments);

private:
    void serveIndex(Ctx &c) const;
    void serveFile(Ctx &c, int fd, std::uint64_t size, const std::string &name);

    std::string dir_;
    int maxDownloads_;
    std::shared_ptr<std::atomic<int>> downloads_ = std::make_shared<std::atomic<int>>(0);
};

} // namespace vx
