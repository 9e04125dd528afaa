#include "server.h"

#include <sys/socket.h>

#include <iostream>
#include <stdexcept>

#include "auth.h"
#include "billing.h"
#include "routes.h"
#include "routes_updates.h"

namespace vx {

namespace {

const char *const kJsonType = "application/json; charset=utf-8";

const char *reasonText(int status)
{
    switch (status) {
    case 400:
        return "bad request";
    case 401:
        return "authentication required";
    case 404:
        return "not found";
    case 405:
        return "method not allowed";
    case 413:
        return "request body too large";
    case 414:
        return "request URI too long";
    case 415:
        return "unsupported media type";
    case 416:
        return "range not satisfiable";
    case 500:
        return "internal server error";
    case 503:
        return "service unavailable";
    default:
        return "request failed";
    }
}

bool isLowerHex(const std::string &s, std::size_t len)
{
    if (s.size() != len)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

Server::Server(Db &db, const Options &options, RecordLog *record)
    : db_(db), options_(options), record_(record), state_ {db, options, false}
{
    if (!options.tlsCert.empty()) {
        auto ssl = std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str());
        if (!ssl->is_valid())
            throw std::runtime_error("cannot load TLS certificate " + options.tlsCert + " and key " + options.tlsKey);
        http_ = std::move(ssl);
        state_.tls = true;
    } else {
        http_ = std::make_unique<httplib::Server>();
    }

    // Requests from one client come over a few kept-alive connections; each
    // occupies a worker while it stays open.
    http_->new_task_queue = [] { return new httplib::ThreadPool(16); };
    http_->set_keep_alive_max_count(1000);
    // Headers and body leave in separate writes; without this, Nagle's
    // algorithm and the peer's delayed ACK add ~40 ms to every reply.
    http_->set_tcp_nodelay(true);
    // The library's default also sets SO_REUSEPORT, which would let a second
    // server take the same port silently. Address reuse alone only allows a
    // quick restart.
    http_->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    http_->set_keep_alive_timeout(5);
    http_->set_payload_max_length(static_cast<std::size_t>(options.maxBodyBytes));

    auto handler = [this](const httplib::Request &req, httplib::Response &res) { handle(req, res); };
    http_->Get(".*", handler);
    http_->Post(".*", handler);
    http_->Put(".*", handler);
    http_->Delete(".*", handler);
    http_->Patch(".*", handler);
    http_->Options(".*", handler);

    // Replies the library makes itself (oversized body, unreadable request)
    // get the same JSON error shape as ours.
    http_->set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request &, httplib::Response &res) {
        if (res.body.empty())
            res.set_content(jsonError(reasonText(res.status)), kJsonType);
        return httplib::Server::HandlerResponse::Handled;
    }));
    http_->set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr) {
        res.status = 500;
        res.set_content(jsonError("internal server error"), kJsonType);
    });

    addSessionRoutes(router_);
    addCustomerRoutes(router_);
    addOrderRoutes(router_);
    addWarehouseRoutes(router_);
    if (!options.updatesDir.empty())
        addUpdateRoutes(publicRouter_, options.updatesDir);
}

int Server::bind()
{
    if (options_.port == 0) {
        const int port = http_->bind_to_any_port(options_.host);
        if (port <= 0)
            throw std::runtime_error("cannot listen on " + options_.host + " (no free port?)");
        return port;
    }
    if (!http_->bind_to_port(options_.host, options_.port))
        throw std::runtime_error("cannot listen on " + options_.host + ":" + std::to_string(options_.port)
            + " (address in use or not available)");
    return options_.port;
}

void Server::run()
{
    http_->listen_after_bind();
}

void Server::stop()
{
    http_->stop();
}

bool Server::running() const
{
    return http_->is_running();
}

void Server::handle(const httplib::Request &req, httplib::Response &res)
{
    if (record_)
        record_->write(req);
    res.set_header("Cache-Control", "no-store");
    Ctx c {state_, req, res, {}, 0, {}};
    try {
        const auto segs = splitPath(req.path);
        if (segs.size() == 1 && segs[0] == "tokens") {
            login(c);
            return;
        }
        // Invoice documents are opened by a plain download without a
        // session; the random path segment is the permission.
        if (segs.size() == 3 && segs[0] == "files") {
            serveDocument(c, segs[1], segs[2]);
            return;
        }
        const auto open = publicRouter_.match(req.method, req.path);
        if (open.handler) {
            (*open.handler)(c);
            return;
        }
        const auto token = parseBearer(req.get_header_value("Authorization"));
        if (!token)
            fail(401, "log in first: this request needs \"Authorization: Bearer <token>\"");
        const auto match = router_.match(req.method, req.path);
        auto lock = db_.lock();
        const auto user = userForToken(db_, *token);
        if (!user)
            fail(401, "the session token is not valid (unknown or logged out)");
        c.userId = *user;
        c.token = *token;
        if (!match.handler) {
            if (match.status == 405)
                res.set_header("Allow", match.allow);
            fail(match.status, match.message);
        }
        c.ids = match.ids;
        (*match.handler)(c);
    } catch (const HttpError &e) {
        res.status = e.status;
        res.set_content(jsonError(e.message), kJsonType);
    } catch (const DbError &e) {
        std::cerr << "vendrix-server: database error on " << req.method << " " << req.path << ": " << e.what()
                  << std::endl;
        res.status = 500;
        res.set_content(jsonError("internal database error"), kJsonType);
    } catch (const std::exception &e) {
        std::cerr << "vendrix-server: error on " << req.method << " " << req.path << ": " << e.what() << std::endl;
        res.status = 500;
        res.set_content(jsonError("internal server error"), kJsonType);
    }
}

void Server::login(Ctx &c)
{
    if (c.req.method != "POST") {
        c.res.set_header("Allow", "POST");
        fail(405, "log in with POST /tokens");
    }
    if (options_.maintenance)
        fail(503, "the service is down for maintenance; please try again later");
    const auto credentials = parseBasic(c.req.get_header_value("Authorization"));
    if (!credentials)
        fail(401, "log in with HTTP Basic credentials (user name and password)");
    std::optional<StoredSecret> secret;
    {
        auto lock = db_.lock();
        secret = loadSecret(db_, credentials->username);
    }
    // The slow hash runs without the lock so other requests go on meanwhile.
    if (!verifyPassword(secret, credentials->password))
        fail(401, "wrong user name or password");
    auto lock = db_.lock();
    Transaction tx(db_);
    const std::string token = issueToken(db_, secret->userId);
    tx.commit();
    c.reply(200, Json {{"token", token}});
}

void Server::serveDocument(Ctx &c, const std::string &capability, const std::string &fileName)
{
    if (c.req.method != "GET" && c.req.method != "HEAD") {
        c.res.set_header("Allow", "GET");
        fail(405, "documents can only be fetched with GET");
    }
    std::optional<std::string> pdf;
    if (isLowerHex(capability, 32)) {
        auto lock = db_.lock();
        pdf = renderDocumentPdf(db_, capability, fileName);
    }
    if (!pdf)
        fail(404, "no such document");
    c.res.status = 200;
    c.res.set_header("Content-Disposition", "inline; filename=\"" + fileName + "\"");
    c.res.set_content(*pdf, "application/pdf");
}

} // namespace vx
