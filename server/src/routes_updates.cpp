#include "routes_updates.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace vx {

namespace {

namespace fs = std::filesystem;

// The path below which the client looks for its feed.
const char *const kPrefix = "vendrix";

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

void serveFile(Ctx &c, const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        fail(404, "no such file: " + file.filename().string());
    std::ostringstream data;
    data << in.rdbuf();
    c.res.status = 200;
    c.res.set_content(data.str(), contentType(file.filename().string()));
}

} // namespace

void addUpdateRoutes(Router &r, const std::string &dir)
{
    const fs::path root(dir);
    std::error_code error;
    if (!fs::is_directory(root, error))
        throw std::runtime_error("--updates: " + dir + " is not a directory");

    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && servable(name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());

    for (const auto &name : names) {
        const fs::path file = root / name;
        r.add("GET", std::string(kPrefix) + "/" + name, [file](Ctx &c) { serveFile(c, file); });
    }
    r.add("GET", kPrefix, [names](Ctx &c) {
        std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Vendrix updates</title></head>"
                           "<body><h1>Vendrix updates</h1><ul>\n";
        for (const auto &name : names)
            page += "<li><a href=\"/" + std::string(kPrefix) + "/" + name + "\">" + name + "</a></li>\n";
        page += "</ul></body></html>\n";
        c.res.status = 200;
        c.res.set_content(page, "text/html; charset=utf-8");
    });
}

} // namespace vx
