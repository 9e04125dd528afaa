#include "server.h"

#include <sqlite3.h>
#include <unistd.h>

#include <stdexcept>

#include "auth.h"
#include "billing.h"
#include "logger.h"
#include "pdf.h"
#include "routes.h"

namespace vx {

namespace {

const char *const kJsonType = "application/json; charset=utf-8";

// Logins that may wait for a password check; beyond, 503.
constexpr std::size_t kLoginQueue = 256;

bool isLowerHex(const std::string &s, std::size_t len)
{
    if (s.size() != len)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// "http://127.0.0.1:8080": the listen address as a link target. A wildcard
// address is no place to link to; the machine's name stands for it.
std::string listenUrl(const std::string &host, int port, bool tls)
{
    std::string h = host;
    if (h == "0.0.0.0" || h == "::" || h.empty()) {
        char name[256] = {};
        h = ::gethostname(name, sizeof name - 1) == 0 && name[0] ? name : "localhost";
    }
    if (h.find(':') != std::string::npos)
        h = "[" + h + "]";
    return std::string(tls ? "https://" : "http://") + h + ":" + std::to_string(port);
}

} // namespace

HttpError httpErrorOf(const DbError &e)
{
    if (e.code() == DbError::kUnavailable)
        return HttpError {503, "the database cannot be reached at the moment; nothing was saved"};
    switch (e.code() & 0xFF) {
    case SQLITE_FULL:
        return HttpError {507, "the server's disk is full; nothing was saved"};
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
        return HttpError {503, "the database cannot be written at the moment; nothing was saved"};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return HttpError {503, "the database is busy; please try again"};
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return HttpError {503, "the database cannot be read or written; nothing was saved"};
    default:
        return HttpError {500, "internal database error"};
    }
}

Server::Server(const Options &options, RecordLog *record, WriteGate &gate)
    : options_(options), record_(record), state_ {options, {}, {}, {}, {}, {}},
      throttle_(static_cast<int>(options.loginAttempts), static_cast<int>(options.loginAddressBudget)),
      health_(gate, isPostgresTarget(options.dbPath) ? std::string() : options.dbPath)
{
    FrontendLimits limits;
    limits.maxConnections = static_cast<int>(options.maxConnections);
    limits.maxConnectionsPerAddress = static_cast<int>(options.maxConnectionsPerAddress);
    limits.backlog = static_cast<int>(options.backlog);
    limits.headerTimeoutSeconds = static_cast<int>(options.headerTimeout);
    limits.idleTimeoutSeconds = static_cast<int>(options.idleTimeout);
    limits.bodyTimeoutSeconds = static_cast<int>(options.bodyTimeout);
    limits.writeTimeoutSeconds = static_cast<int>(options.writeTimeout);
    limits.maxHeaderBytes = static_cast<std::size_t>(options.maxHeaderBytes);
    limits.maxHeaderFields = static_cast<std::size_t>(options.maxHeaders);
    limits.maxBodyBytes = static_cast<std::size_t>(options.maxBodyBytes);
    limits.shutdownGraceSeconds = static_cast<int>(options.shutdownGrace);
    for (const auto &proxy : options.trustedProxies)
        limits.trustedProxies.insert(canonicalAddress(proxy));

    front_ = std::make_unique<HttpFrontend>(
        limits, options.tlsCert, options.tlsKey, [this](std::shared_ptr<Request> incoming, HttpFrontend::Done done) {
            RequestPtr req(std::move(incoming));
            HttpFrontend::Done finish = [this, req, done = std::move(done)](Response res) {
                res.set_header("X-Request-Id", req->id);
                answered(*req, res.status);
                done(std::move(res));
            };
            pool_->post([this, req, finish = std::move(finish)](Db &db) { handle(req, db, finish); });
        });
    front_->onRefused([](const std::string &client, int status, const std::string &message) {
        Logger::warning("refused a request", {{"status", status}, {"client", client}, {"reason", message}});
    });

    DbSettings settings;
    settings.writeGate = &gate;
    settings.cacheKiB = options.dbCacheMiB * 1024;
    settings.migrate = false;
    settings.addressIsPrivate = !options.dbFile.empty();
    pool_ = std::make_unique<WorkerPool>(
        static_cast<int>(options.workers), [&] { return std::make_unique<Db>(options.dbPath, settings); });
    passwordChecks_ = std::make_unique<TaskPool>(static_cast<int>(options.loginThreads), kLoginQueue);

    addSessionRoutes(router_);
    addCustomerRoutes(router_);
    addOrderRoutes(router_);
    addWarehouseRoutes(router_);
    if (!options.updatesDir.empty())
        updates_ = std::make_unique<UpdateFiles>(options.updatesDir, static_cast<int>(options.maxDownloads));
}

Server::~Server()
{
    if (metricsListener_)
        metricsListener_->stop();
    if (passwordChecks_)
        passwordChecks_->stop();
    if (pool_)
        pool_->stop();
}

int Server::bind()
{
    const int port = front_->bind(options_.host, options_.port);
    state_.publicUrl = options_.publicUrl.empty() ? listenUrl(options_.host, port, front_->tls()) : options_.publicUrl;
    if (!options_.metricsHost.empty())
        metricsListener_ = std::make_unique<MetricsListener>(
            options_.metricsHost, options_.metricsPort, [this] { return metricsText(); });
    return port;
}

int Server::metricsPort() const
{
    return metricsListener_ ? metricsListener_->port() : 0;
}

void Server::run()
{
    if (metricsListener_)
        metricsListener_->start();
    // Returns when every request has been answered, logins included.
    front_->run();
    if (metricsListener_)
        metricsListener_->stop();
    passwordChecks_->stop();
    pool_->stop();
}

void Server::stop()
{
    front_->stop();
}

void Server::handle(const RequestPtr &req, Db &db, const HttpFrontend::Done &done)
{
    if (record_)
        record_->write(*req);
    Response res;
    bool deferred = false;
    respond(*req, res, db, [&](Ctx &c) {
        const auto segs = splitPath(req->path);
        if (segs.size() == 1 && segs[0] == "tokens") {
            req->route = "/tokens";
            deferred = beginLogin(c, req, done);
            return;
        }
        // Asked by load balancers and monitors, without a session.
        if (segs.size() == 1 && segs[0] == "health") {
            req->route = "/health";
            serveHealth(c);
            return;
        }
        // Invoice documents are opened by a plain download without a
        // session; the random path segment is the permission.
        if (segs.size() == 3 && segs[0] == "files") {
            req->route = "/files/{capability}/{name}";
            serveDocument(c, segs[1], segs[2]);
            return;
        }
        if (updates_ && !segs.empty() && segs[0] == "vendrix")
            req->route = "/vendrix/{file}";
        if (updates_ && updates_->serve(c, segs))
            return;
        const auto token = parseBearer(req->get_header_value("Authorization"));
        const auto match = router_.match(req->method, req->path);
        if (!match.pattern.empty())
            req->route = match.pattern;
        if (!token)
            fail(401, "log in first: this request needs \"Authorization: Bearer <token>\"");
        const auto user = userForToken(db, state_.tokens, *token, options_.tokenIdleTimeout);
        if (!user)
            fail(401, "the session token is not valid (unknown, expired or logged out)");
        req->user = user->name;
        c.userId = user->id;
        c.token = *token;
        if (!match.handler) {
            if (match.status == 405)
                c.res.set_header("Allow", match.allow);
            fail(match.status, match.message);
        }
        c.ids = match.ids;
        (*match.handler)(c);
    });
    if (!deferred)
        done(std::move(res));
}

void Server::respond(const Request &req, Response &res, Db &db, const std::function<void(Ctx &)> &body)
{
    res.set_header("Cache-Control", "no-store");
    Ctx c {state_, db, req, res, {}, 0, {}};
    try {
        body(c);
    } catch (const HttpError &e) {
        res.status = e.status;
        res.set_content(jsonError(e.message), kJsonType);
    } catch (const DbError &e) {
        const HttpError reply = httpErrorOf(e);
        const DatabaseTrouble trouble = troubleOf(e);
        metrics_.databaseError(trouble.kind);
        health_.noteFailure(e);
        // The route, not the path: a document's path is its permission.
        Logger::error("database error",
            {{"request_id", req.id}, {"method", req.method}, {"route", req.route}, {"status", reply.status},
                {"cause", e.what()}});
        res.status = reply.status;
        res.set_content(jsonError(reply.message), kJsonType);
        if (reply.status == 503)
            res.set_header("Retry-After", "5");
    } catch (const std::exception &e) {
        Logger::error("internal error",
            {{"request_id", req.id}, {"method", req.method}, {"route", req.route}, {"cause", e.what()}});
        res.status = 500;
        res.set_content(jsonError("internal server error"), kJsonType);
    }
}

bool Server::beginLogin(Ctx &c, const RequestPtr &req, const HttpFrontend::Done &done)
{
    if (c.req.method != "POST") {
        c.res.set_header("Allow", "POST");
        fail(405, "log in with POST /tokens");
    }
    if (options_.maintenance) {
        metrics_.login("maintenance");
        fail(503, "the service is down for maintenance; please try again later");
    }
    const auto credentials = parseBasic(c.req.get_header_value("Authorization"));
    if (!credentials || credentials->username.find('\0') != std::string::npos) {
        metrics_.login("refused");
        fail(401, "log in with HTTP Basic credentials (user name and password)");
    }
    req->user = credentials->username;
    // Refused before the slow check: guessing costs the guesser time, not
    // the server.
    if (const int wait = throttle_.waitSeconds(credentials->username, c.req.remoteAddress)) {
        metrics_.login("throttled");
        c.res.set_header("Retry-After", std::to_string(wait));
        fail(429, "too many failed logins; try again in " + std::to_string(wait) + " s");
    }
    // The check itself runs on the login threads, so a crowd logging in
    // leaves the workers to everyone else; the worker is free meanwhile.
    auto secret = loadSecret(c.db(), credentials->username);
    const bool queued = passwordChecks_->tryPost(
        [this, req, done, user = credentials->username, password = credentials->password, secret = std::move(secret)] {
            LoginCheck check;
            try {
                check.userId =
                    verifyPassword(secret, password) ? std::optional<std::int64_t>(secret->userId) : std::nullopt;
            } catch (const std::exception &e) {
                check.error = e.what();
            }
            pool_->post([this, req, done, user, check](Db &db) { finishLogin(req, db, done, user, check); });
        });
    if (!queued) {
        metrics_.login("busy");
        c.res.set_header("Retry-After", "2");
        fail(503, "too many logins at once; please try again in a moment");
    }
    return true;
}

void Server::finishLogin(
    const RequestPtr &req, Db &db, const HttpFrontend::Done &done, const std::string &user, const LoginCheck &check)
{
    Response res;
    respond(*req, res, db, [&](Ctx &c) {
        if (!check.error.empty()) {
            metrics_.login("error");
            throw std::runtime_error("the password could not be checked: " + check.error);
        }
        if (!check.userId) {
            metrics_.login("wrong_password");
            if (throttle_.failed(user, req->remoteAddress))
                Logger::warning("many failed logins from " + req->remoteAddress + "; logins from there wait now",
                    {{"client", req->remoteAddress}});
            fail(401, "wrong user name or password");
        }
        metrics_.login("ok");
        throttle_.succeeded(user, req->remoteAddress);
        const std::string token =
            issueToken(c.db(), state_.tokens, *check.userId, options_.tokenIdleTimeout, options_.maxTokensPerUser);
        c.reply(200, Json {{"token", token}});
    });
    done(std::move(res));
}

void Server::serveHealth(Ctx &c)
{
    if (c.req.method != "GET" && c.req.method != "HEAD") {
        c.res.set_header("Allow", "GET, HEAD");
        fail(405, "ask for the health with GET /health");
    }
    const HealthCheck::Result health = health_.check(c.db());
    const char *engine = c.db().engine() == Engine::Postgres ? "postgresql" : "sqlite";
    if (!health.ok) {
        c.res.set_header("Retry-After", "5");
        c.reply(503, Json {{"status", "unavailable"}, {"database", engine}, {"error", health.reason}});
        return;
    }
    c.reply(200, Json {{"status", "ok"}, {"database", engine}});
}

void Server::answered(const Request &req, int status)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - req.received).count();
    metrics_.request(req.method, req.route, status, seconds);
    // A load balancer asks every second; only an unhealthy answer is news.
    if (req.route == "/health" && status == 200)
        return;
    Logger::request(RequestLine {req.id, req.method, req.route, status, seconds * 1000, req.user, req.remoteAddress});
}

std::string Server::metricsText()
{
    PromText out;
    metrics_.write(out);

    const FrontendCounts &counts = front_->counts();
    out.family("vendrix_connections_accepted_total", "counter", "Connections accepted.");
    out.sample("vendrix_connections_accepted_total", {}, static_cast<double>(counts.accepted));
    out.family("vendrix_connections_refused_total", "counter",
        "Connections turned away: the client address had its share (per_address), or the server was full and "
        "none could make room (full).");
    out.sample("vendrix_connections_refused_total", {{"reason", "per_address"}},
        static_cast<double>(counts.refusedPerAddress));
    out.sample("vendrix_connections_refused_total", {{"reason", "full"}}, static_cast<double>(counts.refusedFull));
    out.family("vendrix_connections_closed_for_room_total", "counter",
        "Connections closed to make room for a new one, by what they were doing.");
    out.sample("vendrix_connections_closed_for_room_total", {{"reason", "slow_sender"}},
        static_cast<double>(counts.closedSlowSender));
    out.sample(
        "vendrix_connections_closed_for_room_total", {{"reason", "idle"}}, static_cast<double>(counts.closedIdle));
    out.family("vendrix_requests_refused_total", "counter",
        "Requests the front answered itself: malformed (400), body too large (413), header too large (431).");
    out.sample(
        "vendrix_requests_refused_total", {{"reason", "malformed"}}, static_cast<double>(counts.refusedMalformed));
    out.sample(
        "vendrix_requests_refused_total", {{"reason", "body_too_large"}}, static_cast<double>(counts.refusedTooLarge));
    out.sample("vendrix_requests_refused_total", {{"reason", "header_too_large"}},
        static_cast<double>(counts.refusedHeaderTooLarge));

    const ConnectionStates states = front_->connectionStates();
    out.family("vendrix_connections_open", "gauge", "Open connections, by what they are doing.");
    out.sample("vendrix_connections_open", {{"state", "idle"}}, states.idle);
    out.sample("vendrix_connections_open", {{"state", "receiving"}}, states.receiving);
    out.sample("vendrix_connections_open", {{"state", "answering"}}, states.answering);

    out.family("vendrix_workers", "gauge", "Worker threads, each with its own database connection.");
    out.sample("vendrix_workers", {}, static_cast<double>(pool_->size()));
    out.family("vendrix_workers_busy", "gauge", "Workers running a request now.");
    out.sample("vendrix_workers_busy", {}, pool_->busy());
    out.family("vendrix_worker_queue_depth", "gauge", "Requests waiting for a worker.");
    out.sample("vendrix_worker_queue_depth", {}, static_cast<double>(pool_->queued()));
    out.family("vendrix_login_queue_depth", "gauge", "Logins waiting for a password check.");
    out.sample("vendrix_login_queue_depth", {}, static_cast<double>(passwordChecks_->queued()));

    const LoginThrottle::Figures throttle = throttle_.figures();
    out.family("vendrix_login_throttle_tracked", "gauge",
        "Failed logins remembered by this server: user name and address pairs, and addresses.");
    out.sample("vendrix_login_throttle_tracked", {{"kind", "pair"}}, static_cast<double>(throttle.pairs));
    out.sample("vendrix_login_throttle_tracked", {{"kind", "address"}}, static_cast<double>(throttle.addresses));
    out.family("vendrix_login_throttle_waiting", "gauge",
        "Of those, the ones whose logins wait now (429): a pair after repeated failures, an address beyond its "
        "hourly budget.");
    out.sample("vendrix_login_throttle_waiting", {{"kind", "pair"}}, static_cast<double>(throttle.waitingPairs));
    out.sample("vendrix_login_throttle_waiting", {{"kind", "address"}}, static_cast<double>(throttle.waitingAddresses));
    return out.text();
}

void Server::serveDocument(Ctx &c, const std::string &capability, const std::string &fileName)
{
    if (c.req.method != "GET" && c.req.method != "HEAD") {
        c.res.set_header("Allow", "GET");
        fail(405, "documents can only be fetched with GET");
    }
    std::optional<InvoiceDocument> doc;
    if (isLowerHex(capability, 32))
        doc = loadInvoiceDocument(c.db(), capability, fileName);
    if (!doc)
        fail(404, "no such document");
    // Drawn after reading, outside any transaction.
    const std::string pdf = renderInvoice(*doc);
    c.res.status = 200;
    c.res.set_header("Content-Disposition", "inline; filename=\"" + fileName + "\"");
    c.res.set_content(pdf, "application/pdf");
}

} // namespace vx
