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

#include <functional>
#include <memory>
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
};

class HttpFrontend
{
public:
    // Called on the I/O thread with a complete request; must call `done`
    // exactly once, from any thread.
    using Done = std::function<void(Response)>;
    using Handler = std::function<void(std::shared_ptr<Request>, Done)>;

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

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace vx
