#include "metrics_listener.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

namespace vx {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using boost::system::error_code;

// A scraper asks now and then; more at once are turned away.
constexpr int kMaxConnections = 8;
constexpr auto kTimeout = std::chrono::seconds(5);

} // namespace

struct MetricsListener::Impl
{
    Render render;
    net::io_context ioc {1};
    tcp::acceptor acceptor {ioc};
    std::thread thread;
    std::atomic<int> open {0};

    void accept()
    {
        acceptor.async_accept([this](const error_code &ec, tcp::socket socket) {
            if (ec == net::error::operation_aborted)
                return;
            if (!ec) {
                if (open < kMaxConnections)
                    serve(std::move(socket));
                else
                    socket.close();
            }
            accept();
        });
    }

    struct Exchange
    {
        explicit Exchange(tcp::socket &&s) : stream(std::move(s)) { }
        beast::tcp_stream stream;
        beast::flat_buffer buffer;
        http::request<http::empty_body> req;
        http::response<http::string_body> res;
    };

    // One request per connection: read it, answer it, close.
    void serve(tcp::socket &&socket)
    {
        ++open;
        auto x = std::make_shared<Exchange>(std::move(socket));
        x->stream.expires_after(kTimeout);
        http::async_read(x->stream, x->buffer, x->req, [this, x](const error_code &ec, std::size_t) {
            if (ec) {
                --open;
                return;
            }
            const bool get = x->req.method() == http::verb::get || x->req.method() == http::verb::head;
            const auto target = x->req.target();
            const bool metrics = target == "/metrics" || target.starts_with("/metrics?");
            x->res.version(x->req.version());
            x->res.keep_alive(false);
            if (metrics && get) {
                x->res.result(http::status::ok);
                x->res.set(http::field::content_type, "text/plain; version=0.0.4; charset=utf-8");
                x->res.body() = render();
            } else {
                x->res.result(metrics ? http::status::method_not_allowed : http::status::not_found);
                x->res.set(http::field::content_type, "text/plain; charset=utf-8");
                x->res.body() = metrics ? "GET /metrics\n" : "only /metrics is served here\n";
            }
            x->res.set(http::field::cache_control, "no-store");
            x->res.prepare_payload();
            if (x->req.method() == http::verb::head)
                x->res.body().clear();
            http::async_write(x->stream, x->res, [this, x](const error_code &, std::size_t) {
                error_code ignored;
                x->stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
                x->stream.close();
                --open;
            });
        });
    }
};

MetricsListener::MetricsListener(const std::string &host, int port, Render render) : d_(std::make_unique<Impl>())
{
    d_->render = std::move(render);
    error_code ec;
    tcp::resolver resolver(d_->ioc);
    const auto results = resolver.resolve(host, std::to_string(port), tcp::resolver::passive, ec);
    if (ec || results.empty())
        throw std::runtime_error("cannot serve metrics on " + host + ": " + (ec ? ec.message() : "no address"));
    const tcp::endpoint endpoint = results.begin()->endpoint();
    d_->acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        d_->acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec)
        d_->acceptor.bind(endpoint, ec);
    if (!ec)
        d_->acceptor.listen(16, ec);
    if (ec)
        throw std::runtime_error(
            "cannot serve metrics on " + host + ":" + std::to_string(port) + " (" + ec.message() + ")");
}

MetricsListener::~MetricsListener()
{
    stop();
}

int MetricsListener::port() const
{
    return d_->acceptor.local_endpoint().port();
}

void MetricsListener::start()
{
    d_->accept();
    d_->thread = std::thread([this] { d_->ioc.run(); });
}

void MetricsListener::stop()
{
    if (!d_->thread.joinable())
        return;
    d_->ioc.stop();
    d_->thread.join();
}

} // namespace vx
