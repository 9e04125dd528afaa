#include "frontend.h"

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <unordered_map>

#include "logger.h"

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

namespace vx {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;
using boost::system::error_code;

const char *const kJsonType = "application/json; charset=utf-8";

std::int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A connection as the registry sees it, whatever its stream.
class Connection : public std::enable_shared_from_this<Connection>
{
public:
    virtual ~Connection() = default;
    virtual void start() = 0;
    // Closes at once; callable from any thread.
    virtual void closeNow() = 0;
    // Closes at once when waiting for a request, else after the reply in
    // progress; callable from any thread.
    virtual void closeWhenIdle() = 0;

    // What the connection is doing, for choosing whom to close when the
    // server is full: waiting for a request, receiving one (header or
    // body), or anything else (being answered, closing).
    enum Stage : int { Idle, Receiving, Other };

    // Called from the connection's own strand.
    void enter(Stage s)
    {
        if (s == Receiving && stage != Receiving)
            received = 0;
        since = nowMs();
        stage = s;
    }

    std::uint64_t id = 0;
    std::string address;
    std::atomic<int> stage {Idle};
    // When the current stage began (ms); for Receiving, the request's first
    // byte.
    std::atomic<std::int64_t> since {0};
    // Bytes of the request body received so far.
    std::atomic<std::int64_t> received {0};
};

} // namespace

struct HttpFrontend::Impl
{
    FrontendLimits limits;
    Handler handler;
    Refused refused;
    FrontendCounts counts;
    std::atomic<bool> stopping {false};
    bool acceptErrorLogged = false;
    std::chrono::steady_clock::time_point graceEnd;

    // Declared before the I/O context: sessions still queued in it when it
    // goes away unregister themselves here.
    std::mutex registryMutex;
    std::unordered_map<std::uint64_t, std::weak_ptr<Connection>> connections;
    std::unordered_map<std::string, int> perAddress;
    std::uint64_t nextId = 1;

    std::optional<ssl::context> tlsContext;
    net::io_context ioc {1};
    tcp::acceptor acceptor {ioc};
    net::signal_set signals {ioc, SIGINT, SIGTERM};
    net::steady_timer retryTimer {ioc};
    net::steady_timer graceTimer {ioc};

    void accept();
    void watchShutdown();
    void onAccept(const error_code &ec, tcp::socket socket);
    bool admit(const std::string &address);
    void beginShutdown();
    void forget(const Connection &c);
    std::vector<std::shared_ptr<Connection>> liveConnections();
};

namespace {

// A JSON error reply built by the front itself.
Response errorReply(int status, const std::string &message)
{
    Response r;
    r.status = status;
    r.set_content(jsonError(message), kJsonType);
    r.set_header("Cache-Control", "no-store");
    return r;
}

bool isChunkedOnly(beast::string_view te)
{
    // Exactly "chunked": other codings would leave the body unreadable.
    while (!te.empty() && (te.front() == ' ' || te.front() == '\t'))
        te.remove_prefix(1);
    while (!te.empty() && (te.back() == ' ' || te.back() == '\t'))
        te.remove_suffix(1);
    return beast::iequals(te, "chunked");
}

template<bool Tls>
class Session final : public Connection
{
public:
    using Stream = std::conditional_t<Tls, beast::ssl_stream<beast::tcp_stream>, beast::tcp_stream>;

    Session(HttpFrontend::Impl &front, tcp::socket &&socket)
        : front_(front), stream_(makeStream(front, std::move(socket))), buffer_(front.limits.maxHeaderBytes + 16 * 1024)
    {
    }

    ~Session() override { front_.forget(*this); }

    void start() override
    {
        if constexpr (Tls) {
            lowest().expires_after(std::chrono::seconds(front_.limits.headerTimeoutSeconds));
            stream_.async_handshake(ssl::stream_base::server, [self = self()](const error_code &ec) {
                if (ec)
                    return self->finish();
                self->waitForRequest();
            });
        } else {
            waitForRequest();
        }
    }

    void closeNow() override
    {
        net::post(lowest().get_executor(), [self = self()] {
            self->closeRequested_ = true;
            self->lowest().close();
        });
    }

    void closeWhenIdle() override
    {
        net::post(lowest().get_executor(), [self = self()] {
            self->closeRequested_ = true;
            // Nothing asked yet, or only part of a header: nothing is lost.
            if (self->waitingIdle_ || self->readingHeader_)
                self->lowest().close();
        });
    }

private:
    static Stream makeStream(HttpFrontend::Impl &front, tcp::socket &&socket)
    {
        if constexpr (Tls)
            return Stream(beast::tcp_stream(std::move(socket)), *front.tlsContext);
        else
            return Stream(std::move(socket));
    }

    std::shared_ptr<Session> self() { return std::static_pointer_cast<Session>(shared_from_this()); }
    beast::tcp_stream &lowest() { return beast::get_lowest_layer(stream_); }
    const FrontendLimits &limits() const { return front_.limits; }

    // Between requests: an idle connection holds no thread and almost no
    // memory, and is closed after the idle time.
    void waitForRequest()
    {
        if (closeRequested_ || front_.stopping)
            return closeGracefully();
        if (buffer_.size() > 0)
            return readHeader();
        buffer_.shrink_to_fit();
        enter(Idle);
        waitingIdle_ = true;
        lowest().expires_after(std::chrono::seconds(limits().idleTimeoutSeconds));
        stream_.async_read_some(buffer_.prepare(512), [self = self()](const error_code &ec, std::size_t n) {
            self->waitingIdle_ = false;
            self->buffer_.commit(n);
            if (ec)
                return self->finish();
            self->readHeader();
        });
    }

    // From the first byte on, the whole header has to arrive within the
    // header time, however slowly it trickles in.
    void readHeader()
    {
        enter(Receiving);
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(limits().maxHeaderBytes));
        parser_->body_limit(static_cast<std::uint64_t>(limits().maxBodyBytes));
        lowest().expires_after(std::chrono::seconds(limits().headerTimeoutSeconds));
        readingHeader_ = true;
        http::async_read_header(stream_, buffer_, *parser_, [self = self()](const error_code &ec, std::size_t) {
            self->readingHeader_ = false;
            self->onHeader(ec);
        });
    }

    void onHeader(const error_code &ec)
    {
        if (ec == http::error::header_limit || ec == http::error::buffer_overflow)
            return refuse(
                431, "the request header is larger than " + std::to_string(limits().maxHeaderBytes) + " bytes");
        if (ec == http::error::body_limit)
            return refuse(413, "the request body is larger than " + std::to_string(limits().maxBodyBytes) + " bytes");
        if (ec)
            return ec == http::error::end_of_stream || ec == beast::error::timeout
                    || ec == net::error::operation_aborted || ec == net::error::eof
                    || ec == net::error::connection_reset
                ? finish()
                : refuse(400, "malformed request: " + ec.message());

        const auto &h = parser_->get();
        version_ = h.version();
        const auto fields = static_cast<std::size_t>(std::distance(h.begin(), h.end()));
        if (fields > limits().maxHeaderFields)
            return refuse(
                431, "the request has more than " + std::to_string(limits().maxHeaderFields) + " header fields");
        if (h.count(http::field::content_length) > 1)
            return refuse(400, "the request carries Content-Length more than once");
        if (h.count(http::field::transfer_encoding) > 1
            || (h.count(http::field::transfer_encoding) == 1 && !isChunkedOnly(h[http::field::transfer_encoding])))
            return refuse(400, "only the chunked transfer coding is understood");
        if (const auto length = parser_->content_length(); length && *length > limits().maxBodyBytes)
            return refuse(413, "the request body is larger than " + std::to_string(limits().maxBodyBytes) + " bytes");
        if (parser_->is_done())
            return dispatch();
        if (beast::iequals(h[http::field::expect], "100-continue")) {
            interim_.emplace(http::status::continue_, version_);
            lowest().expires_after(std::chrono::seconds(limits().writeTimeoutSeconds));
            return http::async_write(stream_, *interim_, [self = self()](const error_code &ec, std::size_t) {
                if (ec)
                    return self->finish();
                self->readBody();
            });
        }
        readBody();
    }

    // The whole body has to arrive within the body time; it is read piece
    // by piece so that the server sees how fast it comes.
    void readBody()
    {
        lowest().expires_after(std::chrono::seconds(limits().bodyTimeoutSeconds));
        readBodyPiece();
    }

    void readBodyPiece()
    {
        http::async_read_some(stream_, buffer_, *parser_, [self = self()](const error_code &ec, std::size_t n) {
            self->received += static_cast<std::int64_t>(n);
            if (ec == http::error::body_limit)
                return self->refuse(
                    413, "the request body is larger than " + std::to_string(self->limits().maxBodyBytes) + " bytes");
            if (ec)
                return ec == beast::error::timeout || ec == net::error::operation_aborted || ec == net::error::eof
                        || ec == http::error::partial_message || ec == net::error::connection_reset
                    ? self->finish()
                    : self->refuse(400, "malformed request body: " + ec.message());
            if (!self->parser_->is_done())
                return self->readBodyPiece();
            self->dispatch();
        });
    }

    void dispatch()
    {
        enter(Other);
        auto msg = parser_->release();
        parser_.reset();
        keepAlive_ = msg.keep_alive();
        head_ = msg.method() == http::verb::head;

        auto req = std::make_shared<Request>();
        req->method = std::string(msg.method_string());
        req->target = std::string(msg.target());
        const auto q = req->target.find('?');
        req->path = percentDecode(req->target.substr(0, q));
        if (q != std::string::npos)
            req->query = req->target.substr(q + 1);
        req->headers.reserve(static_cast<std::size_t>(std::distance(msg.begin(), msg.end())));
        for (const auto &f : msg)
            req->headers.emplace_back(std::string(f.name_string()), std::string(f.value()));
        req->body = std::move(msg.body());
        req->peerAddress = address;
        req->remoteAddress = address;
        req->received = std::chrono::steady_clock::now();
        if (front_.limits.trustedProxies.count(address)) {
            std::string forwarded;
            for (const auto &f : msg)
                if (beast::iequals(f.name_string(), "X-Forwarded-For"))
                    forwarded += (forwarded.empty() ? "" : ",") + std::string(f.value());
            req->remoteAddress = forwardedClient(address, forwarded, front_.limits.trustedProxies);
            const std::string id(msg["X-Request-Id"]);
            if (plausibleRequestId(id))
                req->id = id;
        }
        if (req->id.empty())
            req->id = newRequestId();

        lowest().expires_never();
        // Keeps the I/O loop alive until the reply is written, also while
        // the server shuts down.
        auto work =
            std::make_shared<net::executor_work_guard<net::io_context::executor_type>>(front_.ioc.get_executor());
        front_.handler(std::move(req), [self = self(), work](Response r) {
            net::post(
                self->lowest().get_executor(), [self, work, r = std::move(r)]() mutable { self->write(std::move(r)); });
        });
    }

    void refuse(int status, const std::string &message)
    {
        auto &counts = front_.counts;
        ++(status == 431        ? counts.refusedHeaderTooLarge
                : status == 413 ? counts.refusedTooLarge
                                : counts.refusedMalformed);
        if (front_.refused)
            front_.refused(address, status, message);
        enter(Other);
        keepAlive_ = false;
        head_ = false;
        parser_.reset();
        write(errorReply(status, message));
    }

    void write(Response r)
    {
        if (r.file && !head_ && r.status == 200)
            return writeFile(std::move(r));
        res_ = {};
        res_.version(version_ == 10 ? 10 : 11);
        res_.result(static_cast<unsigned>(r.status));
        for (const auto &[name, value] : r.headers)
            res_.set(name, value);
        if (!r.contentType.empty())
            res_.set(http::field::content_type, r.contentType);
        res_.body() = std::move(r.body);
        res_.keep_alive(keepAlive_ && !closeRequested_ && !front_.stopping);
        if (r.status == 204 || r.status == 304) {
            res_.body().clear();
        } else {
            const auto length = r.file ? r.file->size() : res_.body().size();
            if (head_)
                res_.body().clear();
            res_.content_length(length);
        }
        lowest().expires_after(std::chrono::seconds(limits().writeTimeoutSeconds));
        http::async_write(stream_, res_, [self = self()](const error_code &ec, std::size_t) {
            const bool again = self->res_.keep_alive();
            self->res_ = {};
            if (ec)
                return self->finish();
            if (!again)
                return self->closeGracefully();
            self->waitForRequest();
        });
    }

    // A reply read from a file as it is sent: what lies in memory is a
    // buffer of a few KiB, however large the file. The client has to take
    // some of it within the write time, again and again, not all of it.
    void writeFile(Response r)
    {
        fileRes_.emplace();
        fileRes_->version(version_ == 10 ? 10 : 11);
        fileRes_->result(static_cast<unsigned>(r.status));
        for (const auto &[name, value] : r.headers)
            fileRes_->set(name, value);
        if (!r.contentType.empty())
            fileRes_->set(http::field::content_type, r.contentType);
        beast::file file;
        file.native_handle(r.file->take());
        error_code ec;
        fileRes_->body().reset(std::move(file), ec);
        if (ec) {
            fileRes_.reset();
            return write(errorReply(500, "the file cannot be read"));
        }
        fileRes_->keep_alive(keepAlive_ && !closeRequested_ && !front_.stopping);
        fileRes_->content_length(fileRes_->body().size());
        fileHold_ = std::move(r.file);
        fileSr_.emplace(*fileRes_);
        writeFilePiece();
    }

    void writeFilePiece()
    {
        lowest().expires_after(std::chrono::seconds(limits().writeTimeoutSeconds));
        http::async_write_some(stream_, *fileSr_, [self = self()](const error_code &ec, std::size_t) {
            if (!ec && !self->fileSr_->is_done())
                return self->writeFilePiece();
            const bool again = self->fileRes_->keep_alive();
            self->fileSr_.reset();
            self->fileRes_.reset();
            self->fileHold_.reset();
            if (ec)
                return self->finish();
            if (!again)
                return self->closeGracefully();
            self->waitForRequest();
        });
    }

    // Sends what is left and the end of the stream, then reads and drops
    // what the client still sends for a moment, so that an early answer
    // (413 during an upload) is not destroyed by a reset.
    void closeGracefully()
    {
        enter(Other);
        lowest().expires_after(std::chrono::seconds(2));
        if constexpr (Tls) {
            stream_.async_shutdown([self = self()](const error_code &) { self->finish(); });
        } else {
            error_code ignored;
            lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
            drain();
        }
    }

    void drain()
    {
        buffer_.clear();
        stream_.async_read_some(buffer_.prepare(4096), [self = self()](const error_code &ec, std::size_t) {
            if (ec)
                return self->finish();
            self->drain();
        });
    }

    void finish()
    {
        enter(Other);
        lowest().close();
    }

    HttpFrontend::Impl &front_;
    Stream stream_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> interim_;
    http::response<http::string_body> res_;
    std::optional<http::response<http::file_body>> fileRes_;
    std::optional<http::response_serializer<http::file_body>> fileSr_;
    std::shared_ptr<FileReply> fileHold_; // a place among the downloads, until sent
    unsigned version_ = 11;
    bool keepAlive_ = false;
    bool head_ = false;
    bool waitingIdle_ = false;
    bool readingHeader_ = false;
    bool closeRequested_ = false;
};

} // namespace

// ---------------------------------------------------------------- Impl

void HttpFrontend::Impl::accept()
{
    acceptor.async_accept(
        net::make_strand(ioc), [this](const error_code &ec, tcp::socket socket) { onAccept(ec, std::move(socket)); });
}

void HttpFrontend::Impl::onAccept(const error_code &ec, tcp::socket socket)
{
    if (stopping)
        return;
    if (ec) {
        if (ec == net::error::operation_aborted)
            return;
        // Out of descriptors or memory: try again shortly instead of
        // spinning on the error.
        if (!acceptErrorLogged) {
            Logger::error("cannot accept connections", {{"cause", ec.message()}});
            acceptErrorLogged = true;
        }
        retryTimer.expires_after(std::chrono::milliseconds(100));
        retryTimer.async_wait([this](const error_code &e) {
            if (!e)
                accept();
        });
        return;
    }
    acceptErrorLogged = false;
    error_code ignored;
    socket.set_option(tcp::no_delay(true), ignored);
    const auto remote = socket.remote_endpoint(ignored);
    std::string address = canonicalAddress(remote.address().to_string());
    if (address.empty())
        address = remote.address().to_string();
    if (!admit(address)) {
        // Best effort, without waiting: the client may not even read it.
        if (!tlsContext) {
            static const std::string busy = [] {
                const std::string body = jsonError("too many connections; try again later");
                return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: " + std::string(kJsonType)
                    + "\r\nContent-Length: " + std::to_string(body.size())
                    + "\r\nRetry-After: 5\r\nConnection: close\r\n\r\n" + body;
            }();
            socket.non_blocking(true, ignored);
            socket.write_some(net::buffer(busy), ignored);
        }
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
        return accept();
    }
    std::shared_ptr<Connection> c;
    if (tlsContext)
        c = std::make_shared<Session<true>>(*this, std::move(socket));
    else
        c = std::make_shared<Session<false>>(*this, std::move(socket));
    {
        std::lock_guard<std::mutex> g(registryMutex);
        c->id = nextId++;
        c->address = address;
        connections.emplace(c->id, c);
        ++perAddress[address];
    }
    ++counts.accepted;
    c->start();
    accept();
}

// Whether one more connection from this address fits. At the total limit
// one makes room: the slowest sender, a connection that has been receiving
// a request for a while at a crawl (a header or body trickling in, or
// stuck), else the connection idle the longest; idle keep-alive
// connections are cheap for a client to open again. A connection busy with
// a request it sent in time is never closed for another.
bool HttpFrontend::Impl::admit(const std::string &address)
{
    // Receiving for this long at less than this rate counts as slow; a
    // client of the office sends its request in one go.
    constexpr std::int64_t kSlowAfterMs = 1000;
    constexpr double kSlowBytesPerSecond = 4096;
    std::shared_ptr<Connection> evict;
    bool slow = false;
    {
        std::lock_guard<std::mutex> g(registryMutex);
        const auto it = perAddress.find(address);
        if (limits.maxConnectionsPerAddress > 0 && it != perAddress.end()
            && it->second >= limits.maxConnectionsPerAddress && !limits.trustedProxies.count(address)) {
            ++counts.refusedPerAddress;
            return false;
        }
        if (static_cast<int>(connections.size()) < limits.maxConnections)
            return true;
        const std::int64_t now = nowMs();
        std::shared_ptr<Connection> slowest, idlest;
        double slowestRate = 0;
        for (const auto &[id, weak] : connections) {
            auto c = weak.lock();
            if (!c)
                continue;
            const int stage = c->stage;
            const std::int64_t since = c->since;
            if (stage == Connection::Idle) {
                if (!idlest || since < idlest->since)
                    idlest = c;
            } else if (stage == Connection::Receiving && now - since >= kSlowAfterMs) {
                const double rate = static_cast<double>(c->received) * 1000.0 / static_cast<double>(now - since);
                if (rate < kSlowBytesPerSecond && (!slowest || rate < slowestRate)) {
                    slowest = c;
                    slowestRate = rate;
                }
            }
        }
        evict = slowest ? slowest : idlest;
        slow = slowest != nullptr;
    }
    if (!evict) {
        ++counts.refusedFull;
        return false;
    }
    ++(slow ? counts.closedSlowSender : counts.closedIdle);
    // Not chosen twice while it closes.
    evict->stage = Connection::Other;
    evict->closeNow();
    return true;
}

void HttpFrontend::Impl::forget(const Connection &c)
{
    std::lock_guard<std::mutex> g(registryMutex);
    if (connections.erase(c.id) == 0)
        return;
    const auto it = perAddress.find(c.address);
    if (it != perAddress.end() && --it->second <= 0)
        perAddress.erase(it);
}

std::vector<std::shared_ptr<Connection>> HttpFrontend::Impl::liveConnections()
{
    std::vector<std::shared_ptr<Connection>> out;
    std::lock_guard<std::mutex> g(registryMutex);
    for (const auto &[id, weak] : connections)
        if (auto c = weak.lock())
            out.push_back(std::move(c));
    return out;
}

// Idle connections go at once; a request in progress may finish within
// the grace time, then everything is closed.
void HttpFrontend::Impl::beginShutdown()
{
    if (stopping.exchange(true))
        return;
    error_code ignored;
    acceptor.close(ignored);
    signals.cancel(ignored);
    retryTimer.cancel();
    for (const auto &c : liveConnections())
        c->closeWhenIdle();
    graceEnd = std::chrono::steady_clock::now() + std::chrono::seconds(limits.shutdownGraceSeconds);
    watchShutdown();
}

// Looks every few milliseconds whether the last connection has gone, and
// closes what is left when the grace time is over.
void HttpFrontend::Impl::watchShutdown()
{
    {
        std::lock_guard<std::mutex> g(registryMutex);
        if (connections.empty())
            return;
    }
    if (std::chrono::steady_clock::now() >= graceEnd) {
        for (const auto &c : liveConnections())
            c->closeNow();
        return;
    }
    graceTimer.expires_after(std::chrono::milliseconds(20));
    graceTimer.async_wait([this](const error_code &ec) {
        if (!ec)
            watchShutdown();
    });
}

// ---------------------------------------------------------------- HttpFrontend

HttpFrontend::HttpFrontend(
    const FrontendLimits &limits, const std::string &tlsCert, const std::string &tlsKey, Handler handler)
    : d_(std::make_unique<Impl>())
{
    d_->limits = limits;
    d_->handler = std::move(handler);
    if (!tlsCert.empty()) {
        try {
            d_->tlsContext.emplace(ssl::context::tls_server);
            auto &ctx = *d_->tlsContext;
            ctx.set_options(ssl::context::default_workarounds | ssl::context::no_sslv2 | ssl::context::no_sslv3
                | ssl::context::no_tlsv1 | ssl::context::no_tlsv1_1 | ssl::context::single_dh_use);
            ctx.use_certificate_chain_file(tlsCert);
            ctx.use_private_key_file(tlsKey, ssl::context::pem);
            if (SSL_CTX_check_private_key(ctx.native_handle()) != 1)
                throw std::runtime_error("key does not belong to the certificate");
            // Idle TLS connections give their read and write buffers back.
            SSL_CTX_set_mode(ctx.native_handle(), SSL_MODE_RELEASE_BUFFERS);
        } catch (const std::exception &e) {
            throw std::runtime_error("cannot load TLS certificate " + tlsCert + " and key " + tlsKey + ": " + e.what());
        }
    }
}

HttpFrontend::~HttpFrontend() = default;

bool HttpFrontend::tls() const
{
    return d_->tlsContext.has_value();
}

void HttpFrontend::onRefused(Refused refused)
{
    d_->refused = std::move(refused);
}

const FrontendCounts &HttpFrontend::counts() const
{
    return d_->counts;
}

ConnectionStates HttpFrontend::connectionStates() const
{
    ConnectionStates states;
    std::lock_guard<std::mutex> g(d_->registryMutex);
    for (const auto &[id, weak] : d_->connections) {
        const auto c = weak.lock();
        if (!c)
            continue;
        const int stage = c->stage;
        ++(stage == Connection::Idle             ? states.idle
                : stage == Connection::Receiving ? states.receiving
                                                 : states.answering);
    }
    return states;
}

int HttpFrontend::bind(const std::string &host, int port)
{
    error_code ec;
    tcp::resolver resolver(d_->ioc);
    const auto results = resolver.resolve(host, std::to_string(port), tcp::resolver::passive, ec);
    if (ec || results.empty())
        throw std::runtime_error("cannot listen on " + host + ": " + (ec ? ec.message() : "no address"));
    const tcp::endpoint endpoint = results.begin()->endpoint();
    auto &acceptor = d_->acceptor;
    acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor.bind(endpoint, ec);
    if (!ec)
        acceptor.listen(d_->limits.backlog, ec);
    if (ec)
        throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(port) + " (" + ec.message() + ")");
    return acceptor.local_endpoint().port();
}

void HttpFrontend::run()
{
    d_->signals.async_wait([this](const error_code &ec, int) {
        if (!ec)
            d_->beginShutdown();
    });
    d_->accept();
    d_->ioc.run();
}

void HttpFrontend::stop()
{
    net::post(d_->ioc, [this] { d_->beginShutdown(); });
}

} // namespace vx
