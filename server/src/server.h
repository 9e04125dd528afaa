// The HTTP(S) front: authentication, routing, error replies, record mode.
#pragma once

#include <memory>
#include <string>

#include <httplib.h>

#include "http.h"
#include "options.h"
#include "record_log.h"

namespace vx {

class Server
{
public:
    // Throws std::runtime_error when TLS material cannot be loaded.
    Server(Db &db, const Options &options, RecordLog *record);

    // Binds the listening socket; returns the port (useful with port 0).
    // Throws when the address is taken or invalid.
    int bind();
    // Serves until stop(); returns when the last request is answered.
    void run();
    void stop();
    bool running() const;

private:
    void handle(const httplib::Request &req, httplib::Response &res);
    void login(Ctx &c);
    void serveDocument(Ctx &c, const std::string &capability, const std::string &fileName);

    Db &db_;
    const Options &options_;
    RecordLog *record_;
    std::unique_ptr<httplib::Server> http_;
    AppState state_;
    Router router_;
    Router publicRouter_; // served without a session
};

} // namespace vx
