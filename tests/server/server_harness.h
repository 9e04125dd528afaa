// Runs the built vendrix-server binary and talks HTTP(S) to it.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace vxtest {

using Json = nlohmann::ordered_json;
using Headers = std::vector<std::pair<std::string, std::string>>;

struct Reply
{
    int status = 0; // 0: no answer at all
    std::string body;
    std::string contentType;
    Headers headers;
    Json json() const; // null when the body is not JSON
    std::string header(const std::string &name) const; // "" when absent
};

// One server process. start() waits for the port line.
class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess();

    // Returns false with a reason in lastError() when the server does not
    // come up within a few seconds. `input` is written to its standard
    // input (passwords), which is then closed.
    bool start(const QStringList &args, const QByteArray &input = QByteArray());
    // SIGTERM and wait; returns the exit code (or -1 when it had to be killed).
    int stop();
    // Waits for the process to end by itself; its exit code, or -1.
    int waitForExit(int ms);

    int port() const { return port_; }
    qint64 pid() const { return proc_ ? proc_->processId() : 0; }
    QString lastError() const { return error_; }
    // Lines the server printed after the port line (up to start's return).
    QStringList extraOutput() const { return extra_; }
    // What it wrote to standard error so far (in a file: a server that
    // logs every request never waits for the test to read a pipe).
    QString errorOutput();

private:
    std::unique_ptr<QProcess> proc_;
    int port_ = 0;
    QString error_;
    QStringList extra_;
    QTemporaryDir logDir_;
};

// A small keep-alive client with an optional bearer token.
class Api
{
public:
    Api(int port, bool tls = false);
    ~Api();

    void setToken(const std::string &token) { token_ = token; }
    const std::string &token() const { return token_; }

    Reply get(const std::string &path, const Headers &extra = {});
    Reply post(const std::string &path, const std::string &body, const Headers &extra = {});
    Reply post(const std::string &path, const Json &body) { return post(path, body.dump()); }
    Reply put(const std::string &path, const std::string &body);
    Reply put(const std::string &path, const Json &body) { return put(path, body.dump()); }
    Reply del(const std::string &path);
    Reply send(const std::string &method, const std::string &path, const std::string &body, const Headers &headers);

    // POST tokens with Basic credentials; sets the token on 200.
    Reply login(const std::string &user, const std::string &password);

private:
    Headers withAuth(Headers h) const;

    struct Connection;
    std::unique_ptr<Connection> conn_;
    std::string token_;
};

// A bare loopback TCP connection, for requests no well-behaved client sends.
class RawConnection
{
public:
    // Connects to 127.0.0.1:port, from the given loopback address if any.
    explicit RawConnection(int port, const std::string &from = std::string());
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    bool connected() const { return fd_ >= 0; }
    // False when the peer is gone.
    bool send(const std::string &bytes);
    // What arrives within timeoutMs, until the peer closes.
    std::string receive(int timeoutMs);
    // The status of the first reply that arrives within timeoutMs (0: none).
    int status(int timeoutMs);
    // Whether the server closes the connection within timeoutMs.
    bool closedByPeer(int timeoutMs);

private:
    int fd_ = -1;
    std::string pending_;
};

std::string basic(const std::string &user, const std::string &password);

// The black-box walk of a logged-in client through every area: the user's
// record, taxes, every page of customers, orders and invoices, article
// groups, categories, stock and delivery orders, in one object keyed by
// request. Document links keep their path only, so that servers on other
// addresses over the same data walk alike; a list that is not answered 200
// holds its status instead.
Json walkLists(Api &api);

// The text of a PDF (written to `file` first), or an empty text without
// pdftotext.
QString pdfText(const QString &file, const std::string &bytes);

// The binary under test: the one built with the tests, or another one named
// in VENDRIX_TEST_SERVER (to run the tests against an older build).
QString serverBinary();

} // namespace vxtest
