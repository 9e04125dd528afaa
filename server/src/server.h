// The server: the HTTP(S) front, the worker pool with one database
// connection per worker, authentication, routing, error replies and record
// mode.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "frontend.h"
#include "health.h"
#include "http.h"
#include "login_throttle.h"
#include "metrics.h"
#include "metrics_listener.h"
#include "options.h"
#include "paging.h"
#include "record_log.h"
#include "routes_updates.h"
#include "workers.h"

namespace vx {

// What a database error means for the client: disk full is 507, a
// database that cannot be written or is busy is 503, the rest 500; the
// message says which, without internals.
HttpError httpErrorOf(const DbError &e);

class Server
{
public:
    // Opens the workers' database connections (the schema must be current)
    // and loads TLS material; throws std::runtime_error or DbError.
    Server(const Options &options, RecordLog *record, WriteGate &gate);
    ~Server();

    // Binds the listening socket (and the metrics' own, when asked for);
    // returns the port (useful with port 0). Throws when an address is
    // taken or invalid.
    int bind();
    // The port of the metrics' address, or 0 without one.
    int metricsPort() const;
    // Serves until SIGINT/SIGTERM or stop(); returns when the last request
    // is answered (or its grace time is over).
    void run();
    void stop();

    // Where links to this server point: --public-url, or the listen address.
    const std::string &publicUrl() const { return state_.publicUrl; }

    // The metrics in Prometheus' text format.
    std::string metricsText();

private:
    using RequestPtr = std::shared_ptr<const Request>;

    // Answers a request on a worker; `done` is called with the reply, at
    // once or (logins) when the password has been checked.
    void handle(const RequestPtr &req, Db &db, const HttpFrontend::Done &done);
    // Runs `body` for the request and turns what it throws into the reply.
    void respond(const Request &req, Response &res, Db &db, const std::function<void(Ctx &)> &body);
    // The first half of a login, on a worker: refuses what can be refused
    // at once and hands the password check to the login threads; returns
    // whether it did (the reply then comes from finishLogin).
    bool beginLogin(Ctx &c, const RequestPtr &req, const HttpFrontend::Done &done);
    // The outcome of a password check: the user's id when it was right.
    struct LoginCheck
    {
        std::optional<std::int64_t> userId;
        std::string error; // the check itself failed
    };
    void finishLogin(const RequestPtr &req, Db &db, const HttpFrontend::Done &done, const std::string &user,
        const LoginCheck &check);
    void serveDocument(Ctx &c, const std::string &capability, const std::string &fileName);
    void serveHealth(Ctx &c);
    // A reply is on its way: counted, and logged.
    void answered(const Request &req, int status);

    const Options &options_;
    RecordLog *record_;
    AppState state_;
    Router router_;
    std::unique_ptr<UpdateFiles> updates_; // served without a session
    LoginThrottle throttle_;
    Metrics metrics_;
    HealthCheck health_;
    std::unique_ptr<MetricsListener> metricsListener_;
    std::unique_ptr<WorkerPool> pool_;
    std::unique_ptr<TaskPool> passwordChecks_;
    std::unique_ptr<HttpFrontend> front_;
};

} // namespace vx
