// Runs the built vendrix-server binary and talks HTTP(S) to it.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

namespace vxtest {

using Json = nlohmann::ordered_json;

struct Reply
{
    int status = 0; // 0: no answer at all
    std::string body;
    std::string contentType;
    Json json() const; // null when the body is not JSON
};

// One server process. start() waits for the port line.
class ServerProcess
{
public:
    ServerProcess() = default;
    ~ServerProcess();

    // Returns false with a reason in lastError() when the server does not
    // come up within a few seconds.
    bool start(const QStringList &args);
    // SIGTERM and wait; returns the exit code (or -1 when it had to be killed).
    int stop();

    int port() const { return port_; }
    QString lastError() const { return error_; }
    // Lines the server printed after the port line (up to start's return).
    QStringList extraOutput() const { return extra_; }

private:
    std::unique_ptr<QProcess> proc_;
    int port_ = 0;
    QString error_;
    QStringList extra_;
};

// A small client with an optional bearer token.
class Api
{
public:
    Api(int port, bool tls = false);

    void setToken(const std::string &token) { token_ = token; }
    const std::string &token() const { return token_; }

    Reply get(const std::string &path, const httplib::Headers &extra = {});
    Reply post(const std::string &path, const std::string &body, const httplib::Headers &extra = {});
    Reply post(const std::string &path, const Json &body) { return post(path, body.dump()); }
    Reply put(const std::string &path, const std::string &body);
    Reply put(const std::string &path, const Json &body) { return put(path, body.dump()); }
    Reply del(const std::string &path);
    Reply send(
        const std::string &method, const std::string &path, const std::string &body, const httplib::Headers &headers);

    // POST tokens with Basic credentials; sets the token on 200.
    Reply login(const std::string &user, const std::string &password);

private:
    httplib::Headers withAuth(httplib::Headers h) const;

    std::unique_ptr<httplib::Client> client_;
    std::string token_;
};

std::string basic(const std::string &user, const std::string &password);

} // namespace vxtest
