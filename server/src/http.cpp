#include "http.h"

#include <cmath>
#include <limits>

#include "money.h"
#include "options.h"

namespace vx {

namespace {

std::string dumpJson(const Json &j)
{
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool isDigits(const std::string &s)
{
    if (s.empty() || s.size() > 18)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Host header values we are willing to echo into links: host name or
// address with an optional port, nothing that could break out of a URL.
bool plausibleHost(const std::string &h)
{
    if (h.empty() || h.size() > 255)
        return false;
    for (char c : h) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == ':' || c == '[' || c == ']' || c == '_';
        if (!ok)
            return false;
    }
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

} // namespace

std::string jsonError(const std::string &message)
{
    return dumpJson(Json {{"error", message}});
}

// ---------------------------------------------------------------- Ctx

void Ctx::reply(int status, const Json &body)
{
    res.status = status;
    res.set_content(dumpJson(body), "application/json; charset=utf-8");
}

void Ctx::replyNoContent()
{
    res.status = 204;
    res.body.clear();
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
    }
    if (!j.is_object())
        fail(422, std::string("the request body must be a JSON object, not ") + typeName(j));
    return j;
}

std::string Ctx::origin() const
{
    std::string host = req.get_header_value("Host");
    if (!plausibleHost(host)) {
        host = req.local_addr.find(':') != std::string::npos ? "[" + req.local_addr + "]" : req.local_addr;
        host += ":" + std::to_string(req.local_port);
    }
    return std::string(app.tls ? "https://" : "http://") + host;
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

PageWindow pageWindow(std::int64_t page, std::int64_t pageSize, std::int64_t total)
{
    if (page > 1 && (page - 1 > total / pageSize || (page - 1) * pageSize >= total))
        fail(400, "page " + std::to_string(page) + " is past the last page");
    return PageWindow {pageSize, (page - 1) * pageSize};
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
    routes_.push_back(Route {method, splitPath(pattern), std::move(h)});
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

std::string Fields::text(const char *key) const
{
    const Json &v = raw(key);
    if (!v.is_string())
        fail(422, quoted(key) + " must be a string, not " + typeName(v));
    return v.get<std::string>();
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
    if (!parseMoney(v))
        fail(422, quoted(key) + " is not an amount of money: " + v.dump());
    return v;
}

Json Fields::textOrNumber(const char *key) const
{
    const Json &v = raw(key);
    if (!v.is_string() && !v.is_number())
        fail(422, quoted(key) + " must be text or a number, not " + typeName(v));
    return v;
}

} // namespace vx
