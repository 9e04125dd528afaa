// The metrics' own address: a small HTTP listener on a thread of its own
// that answers GET /metrics and nothing else, so that what the clients'
// address serves stays as it is and the metrics can be kept on a network
// only the monitoring reaches.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace vx {

class MetricsListener
{
public:
    using Render = std::function<std::string()>;

    // Binds at once (throws when the address is taken or invalid); serves
    // from start() until stop().
    MetricsListener(const std::string &host, int port, Render render);
    ~MetricsListener();
    MetricsListener(const MetricsListener &) = delete;
    MetricsListener &operator=(const MetricsListener &) = delete;

    int port() const;
    void start();
    void stop();

    struct Impl;

private:
    std::unique_ptr<Impl> d_;
};

} // namespace vx
