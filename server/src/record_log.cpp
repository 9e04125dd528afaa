#include "record_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace vx {

namespace {

const char *const kRedacted = "<redacted>";

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool secretKey(const std::string &key)
{
    const std::string k = lower(key);
    for (const char *word : {"pass", "token", "secret", "credential", "authorization"})
        if (k.find(word) != std::string::npos)
            return true;
    return false;
}

bool redactJson(nlohmann::ordered_json &j)
{
    bool changed = false;
    if (j.is_object()) {
        for (auto it = j.begin(); it != j.end(); ++it) {
            if (secretKey(it.key())) {
                it.value() = kRedacted;
                changed = true;
            } else {
                changed |= redactJson(it.value());
            }
        }
    } else if (j.is_array()) {
        for (auto &v : j)
            changed |= redactJson(v);
    }
    return changed;
}

std::string redactHeader(const std::string &name, const std::string &value)
{
    const std::string n = lower(name);
    if (n == "authorization" || n == "proxy-authorization") {
        // The scheme tells what kind of login it was; the rest is the secret.
        const auto blank = value.find(' ');
        return blank == std::string::npos ? kRedacted : value.substr(0, blank) + " " + kRedacted;
    }
    if (n == "cookie" || secretKey(n))
        return kRedacted;
    return value;
}

// How deeply arrays and objects nest in a JSON text (strings skipped).
int nesting(const std::string &text)
{
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

bool isLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// "/files/<capability>/" anywhere in a text, with the capability replaced.
std::string redactLinks(std::string text)
{
    static const std::string marker = "/files/";
    constexpr std::size_t kCapability = 32;
    std::size_t at = 0;
    while ((at = text.find(marker, at)) != std::string::npos) {
        const std::size_t start = at + marker.size();
        std::size_t end = start;
        while (end < text.size() && end - start < kCapability && isLowerHex(text[end]))
            ++end;
        if (end - start == kCapability)
            text.replace(start, kCapability, kRedacted);
        at = start;
    }
    return text;
}

std::string redactBody(const std::string &body)
{
    // Most bodies name no secret at all and stay byte for byte as they came.
    if (!secretKey(body))
        return body;
    // A body made to be deep is not taken apart (that would cost a stack
    // as deep); it is left out whole.
    if (nesting(body) > 64)
        return kRedacted;
    auto j = nlohmann::ordered_json::parse(body, nullptr, false);
    if (j.is_discarded() || !j.is_structured())
        return body;
    if (!redactJson(j))
        return body;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace

RecordLog::RecordLog(const std::string &path, bool keepCredentials, std::int64_t maxBytes)
    : path_(path), keepCredentials_(keepCredentials), maxBytes_(maxBytes)
{
    open();
}

void RecordLog::open()
{
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot open record file " + path_);
    ::fchmod(fd, 0600);
    struct stat st
    { };
    size_ = ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    file_ = ::fdopen(fd, "ab");
    if (!file_) {
        ::close(fd);
        throw std::runtime_error("cannot open record file " + path_);
    }
}

RecordLog::~RecordLog()
{
    if (file_)
        std::fclose(file_);
}

std::string RecordLog::line(const Request &req, bool keepCredentials)
{
    // The target is the request line's path and query exactly as received
    // (not percent-decoded).
    const auto q = req.target.find('?');
    const std::string path = q == std::string::npos ? req.target : req.target.substr(0, q);
    const std::string query = q == std::string::npos ? std::string() : req.target.substr(q + 1);

    nlohmann::ordered_json headers = nlohmann::ordered_json::array();
    for (const auto &[name, value] : req.headers)
        headers.push_back({name, keepCredentials ? value : redactLinks(redactHeader(name, value))});
    nlohmann::ordered_json j;
    j["method"] = req.method;
    j["path"] = keepCredentials ? path : redactLinks(path);
    j["query"] = query;
    j["headers"] = headers;
    j["body"] = keepCredentials ? req.body : redactLinks(redactBody(req.body));
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void RecordLog::write(const Request &req)
{
    const std::string l = line(req, keepCredentials_) + "\n";
    std::lock_guard<std::mutex> g(mutex_);
    const auto length = static_cast<std::int64_t>(l.size());
    if (size_ > 0 && size_ + length > maxBytes_) {
        // Moves aside; if a new file cannot be made, the old one goes on.
        std::fclose(file_);
        file_ = nullptr;
        ::rename(path_.c_str(), (path_ + ".1").c_str());
        try {
            open();
        } catch (const std::exception &) {
            ::rename((path_ + ".1").c_str(), path_.c_str());
            try {
                open();
            } catch (const std::exception &) {
            }
        }
    }
    if (!file_)
        return;
    std::fwrite(l.data(), 1, l.size(), file_);
    std::fflush(file_);
    size_ += length;
}

} // namespace vx
