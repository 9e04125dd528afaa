// Request plumbing shared by all resources: the request and reply as the
// handlers see them, routing on path segments, JSON replies and errors,
// reading and checking request bodies.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "auth.h"
#include "common_texts.h"
#include "db.h"
#include "paging.h"
#include "record_cache.h"

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

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One complete request as it came over the wire.
struct Request
{
    std::string method;
    std::string target; // path and query exactly as received
    std::string path; // percent-decoded, without the query
    std::string query; // as received, without the "?"
    HeaderList headers; // in arrival order, names as sent
    std::string body;
    // The client's address: the connection's other end, or for a trusted
    // proxy the address it forwards for (forwardedClient).
    std::string remoteAddress;
    std::string peerAddress; // the connection's other end
    // The request id: a trusted proxy's X-Request-Id, or one made here.
    std::string id;
    // When the request had arrived whole.
    std::chrono::steady_clock::time_point received;
    // Filled in while it is answered, for its log line and the metrics:
    // the route pattern and the user's name (of the session, or the name
    // a login tries).
    mutable std::string route = "(unmatched)";
    mutable std::string user;

    // The first header of that name (case-insensitive), or "".
    std::string get_header_value(const std::string &name) const;
    bool has_header(const std::string &name) const;
    // Query parameters ("page=2"), percent-decoded.
    bool has_param(const std::string &key) const;
    std::string get_param_value(const std::string &key) const;
};

// A file opened for a reply that is read from disk while it is sent
// (update packages). Closed when the last copy goes, unless taken.
class FileReply
{
public:
    // `slot` is released with the file (a place among the downloads).
    FileReply(int fd, std::uint64_t size, std::shared_ptr<void> slot = nullptr);
    ~FileReply();
    FileReply(const FileReply &) = delete;
    FileReply &operator=(const FileReply &) = delete;

    std::uint64_t size() const { return size_; }
    // Hands the descriptor over to the caller, who closes it.
    int take();

private:
    int fd_;
    std::uint64_t size_;
    std::shared_ptr<void> slot_;
};

// The reply a handler builds.
struct Response
{
    int status = 200;
    std::string body;
    std::string contentType;
    HeaderList headers;
    // When set, the body is this file's bytes instead of `body`.
    std::shared_ptr<FileReply> file;

    void set_header(const std::string &name, const std::string &value);
    void set_content(std::string content, const std::string &type);
    void set_file(std::shared_ptr<FileReply> f, const std::string &type);
};

std::string percentDecode(const std::string &s);

// An address in one spelling ("::ffff:10.0.0.1" is "10.0.0.1"), or "" when
// it is none.
std::string canonicalAddress(const std::string &address);
// The client behind trusted proxies: X-Forwarded-For read from its end as
// long as the hop that added an entry is trusted; the peer itself when it
// is not trusted.
std::string forwardedClient(
    const std::string &peer, const std::string &forwardedFor, const std::set<std::string> &trustedProxies);
// A request id as a proxy may send it: 1 to 64 characters of letters,
// digits and ".-_:".
bool plausibleRequestId(const std::string &id);

// What all requests share.
struct AppState
{
    const Options &options;
    // "scheme://host[:port]" that links to this server start with.
    std::string publicUrl;
    PageIndex pages;
    TokenMemory tokens;
    CommonTexts commonTexts;
    RecordCache customers; // as customer searches on PostgreSQL return them
};

struct Ctx
{
    AppState &app;
    Db &database; // the connection of the worker running this request
    const Request &req;
    Response &res;
    std::vector<std::int64_t> ids; // numeric path parameters, in path order
    std::int64_t userId = 0;
    std::string token; // the bearer token of this request

    Db &db() { return database; }
    std::int64_t id(std::size_t i = 0) const { return ids.at(i); }

    void reply(int status, const Json &body);
    // A reply whose JSON text is written already.
    void replyJsonText(int status, std::string json);
    void replyNoContent();

    // The request body as a JSON object (400 when it is not JSON, 422 when
    // it is not an object).
    Json bodyObject() const;

    // "scheme://host[:port]" of this server as configured; links that the
    // client follows later (invoice documents) start with it. Never taken
    // from the request, which anyone can word.
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
        // The matched route's pattern ("/customer/{id}"); empty when none fits.
        std::string pattern;
    };
    Match match(const std::string &method, const std::string &path) const;

private:
    struct Route
    {
        std::string method;
        std::string pattern;
        std::vector<std::string> segments;
        Handler handler;
    };
    std::vector<Route> routes_;
};

std::vector<std::string> splitPath(const std::string &path);
std::string jsonError(const std::string &message);
std::string dumpJson(const Json &j);

// The longest text a single-line field of the client's forms takes (the
// toolkit's default maximum length of a text input, in UTF-16 units), and
// the longest free note ("info"), which the forms cut at 254 characters.
constexpr std::size_t kMaxTextLength = 32767;
constexpr std::size_t kMaxNoteLength = 254;

// Length of UTF-8 text as the client's text fields count it (UTF-16 units).
std::size_t utf16Length(const std::string &utf8);

// Reading typed fields of a request object. Every accessor names the key in
// its error, so a client developer sees what was wrong.
class Fields
{
public:
    explicit Fields(const Json &obj) : o_(obj) { }

    bool has(const char *key) const;
    const Json &raw(const char *key) const; // 422 when missing

    // A string of at most maxLength characters (422 beyond).
    std::string text(const char *key, std::size_t maxLength = kMaxTextLength) const;
    std::int64_t integer(const char *key) const; // JSON integer (or integral number)
    bool boolean(const char *key) const; // true/false
    // A record id that arrives as an integer or as a string of digits.
    std::int64_t idLoose(const char *key) const;
    // Like idLoose, but absent, null and "" mean "none".
    std::optional<std::int64_t> optionalIdLoose(const char *key) const;
    // A string or number that reads as an amount of money no larger than
    // kMaxAmountCents; kept as sent.
    Json money(const char *key) const;
    // A string or a number, kept as sent.
    Json textOrNumber(const char *key) const;

private:
    const Json &o_;
};

} // namespace vx
