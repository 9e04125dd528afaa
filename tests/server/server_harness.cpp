#include "server_harness.h"

#include <QElapsedTimer>

#ifndef VENDRIX_SERVER_BINARY
#error "VENDRIX_SERVER_BINARY must name the server executable"
#endif

namespace vxtest {

Json Reply::json() const
{
    Json j = Json::parse(body, nullptr, false);
    return j.is_discarded() ? Json() : j;
}

ServerProcess::~ServerProcess()
{
    stop();
}

bool ServerProcess::start(const QStringList &args)
{
    stop();
    proc_ = std::make_unique<QProcess>();
    proc_->setProcessChannelMode(QProcess::SeparateChannels);
    proc_->start(QStringLiteral(VENDRIX_SERVER_BINARY), args);
    if (!proc_->waitForStarted(5000)) {
        error_ = QStringLiteral("cannot start server: ") + proc_->errorString();
        return false;
    }
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
    error_ =
        QStringLiteral("server did not print its port; stderr: ") + QString::fromUtf8(proc_->readAllStandardError());
    return false;
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

Api::Api(int port, bool tls)
{
    client_ =
        std::make_unique<httplib::Client>(std::string(tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(port));
    client_->set_connection_timeout(5);
    client_->set_read_timeout(15);
    if (tls)
        client_->enable_server_certificate_verification(false);
}

httplib::Headers Api::withAuth(httplib::Headers h) const
{
    if (!token_.empty() && h.find("Authorization") == h.end())
        h.emplace("Authorization", "Bearer " + token_);
    return h;
}

Reply Api::send(
    const std::string &method, const std::string &path, const std::string &body, const httplib::Headers &headers)
{
    httplib::Request req;
    req.method = method;
    req.path = path;
    req.headers = headers;
    req.body = body;
    auto res = client_->send(req);
    Reply r;
    if (!res)
        return r;
    r.status = res->status;
    r.body = res->body;
    r.contentType = res->get_header_value("Content-Type");
    return r;
}

Reply Api::get(const std::string &path, const httplib::Headers &extra)
{
    return send("GET", path, "", withAuth(extra));
}

Reply Api::post(const std::string &path, const std::string &body, const httplib::Headers &extra)
{
    httplib::Headers h = withAuth(extra);
    h.emplace("Content-Type", "application/json");
    return send("POST", path, body, h);
}

Reply Api::put(const std::string &path, const std::string &body)
{
    httplib::Headers h = withAuth({});
    h.emplace("Content-Type", "application/json");
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

std::string basic(const std::string &user, const std::string &password)
{
    return "Basic " + QByteArray::fromStdString(user + ":" + password).toBase64().toStdString();
}

} // namespace vxtest
