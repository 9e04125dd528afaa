#include "server_harness.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <optional>

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#ifndef VENDRIX_SERVER_BINARY
#error "VENDRIX_SERVER_BINARY must name the server executable"
#endif

namespace vxtest {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;

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

} // namespace

QString serverBinary()
{
    const QByteArray other = qgetenv("VENDRIX_TEST_SERVER");
    return other.isEmpty() ? QStringLiteral(VENDRIX_SERVER_BINARY) : QString::fromLocal8Bit(other);
}

Json Reply::json() const
{
    Json j = Json::parse(body, nullptr, false);
    return j.is_discarded() ? Json() : j;
}

std::string Reply::header(const std::string &name) const
{
    for (const auto &[n, v] : headers)
        if (equalsCi(n, name))
            return v;
    return {};
}

// ---------------------------------------------------------------- ServerProcess

ServerProcess::~ServerProcess()
{
    stop();
}

bool ServerProcess::start(const QStringList &args, const QByteArray &input)
{
    stop();
    extra_.clear();
    proc_ = std::make_unique<QProcess>();
    proc_->setProcessChannelMode(QProcess::SeparateChannels);
    proc_->setStandardErrorFile(logDir_.filePath("stderr.log"));
    proc_->start(serverBinary(), args);
    if (!proc_->waitForStarted(5000)) {
        error_ = QStringLiteral("cannot start server: ") + proc_->errorString();
        return false;
    }
    if (!input.isEmpty())
        proc_->write(input);
    proc_->closeWriteChannel();
    QElapsedTimer t;
    t.start();
    QByteArray out;
    while (t.elapsed() < 10000) {
        proc_->waitForReadyRead(200);
        out += proc_->readAllStandardOutput();
        if (proc_->state() == QProcess::NotRunning && !out.contains('\n'))
            break;
        const int nl = out.indexOf('\n');
        if (nl < 0)
            continue;
        bool ok = false;
        port_ = out.left(nl).trimmed().toInt(&ok);
        if (!ok || port_ <= 0) {
            error_ = QStringLiteral("first line is not a port: ") + QString::fromUtf8(out.left(nl));
            return false;
        }
        // Whatever followed promptly (the demo login line) is kept.
        proc_->waitForReadyRead(100);
        out += proc_->readAllStandardOutput();
        for (const QByteArray &l : out.mid(nl + 1).split('\n'))
            if (!l.trimmed().isEmpty())
                extra_ << QString::fromUtf8(l.trimmed());
        return true;
    }
    error_ = QStringLiteral("server did not print its port; stderr: ") + errorOutput();
    return false;
}

QString ServerProcess::errorOutput()
{
    QFile log(logDir_.filePath("stderr.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

int ServerProcess::stop()
{
    if (!proc_)
        return 0;
    int code = 0;
    if (proc_->state() != QProcess::NotRunning) {
        proc_->terminate();
        if (!proc_->waitForFinished(10000)) {
            proc_->kill();
            proc_->waitForFinished(2000);
            code = -1;
        } else {
            code = proc_->exitStatus() == QProcess::NormalExit ? proc_->exitCode() : -1;
        }
    } else {
        code = proc_->exitStatus() == QProcess::NormalExit ? proc_->exitCode() : -1;
    }
    proc_.reset();
    return code;
}

int ServerProcess::waitForExit(int ms)
{
    if (!proc_)
        return -1;
    if (proc_->state() != QProcess::NotRunning && !proc_->waitForFinished(ms))
        return -1;
    return proc_->exitStatus() == QProcess::NormalExit ? proc_->exitCode() : -1;
}

// ---------------------------------------------------------------- Api

struct Api::Connection
{
    int port;
    bool tls;
    net::io_context ioc;
    ssl::context tlsContext {ssl::context::tls_client};
    std::optional<beast::tcp_stream> plain;
    std::optional<beast::ssl_stream<beast::tcp_stream>> secure;
    beast::flat_buffer buffer;

    Connection(int p, bool t) : port(p), tls(t) { tlsContext.set_verify_mode(ssl::verify_none); }

    beast::tcp_stream &lowest() { return tls ? beast::get_lowest_layer(*secure) : *plain; }
    bool open() const { return tls ? secure.has_value() : plain.has_value(); }

    void close()
    {
        if (open()) {
            beast::error_code ignored;
            lowest().socket().close(ignored);
        }
        plain.reset();
        secure.reset();
        buffer.clear();
    }

    bool connect()
    {
        close();
        beast::error_code ec;
        const tcp::endpoint to(net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
        if (tls) {
            secure.emplace(ioc, tlsContext);
            beast::get_lowest_layer(*secure).expires_after(std::chrono::seconds(5));
            beast::get_lowest_layer(*secure).connect(to, ec);
            if (!ec)
                secure->handshake(ssl::stream_base::client, ec);
        } else {
            plain.emplace(ioc);
            plain->expires_after(std::chrono::seconds(5));
            plain->connect(to, ec);
        }
        if (ec) {
            close();
            return false;
        }
        lowest().socket().set_option(tcp::no_delay(true), ec);
        return true;
    }

    // One exchange on the open connection; false when it broke.
    bool exchange(http::request<http::string_body> &req, Reply &reply)
    {
        beast::error_code ec;
        lowest().expires_after(std::chrono::seconds(15));
        if (tls)
            http::write(*secure, req, ec);
        else
            http::write(*plain, req, ec);
        if (ec)
            return false;
        http::response_parser<http::string_body> parser;
        parser.body_limit(512 * 1024 * 1024);
        parser.skip(req.method() == http::verb::head);
        if (tls)
            http::read(*secure, buffer, parser, ec);
        else
            http::read(*plain, buffer, parser, ec);
        if (ec)
            return false;
        auto res = parser.release();
        reply.status = static_cast<int>(res.result_int());
        reply.body = std::move(res.body());
        for (const auto &f : res)
            reply.headers.emplace_back(std::string(f.name_string()), std::string(f.value()));
        reply.contentType = reply.header("Content-Type");
        if (!res.keep_alive())
            close();
        return true;
    }
};

Api::Api(int port, bool tls) : conn_(std::make_unique<Connection>(port, tls))
{
}

Api::~Api() = default;

Headers Api::withAuth(Headers h) const
{
    bool has = false;
    for (const auto &kv : h)
        has |= equalsCi(kv.first, "Authorization");
    if (!token_.empty() && !has)
        h.emplace_back("Authorization", "Bearer " + token_);
    return h;
}

Reply Api::send(const std::string &method, const std::string &path, const std::string &body, const Headers &headers)
{
    http::request<http::string_body> req;
    req.version(11);
    const http::verb verb = http::string_to_verb(method);
    if (verb == http::verb::unknown)
        req.method_string(method);
    else
        req.method(verb);
    req.target(path);
    bool hasHost = false;
    for (const auto &[name, value] : headers) {
        req.insert(name, value);
        hasHost |= equalsCi(name, "Host");
    }
    if (!hasHost)
        req.set(http::field::host, "127.0.0.1:" + std::to_string(conn_->port));
    req.body() = body;
    if (!body.empty() || method == "POST" || method == "PUT")
        req.prepare_payload();

    // A kept-alive connection the server has closed meanwhile is opened
    // again, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool reused = conn_->open();
        if (!reused && !conn_->connect())
            return Reply {};
        Reply r;
        if (conn_->exchange(req, r))
            return r;
        conn_->close();
        if (!reused)
            return Reply {};
    }
    return Reply {};
}

Reply Api::get(const std::string &path, const Headers &extra)
{
    return send("GET", path, "", withAuth(extra));
}

Reply Api::post(const std::string &path, const std::string &body, const Headers &extra)
{
    Headers h = withAuth(extra);
    h.emplace_back("Content-Type", "application/json");
    return send("POST", path, body, h);
}

Reply Api::put(const std::string &path, const std::string &body)
{
    Headers h = withAuth({});
    h.emplace_back("Content-Type", "application/json");
    return send("PUT", path, body, h);
}

Reply Api::del(const std::string &path)
{
    return send("DELETE", path, "", withAuth({}));
}

Reply Api::login(const std::string &user, const std::string &password)
{
    Reply r = send("POST", "/tokens", "",
        {{"Authorization", basic(user, password)}, {"Accept", "application/json"},
            {"Content-Type", "application/json"}});
    if (r.status == 200)
        token_ = r.json().value("token", "");
    return r;
}

Json walkLists(Api &api)
{
    const auto withoutOrigin = [](Json &record) {
        if (!record.is_object() || !record.contains("attachement_link") || !record["attachement_link"].is_string())
            return;
        const std::string link = record["attachement_link"];
        const auto files = link.find("/files/");
        record["attachement_link"] = files == std::string::npos ? link : link.substr(files);
    };
    Json walk = Json::object();
    for (const char *resource :
        {"me", "taxes", "articlegroups", "articlegroups/category", "articleinventory", "deliveryorder"}) {
        const Reply r = api.get(std::string("/") + resource);
        walk[resource] = r.status == 200 ? r.json() : Json(r.status);
    }
    for (const char *resource : {"customer", "assignment", "invoice"}) {
        Json all = Json::array();
        for (int page = 1; page < 10000; ++page) {
            const Reply r = api.get("/" + std::string(resource) + "?page=" + std::to_string(page));
            if (r.status == 400)
                break;
            if (r.status != 200) {
                all = Json(r.status);
                break;
            }
            for (auto record : r.json()) {
                withoutOrigin(record);
                all.push_back(record);
            }
        }
        walk[resource] = all;
    }
    return walk;
}

std::string basic(const std::string &user, const std::string &password)
{
    return "Basic " + QByteArray::fromStdString(user + ":" + password).toBase64().toStdString();
}

QString pdfText(const QString &file, const std::string &bytes)
{
    QFile f(file);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty() || !f.open(QIODevice::WriteOnly))
        return QString();
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    f.close();
    QProcess text;
    text.start("pdftotext", {"-layout", file, "-"});
    text.waitForFinished(10000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

// ---------------------------------------------------------------- RawConnection

RawConnection::RawConnection(int port, const std::string &from)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (!from.empty()) {
        sockaddr_in local {};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
        ::bind(fd_, reinterpret_cast<sockaddr *>(&local), sizeof local);
    }
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd_);
        fd_ = -1;
        return;
    }
    int yes = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

RawConnection::~RawConnection()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawConnection::send(const std::string &bytes)
{
    std::size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return fd_ >= 0;
}

std::string RawConnection::receive(int timeoutMs)
{
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p {fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[65536];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

int RawConnection::status(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0 && pending_.find("\r\n") == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            break;
        pollfd p {fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        char buf[4096];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        pending_.append(buf, static_cast<std::size_t>(n));
    }
    if (pending_.rfind("HTTP/1.", 0) != 0 || pending_.size() < 12)
        return 0;
    return std::atoi(pending_.substr(9, 3).c_str());
}

bool RawConnection::closedByPeer(int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (fd_ >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p {fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char buf[4096];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0)
            return true;
    }
    return true;
}

} // namespace vxtest
