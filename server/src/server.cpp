#include "server.h"

#include <sqlite3.h>
#include <unistd.h>

#include <iostream>
#include <stdexcept>

#include "auth.h"
#include "billing.h"
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
    : options_(options), record_(record), state_ {options, {}, {}},
      throttle_(static_cast<int>(options.loginAttempts), static_cast<int>(options.loginAddressBudget))
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

    front_ = std::make_unique<HttpFrontend>(
        limits, options.tlsCert, options.tlsKey, [this](std::shared_ptr<Request> req, HttpFrontend::Done done) {
            pool_->post(
                [this, req = RequestPtr(std::move(req)), done = std::move(done)](Db &db) { handle(req, db, done); });
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
    if (passwordChecks_)
        passwordChecks_->stop();
    if (pool_)
        pool_->stop();
}

int Server::bind()
{
    const int port = front_->bind(options_.host, options_.port);
    state_.publicUrl = options_.publicUrl.empty() ? listenUrl(options_.host, port, front_->tls()) : options_.publicUrl;
    return port;
}

void Server::run()
{
    // Returns when every request has been answered, logins included.
    front_->run();
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
            deferred = beginLogin(c, req, done);
            return;
        }
        // Invoice documents are opened by a plain download without a
        // session; the random path segment is the permission.
        if (segs.size() == 3 && segs[0] == "files") {
            serveDocument(c, segs[1], segs[2]);
            return;
        }
        if (updates_ && updates_->serve(c, segs))
            return;
        const auto token = parseBearer(req->get_header_value("Authorization"));
        if (!token)
            fail(401, "log in first: this request needs \"Authorization: Bearer <token>\"");
        const auto match = router_.match(req->method, req->path);
        const auto user = userForToken(db, *token, options_.tokenIdleTimeout);
        if (!user)
            fail(401, "the session token is not valid (unknown, expired or logged out)");
        c.userId = *user;
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
        std::cerr << "vendrix-server: database error on " << req.method << " " << req.path << ": " << e.what()
                  << std::endl;
        res.status = reply.status;
        res.set_content(jsonError(reply.message), kJsonType);
        if (reply.status == 503)
            res.set_header("Retry-After", "5");
    } catch (const std::exception &e) {
        std::cerr << "vendrix-server: error on " << req.method << " " << req.path << ": " << e.what() << std::endl;
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
    if (options_.maintenance)
        fail(503, "the service is down for maintenance; please try again later");
    const auto credentials = parseBasic(c.req.get_header_value("Authorization"));
    if (!credentials || credentials->username.find('\0') != std::string::npos)
        fail(401, "log in with HTTP Basic credentials (user name and password)");
    // Refused before the slow check: guessing costs the guesser time, not
    // the server.
    if (const int wait = throttle_.waitSeconds(credentials->username, c.req.remoteAddress)) {
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
        if (!check.error.empty())
            throw std::runtime_error("the password could not be checked: " + check.error);
        if (!check.userId) {
            if (throttle_.failed(user, req->remoteAddress))
                std::cerr << "vendrix-server: many failed logins from " << req->remoteAddress
                          << "; logins from there wait now" << std::endl;
            fail(401, "wrong user name or password");
        }
        throttle_.succeeded(user, req->remoteAddress);
        const std::string token =
            issueToken(c.db(), *check.userId, options_.tokenIdleTimeout, options_.maxTokensPerUser);
        c.reply(200, Json {{"token", token}});
    });
    done(std::move(res));
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
