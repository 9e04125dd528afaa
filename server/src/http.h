// Request plumbing shared by all resources: routing on path segments,
// JSON replies and errors, reading and checking request bodies.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <httplib.h>

#include "db.h"

namespace vx {

struct Options;

// Thrown by handlers; becomes a reply with {"error": message}.
struct HttpError
{
    int status;
    std::string message;
};

[[noreturn]] inline void fail(int status, std::string message)
{
    throw HttpError {status, std::move(message)};
}

struct AppState
{
    Db &db;
    const Options &options;
    bool tls = false;
};

struct Ctx
{
    AppState &app;
    const httplib::Request &req;
    httplib::Response &res;
    std::vector<std::int64_t> ids; // numeric path parameters, in path order
    std::int64_t userId = 0;
    std::string token; // the bearer token of this request

    Db &db() { return app.db; }
    std::int64_t id(std::size_t i = 0) const { return ids.at(i); }

    void reply(int status, const Json &body);
    void replyNoContent();

    // The request body as a JSON object (400 when it is not JSON, 422 when
    // it is not an object).
    Json bodyObject() const;

    // "scheme://host" as the client addressed this server; used for links
    // that the client follows later (invoice documents).
    std::string origin() const;

    // page=N, counted from 1; absent means 1.
    std::int64_t page() const;
};

using Handler = std::function<void(Ctx &)>;

class Router
{
public:
    // Pattern segments are literals or "{id}" (a positive integer).
    void add(const std::string &method, const std::string &pattern, Handler h);

    struct Match
    {
        const Handler *handler = nullptr;
        std::vector<std::int64_t> ids;
        int status = 0; // 404 / 405 / 400 when handler is null
        std::string message;
        std::string allow;
    };
    Match match(const std::string &method, const std::string &path) const;

private:
    struct Route
    {
        std::string method;
        std::vector<std::string> segments;
        Handler handler;
    };
    std::vector<Route> routes_;
};

std::vector<std::string> splitPath(const std::string &path);
std::string jsonError(const std::string &message);

// Reading typed fields of a request object. Every accessor names the key in
// its error, so a client developer sees what was wrong.
class Fields
{
public:
    explicit Fields(const Json &obj) : o_(obj) { }

    bool has(const char *key) const;
    const Json &raw(const char *key) const; // 422 when missing

    std::string text(const char *key) const; // string
    std::int64_t integer(const char *key) const; // JSON integer (or integral number)
    bool boolean(const char *key) const; // true/false
    // A record id that arrives as an integer or as a string of digits.
    std::int64_t idLoose(const char *key) const;
    // Like idLoose, but absent, null and "" mean "none".
    std::optional<std::int64_t> optionalIdLoose(const char *key) const;
    // A string or number that reads as an amount of money; kept as sent.
    Json money(const char *key) const;
    // A string or a number, kept as sent.
    Json textOrNumber(const char *key) const;

private:
    const Json &o_;
};

// Page arithmetic shared by all paged lists: 400 for a page past the end,
// but page 1 of an empty list is an empty page.
struct PageWindow
{
    std::int64_t limit;
    std::int64_t offset;
};
PageWindow pageWindow(std::int64_t page, std::int64_t pageSize, std::int64_t total);

} // namespace vx
