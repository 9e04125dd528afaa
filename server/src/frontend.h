// The HTTP(S) front: accepts connections and reads and writes HTTP/1.1 on
// one event-driven I/O thread. An idle or slow connection costs a socket and
// a little memory, never a thread; complete requests go to the handler,
// which runs them elsewhere (the worker pool) and answers when done.
//
// What a client may hold is bounded: connections in all and per address,
// the time to send a request header (slow clients), the idle time between
// requests, the time to send a body and to take a reply, the size and
// number of header fields, and the body size however it is framed.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "http.h"

namespace vx {

struct FrontendLimits
{
    int maxConnections = 4096;
    int maxConnectionsPerAddress = 1024;
    int backlog = 1024;
    int headerTimeoutSeconds = 10;
    int idleTimeoutSeconds = 15;
    int bodyTimeoutSeconds = 30;
    int writeTimeoutSeconds = 30;
    std::size_t maxHeaderBytes = 16 * 1024;
    std::size_t maxHeaderFields = 64;
    std::size_t maxBodyBytes = 1024 * 1024;
    int shutdownGraceSeconds = 5;
    // Load balancers in front (canonical addresses): the client address
    // comes from their X-Forwarded-For, the request id from their
    // X-Request-Id, and their connections are not held to the limit per
    // address.
    std::set<std::string> trustedProxies;
};

// What the front has done since it started, for the metrics.
struct FrontendCounts
{
    std::atomic<std::uint64_t> accepted {0};
    // Connections turned away: the client's address had its share, or the
    // server was full and no connection could make room.
    std::atomic<std::uint64_t> refusedPerAddress {0};
    std::atomic<std::uint64_t> refusedFull {0};
    // Connections closed to make room for a new one.
    std::atomic<std::uint64_t> closedSlowSender {0};
    std::atomic<std::uint64_t> closedIdle {0};
    // Requests answered by the front itself, by status (400, 413, 431).
    std::atomic<std::uint64_t> refusedMalformed {0};
    std::atomic<std::uint64_t> refusedTooLarge {0};
    std::atomic<std::uint64_t> refusedHeaderTooLarge {0};
};

// Open connections by what they are doing.
struct ConnectionStates
{
    int idle = 0; // waiting for a request
    int receiving = 0; // a request arriving
    int answering = 0; // a request being answered, or closing
};

class HttpFrontend
{
public:
    // Called on the I/O thread with a complete request; must call `done`
    // exactly once, from any thread.
    using Done = std::function<void(Response)>;
    using Handler = std::function<void(std::shared_ptr<Request>, Done)>;
    // A request the front answered itself (malformed, too large): the
    // client's address, the status and why.
    using Refused = std::function<void(const std::string &client, int status, const std::string &message)>;

    // Throws std::runtime_error when TLS material cannot be loaded.
    HttpFrontend(const FrontendLimits &limits, const std::string &tlsCert, const std::string &tlsKey, Handler handler);
    ~HttpFrontend();
    HttpFrontend(const HttpFrontend &) = delete;
    HttpFrontend &operator=(const HttpFrontend &) = delete;

    // Binds and listens; returns the port. Throws when the address is taken
    // or invalid.
    int bind(const std::string &host, int port);
    // Serves until SIGINT/SIGTERM or stop(), then closes idle connections
    // at once, lets busy ones finish within the grace time, and returns.
    void run();
    // May be called from any thread.
    void stop();

    bool tls() const;

    void onRefused(Refused refused);
    const FrontendCounts &counts() const;
    ConnectionStates connectionStates() const;

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace vx
