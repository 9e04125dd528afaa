#include "http.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

#include "json_write.h"
#include "money.h"
#include "options.h"

namespace vx {

namespace {

bool isDigits(const std::string &s)
{
    if (s.empty() || s.size() > 18)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

const char *typeName(const Json &v)
{
    if (v.is_null())
        return "null";
    if (v.is_boolean())
        return "a boolean";
    if (v.is_number())
        return "a number";
    if (v.is_string())
        return "a string";
    if (v.is_array())
        return "an array";
    return "an object";
}

std::string quoted(const char *key)
{
    return std::string("\"") + key + "\"";
}

// No text field of the client holds the character NUL; PostgreSQL cannot
// store it and the search index takes it for the end of the text, so it is
// refused as a whole wherever a text arrives.
void refuseNul(const char *key, const std::string &text)
{
    if (text.find('\0') != std::string::npos)
        fail(422, quoted(key) + " must not contain the character NUL");
}

} // namespace

std::string dumpJson(const Json &j)
{
    return writeJson(j);
}

std::string jsonError(const std::string &message)
{
    return dumpJson(Json {{"error", message}});
}

// ---------------------------------------------------------------- Request

namespace {

bool equalsCi(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The value of `key` in a query string, if the key occurs.
std::optional<std::string> queryValue(const std::string &query, const std::string &key)
{
    if (query.empty())
        return std::nullopt;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        auto amp = query.find('&', pos);
        if (amp == std::string::npos)
            amp = query.size();
        const std::string pair = query.substr(pos, amp - pos);
        const auto eq = pair.find('=');
        if (percentDecode(pair.substr(0, eq)) == key)
            return eq == std::string::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        pos = amp + 1;
    }
    return std::nullopt;
}

} // namespace

std::string percentDecode(const std::string &s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string canonicalAddress(const std::string &address)
{
    in_addr v4 {};
    in6_addr v6 {};
    char buf[INET6_ADDRSTRLEN] = {};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return ::inet_ntop(AF_INET, &v4, buf, sizeof buf);
    if (::inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return {};
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, &v6.s6_addr[12], 4);
        return ::inet_ntop(AF_INET, &v4, buf, sizeof buf);
    }
    return ::inet_ntop(AF_INET6, &v6, buf, sizeof buf);
}

std::string forwardedClient(
    const std::string &peer, const std::string &forwardedFor, const std::set<std::string> &trustedProxies)
{
    std::string client = canonicalAddress(peer);
    if (client.empty())
        client = peer;
    std::size_t end = forwardedFor.size();
    while (trustedProxies.count(client) && end > 0) {
        const std::size_t comma = forwardedFor.rfind(',', end - 1);
        const std::size_t begin = comma == std::string::npos ? 0 : comma + 1;
        std::string entry = forwardedFor.substr(begin, end - begin);
        while (!entry.empty() && (entry.front() == ' ' || entry.front() == '\t'))
            entry.erase(0, 1);
        while (!entry.empty() && (entry.back() == ' ' || entry.back() == '\t'))
            entry.pop_back();
        const std::string address = canonicalAddress(entry);
        // A forged or broken entry ends the trust: the last trusted hop
        // stands for the client.
        if (address.empty())
            break;
        client = address;
        if (comma == std::string::npos)
            break;
        end = comma;
    }
    return client;
}

bool plausibleRequestId(const std::string &id)
{
    if (id.empty() || id.size() > 64)
        return false;
    for (char c : id)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_' && c != ':')
            return false;
    return true;
}

std::string Request::get_header_value(const std::string &name) const
{
    for (const auto &[n, v] : headers)
        if (equalsCi(n, name))
            return v;
    return {};
}

bool Request::has_header(const std::string &name) const
{
    for (const auto &h : headers)
        if (equalsCi(h.first, name))
            return true;
    return false;
}

bool Request::has_param(const std::string &key) const
{
    return queryValue(query, key).has_value();
}

std::string Request::get_param_value(const std::string &key) const
{
    return queryValue(query, key).value_or(std::string());
}

void Response::set_header(const std::string &name, const std::string &value)
{
    for (auto &h : headers) {
        if (equalsCi(h.first, name)) {
            h.second = value;
            return;
        }
    }
    headers.emplace_back(name, value);
}

void Response::set_content(std::string content, const std::string &type)
{
    body = std::move(content);
    contentType = type;
    file.reset();
}

void Response::set_file(std::shared_ptr<FileReply> f, const std::string &type)
{
    body.clear();
    contentType = type;
    file = std::move(f);
}

FileReply::FileReply(int fd, std::uint64_t size, std::shared_ptr<void> slot)
    : fd_(fd), size_(size), slot_(std::move(slot))
{
}

FileReply::~FileReply()
{
    if (fd_ >= 0)
        ::close(fd_);
}

int FileReply::take()
{
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

// ---------------------------------------------------------------- Ctx

void Ctx::reply(int status, const Json &body)
{
    res.status = status;
    res.set_content(dumpJson(body), "application/json; charset=utf-8");
}

void Ctx::replyJsonText(int status, std::string json)
{
    res.status = status;
    res.set_content(std::move(json), "application/json; charset=utf-8");
}

void Ctx::replyNoContent()
{
    res.status = 204;
    res.body.clear();
    res.contentType.clear();
}

Json Ctx::bodyObject() const
{
    Json j;
    try {
        j = Json::parse(req.body);
    } catch (const Json::parse_error &e) {
        fail(400,
            req.body.empty() ? "a JSON object is required as request body"
                             : std::string("malformed JSON: ") + e.what());
    } catch (const Json::exception &e) {
        // Numbers beyond what a double holds ("1e999999") and the like.
        fail(400, std::string("unreadable JSON: ") + e.what());
    }
    if (!j.is_object())
        fail(422, std::string("the request body must be a JSON object, not ") + typeName(j));
    return j;
}

std::string Ctx::origin() const
{
    return app.publicUrl;
}

std::int64_t Ctx::page() const
{
    if (!req.has_param("page"))
        return 1;
    const std::string v = req.get_param_value("page");
    if (!isDigits(v) || std::stoll(v) < 1)
        fail(400, "page must be a whole number from 1 on, got \"" + v + "\"");
    return std::stoll(v);
}

std::size_t utf16Length(const std::string &utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) == 0x80)
            continue; // continuation byte
        n += c >= 0xF0 ? 2 : 1; // four-byte sequences are surrogate pairs
    }
    return n;
}

// ---------------------------------------------------------------- Router

std::vector<std::string> splitPath(const std::string &path)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : path) {
        if (c == '/') {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

void Router::add(const std::string &method, const std::string &pattern, Handler h)
{
    const auto segments = splitPath(pattern);
    std::string shown;
    for (const auto &s : segments)
        shown += "/" + s;
    routes_.push_back(Route {method, shown, segments, std::move(h)});
}

Router::Match Router::match(const std::string &methodIn, const std::string &path) const
{
    const std::string method = methodIn == "HEAD" ? "GET" : methodIn;
    const auto segs = splitPath(path);

    // Among the routes whose literal segments fit, the most specific ones
    // (most literals) decide: "assignment/search" is not an order id.
    int best = -1;
    std::vector<const Route *> candidates;
    for (const auto &r : routes_) {
        if (r.segments.size() != segs.size())
            continue;
        int literals = 0;
        bool fits = true;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            if (r.segments[i] == "{id}")
                continue;
            if (r.segments[i] != segs[i]) {
                fits = false;
                break;
            }
            ++literals;
        }
        if (!fits)
            continue;
        if (literals > best) {
            best = literals;
            candidates.clear();
        }
        if (literals == best)
            candidates.push_back(&r);
    }

    Match m;
    if (candidates.empty()) {
        m.status = 404;
        m.message = "no such resource: " + path;
        return m;
    }
    const Route *chosen = nullptr;
    m.pattern = candidates.front()->pattern;
    for (const Route *r : candidates) {
        if (r->method == method)
            chosen = r;
        if (m.allow.find(r->method) == std::string::npos)
            m.allow += (m.allow.empty() ? "" : ", ") + r->method;
    }
    if (!chosen) {
        m.status = 405;
        m.message = methodIn + " is not supported on " + path + " (allowed: " + m.allow + ")";
        return m;
    }
    for (std::size_t i = 0; i < segs.size(); ++i) {
        if (chosen->segments[i] != "{id}")
            continue;
        if (!isDigits(segs[i]) || std::stoll(segs[i]) < 1) {
            m.status = 400;
            m.message = "\"" + segs[i] + "\" is not a valid id";
            return m;
        }
        m.ids.push_back(std::stoll(segs[i]));
    }
    m.handler = &chosen->handler;
    m.pattern = chosen->pattern;
    return m;
}

// ---------------------------------------------------------------- Fields

bool Fields::has(const char *key) const
{
    return o_.contains(key);
}

const Json &Fields::raw(const char *key) const
{
    auto it = o_.find(key);
    if (it == o_.end())
        fail(422, "missing key " + quoted(key));
    return *it;
}

std::string Fields::text(const char *key, std::size_t maxLength) const
{
    const Json &v = raw(key);
    if (!v.is_string())
        fail(422, quoted(key) + " must be a string, not " + typeName(v));
    std::string s = v.get<std::string>();
    if (s.size() > maxLength && utf16Length(s) > maxLength)
        fail(422, quoted(key) + " is longer than " + std::to_string(maxLength) + " characters");
    refuseNul(key, s);
    return s;
}

std::int64_t Fields::integer(const char *key) const
{
    const Json &v = raw(key);
    if (v.is_number_unsigned()) {
        if (v.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            fail(422, quoted(key) + " is out of range");
        return static_cast<std::int64_t>(v.get<std::uint64_t>());
    }
    if (v.is_number_integer())
        return v.get<std::int64_t>();
    if (v.is_number_float()) {
        const double d = v.get<double>();
        if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15)
            return static_cast<std::int64_t>(d);
    }
    fail(422, quoted(key) + " must be a whole number, not " + typeName(v));
}

bool Fields::boolean(const char *key) const
{
    const Json &v = raw(key);
    if (!v.is_boolean())
        fail(422, quoted(key) + " must be true or false, not " + typeName(v));
    return v.get<bool>();
}

std::int64_t Fields::idLoose(const char *key) const
{
    const auto id = optionalIdLoose(key);
    if (!id)
        fail(422, "missing value for " + quoted(key));
    return *id;
}

std::optional<std::int64_t> Fields::optionalIdLoose(const char *key) const
{
    auto it = o_.find(key);
    if (it == o_.end() || it->is_null())
        return std::nullopt;
    if (it->is_string()) {
        const std::string s = it->get<std::string>();
        if (s.empty())
            return std::nullopt;
        if (!isDigits(s) || std::stoll(s) < 1)
            fail(422, quoted(key) + " must be a record id, got \"" + s + "\"");
        return std::stoll(s);
    }
    const std::int64_t v = integer(key);
    if (v < 1)
        fail(422, quoted(key) + " must be a record id, got " + std::to_string(v));
    return v;
}

Json Fields::money(const char *key) const
{
    const Json &v = raw(key);
    if (!v.is_string() && !v.is_number())
        fail(422, quoted(key) + " must be an amount as text or number, not " + typeName(v));
    if (v.is_string() && v.get_ref<const std::string &>().size() > 64)
        fail(422, quoted(key) + " is not an amount of money");
    const auto cents = parseMoney(v);
    if (!cents)
        fail(422, quoted(key) + " is not an amount of money: " + v.dump());
    if (*cents > kMaxAmountCents)
        fail(422,
            quoted(key) + " is above the largest amount taken, " + formatMoneyDe(kMaxAmountCents) + ": " + v.dump());
    return v;
}

Json Fields::textOrNumber(const char *key) const
{
    const Json &v = raw(key);
    if (!v.is_string() && !v.is_number())
        fail(422, quoted(key) + " must be text or a number, not " + typeName(v));
    if (v.is_string() && utf16Length(v.get_ref<const std::string &>()) > kMaxTextLength)
        fail(422, quoted(key) + " is longer than " + std::to_string(kMaxTextLength) + " characters");
    if (v.is_string())
        refuseNul(key, v.get_ref<const std::string &>());
    return v;
}

} // namespace vx
