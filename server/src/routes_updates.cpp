#include "routes_updates.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace vx {

namespace {

namespace fs = std::filesystem;

// The path below which the client looks for its feed.
const char *const kPrefix = "vendrix";

// Files up to this size (the feed) are read and sent at once; larger ones
// (packages) are sent from disk as they go out, and count as downloads.
constexpr std::uint64_t kSmallFile = 64 * 1024;

bool endsWith(const std::string &s, const std::string &suffix)
{
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

const char *contentType(const std::string &name)
{
    if (endsWith(name, ".json"))
        return "application/json; charset=utf-8";
    if (endsWith(name, ".tar.gz") || endsWith(name, ".tgz"))
        return "application/gzip";
    return "application/octet-stream";
}

// Names that are plain path segments; hidden files stay private.
bool servable(const std::string &name)
{
    if (name.empty() || name.front() == '.')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
            || c == '_' || c == '+';
    });
}

} // namespace

UpdateFiles::UpdateFiles(const std::string &dir, int maxDownloads) : dir_(dir), maxDownloads_(maxDownloads)
{
    std::error_code error;
    if (!fs::is_directory(fs::path(dir), error))
        throw std::runtime_error("--updates: " + dir + " is not a directory");
}

bool UpdateFiles::serve(Ctx &c, const std::vector<std::string> &segments)
{
    if ((c.req.method != "GET" && c.req.method != "HEAD") || segments.empty() || segments[0] != kPrefix
        || segments.size() > 2)
        return false;
    if (segments.size() == 1) {
        serveIndex(c);
        return true;
    }
    const std::string &name = segments[1];
    if (!servable(name))
        return false;
    const std::string path = dir_ + "/" + name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    serveFile(c, fd, static_cast<std::uint64_t>(st.st_size), name);
    return true;
}

void UpdateFiles::serveIndex(Ctx &c) const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : fs::directory_iterator(fs::path(dir_), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && servable(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Vendrix updates</title></head>"
                       "<body><h1>Vendrix updates</h1><ul>\n";
    for (const auto &name : names)
        page += "<li><a href=\"/" + std::string(kPrefix) + "/" + name + "\">" + name + "</a></li>\n";
    page += "</ul></body></html>\n";
    c.res.status = 200;
    c.res.set_content(page, "text/html; charset=utf-8");
}

void UpdateFiles::serveFile(Ctx &c, int fd, std::uint64_t size, const std::string &name)
{
    if (size <= kSmallFile) {
        std::string data(static_cast<std::size_t>(size), '\0');
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        data.resize(done);
        c.res.status = 200;
        c.res.set_content(std::move(data), contentType(name));
        return;
    }
    // A place among the downloads, given back when the reply is done with
    // the file (sent, broken off or never started).
    if (downloads_->fetch_add(1) >= maxDownloads_) {
        downloads_->fetch_sub(1);
        ::close(fd);
        c.res.set_header("Retry-After", "10");
        fail(503, "too many downloads at once; please try again in a moment");
    }
    std::shared_ptr<void> slot(nullptr, [downloads = downloads_](void *) { downloads->fetch_sub(1); });
    c.res.status = 200;
    c.res.set_file(std::make_shared<FileReply>(fd, size, std::move(slot)), contentType(name));
}

} // namespace vx
