#include "tools/quorutil/MonitorHttp.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quorutil {

namespace {

using Clock = std::chrono::steady_clock;

const char contentSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
    "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

// httplib's pool queues every accepted connection without limit; this one takes a new
// connection only while fewer than its size are open, so the rest wait in the kernel's backlog.
class BoundedPool : public httplib::TaskQueue
{
public:
    explicit BoundedPool(std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i)
            m_threads.emplace_back([this] { work(); });
        m_size = size;
    }
    ~BoundedPool() override = default;

    void enqueue(std::function<void()> fn) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_room.wait(lock, [this] { return m_open < m_size || m_stopping; });
        ++m_open;
        m_jobs.push_back(std::move(fn));
        m_work.notify_one();
    }

    void shutdown() override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
            m_shutdown = true;
        }
        m_work.notify_all();
        m_room.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    // Lets a blocked enqueue() through, so that the accepting thread sees the server stop.
    void stopping()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_room.notify_all();
    }

private:
    void work()
    {
        for (;;) {
            std::function<void()> fn;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_work.wait(lock, [this] { return !m_jobs.empty() || m_shutdown; });
                if (m_jobs.empty())
                    return;
                fn = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            fn();
            std::lock_guard<std::mutex> lock(m_mutex);
            --m_open;
            m_room.notify_one();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_work, m_room;
    std::deque<std::function<void()>> m_jobs;
    std::vector<std::thread> m_threads;
    std::size_t m_size = 0, m_open = 0;
    bool m_stopping = false, m_shutdown = false;
};

// A connection as the server reads and writes it, with what httplib 0.11 leaves unbounded
// bounded: a request (line and headers; the server takes no body) has MAX_REQUEST_BYTES and
// TIMEOUT_SECONDS to arrive, however slowly or quickly its bytes come, and a write that the
// client does not take within TIMEOUT_SECONDS fails.
class GuardedStream : public httplib::Stream
{
public:
    static constexpr std::size_t MAX_REQUEST_BYTES = 16 * 1024;

    explicit GuardedStream(int sock)
        : m_sock(sock)
    {
    }

    void startRequest()
    {
        m_taken = 0;
        m_deadline = Clock::now() + std::chrono::seconds(MonitorHttp::TIMEOUT_SECONDS);
    }
    bool hasBuffered() const { return m_begin < m_end; }
    /// True once a request took too long or was too large: the connection must end.
    bool cut() const { return m_cut; }

    bool is_readable() const override { return hasBuffered() || wait(POLLIN, m_deadline); }
    bool is_writable() const override
    {
        return wait(POLLOUT, Clock::now() + std::chrono::seconds(MonitorHttp::TIMEOUT_SECONDS));
    }

    ssize_t read(char *ptr, std::size_t size) override
    {
        if (!hasBuffered()) {
            if (m_taken >= MAX_REQUEST_BYTES || !wait(POLLIN, m_deadline)) {
                m_cut = true;
                return -1;
            }
            const ssize_t n = ::recv(m_sock, m_buffer, sizeof m_buffer, MSG_DONTWAIT);
            if (n <= 0)
                return n < 0 && errno == EAGAIN ? read(ptr, size) : n;
            m_taken += static_cast<std::size_t>(n);
            m_begin = 0;
            m_end = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(size, m_end - m_begin);
        std::memcpy(ptr, m_buffer + m_begin, n);
        m_begin += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char *ptr, std::size_t size) override
    {
        const Clock::time_point deadline =
            Clock::now() + std::chrono::seconds(MonitorHttp::TIMEOUT_SECONDS);
        while (wait(POLLOUT, deadline)) {
            const ssize_t n = ::send(m_sock, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n >= 0 || (errno != EAGAIN && errno != EINTR))
                return n;
        }
        return -1;
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        address(::getpeername, ip, port);
    }
    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        address(::getsockname, ip, port);
    }
    socket_t socket() const override { return m_sock; }

private:
    bool wait(short events, Clock::time_point deadline) const
    {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p {m_sock, events, 0};
            const int n = ::poll(&p, 1, static_cast<int>(left.count()));
            if (n > 0)
                return (p.revents & (events | POLLHUP)) != 0;
            if (n == 0 || errno != EINTR)
                return false;
        }
    }

    template<typename F> void address(F get, std::string &ip, int &port) const
    {
        sockaddr_storage a {};
        socklen_t length = sizeof a;
        char text[INET6_ADDRSTRLEN] = "";
        port = 0;
        if (get(m_sock, reinterpret_cast<sockaddr *>(&a), &length) != 0)
            return;
        if (a.ss_family == AF_INET) {
            const auto *v4 = reinterpret_cast<const sockaddr_in *>(&a);
            ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            port = ntohs(v4->sin_port);
        } else if (a.ss_family == AF_INET6) {
            const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(&a);
            ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
            port = ntohs(v6->sin6_port);
        }
        ip = text;
    }

    int m_sock;
    char m_buffer[4096];
    std::size_t m_begin = 0, m_end = 0, m_taken = 0;
    bool m_cut = false;
    Clock::time_point m_deadline = Clock::now();
};

// httplib's server with its connections read through GuardedStream; the rest (request
// parsing, responses, keep-alive rules) stays the library's.
class GuardedServer : public httplib::Server
{
    bool process_and_close_socket(socket_t sock) override
    {
        GuardedStream stream(sock);
        bool ok = false;
        for (std::size_t i = 0; i < keep_alive_max_count_; ++i) {
            // The next request may wait as long as the keep-alive timeout; a stopping server
            // is noticed within a tenth of a second.
            bool ready = stream.hasBuffered();
            const Clock::time_point idleEnd =
                Clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
            while (!ready && svr_sock_ != INVALID_SOCKET && Clock::now() < idleEnd) {
                pollfd p {sock, POLLIN, 0};
                ready = ::poll(&p, 1, 100) > 0;
            }
            if (!ready || svr_sock_ == INVALID_SOCKET)
                break;
            stream.startRequest();
            bool closed = false;
            ok = process_request(stream, i + 1 == keep_alive_max_count_, closed,
                                 [](httplib::Request &) {});
            // The library answers a cut-off request with 400 and would wait for the next.
            if (!ok || closed || stream.cut())
                break;
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }
};

bool isLoopbackName(std::string name)
{
    // The Host header without its port: "127.0.0.1", "[::1]", "localhost".
    if (!name.empty() && name[0] == '[') {
        const std::size_t close = name.find(']');
        name = close == std::string::npos ? std::string() : name.substr(1, close - 1);
    } else if (std::count(name.begin(), name.end(), ':') == 1) {
        name.resize(name.find(':'));
    }
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "localhost")
        return true;
    const QHostAddress address(QString::fromStdString(name));
    return !address.isNull() && address.isLoopback();
}

} // namespace

struct MonitorHttp::Private
{
    GuardedServer server;
    BoundedPool *pool = nullptr; // owned by the server
    std::thread thread;
    quint16 port = 0;
    bool loopback = true;

    std::mutex mutex;
    std::condition_variable changed;
    std::string snapshot = "{\"now\":0,\"malformed\":0,\"jobs\":[]}";
    std::string health = "{\"ok\":true}";
    unsigned long long version = 1;
    bool stopping = false;

    httplib::Server::HandlerResponse handle(const httplib::Request &req, httplib::Response &res);
    bool sendEvents(unsigned long long *seen, Clock::time_point *last, httplib::DataSink &sink);
};

bool MonitorHttp::Private::sendEvents(unsigned long long *seen, Clock::time_point *last,
                                      httplib::DataSink &sink)
{
    std::unique_lock<std::mutex> lock(mutex);
    // However often the table changes, a client gets a few events a second at most.
    changed.wait_until(lock, *last + std::chrono::milliseconds(EVENT_INTERVAL_MS),
                       [this] { return stopping; });
    changed.wait_for(lock, std::chrono::milliseconds(KEEPALIVE_MS),
                     [this, seen] { return stopping || version != *seen; });
    if (stopping)
        return false;
    std::string event;
    if (version == *seen) {
        event = ": idle\n\n";
    } else {
        *seen = version;
        event = "event: jobs\ndata: " + snapshot + "\n\n";
    }
    lock.unlock();
    *last = Clock::now();
    return sink.write(event.data(), event.size());
}

httplib::Server::HandlerResponse MonitorHttp::Private::handle(const httplib::Request &req,
                                                              httplib::Response &res)
{
    using Handled = httplib::Server::HandlerResponse;
    const bool head = req.method == "HEAD";
    if (req.method != "GET" && !head) {
        res.status = 405;
        res.set_header("Allow", "GET, HEAD");
        res.set_header("Connection", "close");
        return Handled::Handled;
    }
    if (req.headers.size() > static_cast<std::size_t>(MAX_HEADERS)) {
        res.status = 431;
        res.set_header("Connection", "close");
        return Handled::Handled;
    }
    if (loopback && !isLoopbackName(req.get_header_value("Host"))) {
        res.status = 421;
        res.set_content("not a loopback name\n", "text/plain; charset=utf-8");
        return Handled::Handled;
    }
    const std::string &path = req.path;
    const auto fixed = [&](const char *body, const char *type) {
        res.status = 200;
        res.set_content(body, std::strlen(body), type);
        return Handled::Handled;
    };
    if (path == "/")
        return fixed(monitorPageHtml, "text/html; charset=utf-8");
    if (path == "/app.js")
        return fixed(monitorPageScript, "text/javascript; charset=utf-8");
    if (path == "/app.css")
        return fixed(monitorPageStyle, "text/css; charset=utf-8");
    if (path == "/jobs" || path == "/healthz") {
        std::string body;
        {
            std::lock_guard<std::mutex> lock(mutex);
            body = path == "/jobs" ? snapshot : health;
        }
        res.status = 200;
        res.set_content(body, "application/json");
        return Handled::Handled;
    }
    if (path == "/events") {
        res.status = 200;
        res.set_header("Cache-Control", "no-store");
        if (head) {
            res.set_header("Content-Type", "text/event-stream");
            return Handled::Handled;
        }
        auto seen = std::make_shared<unsigned long long>(0);
        auto last = std::make_shared<Clock::time_point>(Clock::now() - std::chrono::seconds(1));
        res.set_chunked_content_provider("text/event-stream",
                                         [this, seen, last](std::size_t, httplib::DataSink &sink) {
                                             return sendEvents(seen.get(), last.get(), sink);
                                         });
        return Handled::Handled;
    }
    res.status = 404;
    res.set_content("not found\n", "text/plain; charset=utf-8");
    return Handled::Handled;
}

MonitorHttp::MonitorHttp()
    : d(std::make_unique<Private>())
{
}

MonitorHttp::~MonitorHttp()
{
    stop();
}

bool MonitorHttp::start(const QHostAddress &address, quint16 port, std::string *error)
{
    Private *p = d.get();
    p->loopback = address.isLoopback();
    httplib::Server &s = p->server;
    s.set_default_headers({{"Content-Security-Policy", contentSecurityPolicy},
                           {"X-Content-Type-Options", "nosniff"},
                           {"Referrer-Policy", "no-referrer"},
                           {"Cross-Origin-Resource-Policy", "same-origin"},
                           {"Cache-Control", "no-store"}});
    s.set_pre_routing_handler(
        [p](const httplib::Request &req, httplib::Response &res) { return p->handle(req, res); });
    s.set_read_timeout(TIMEOUT_SECONDS);
    s.set_write_timeout(TIMEOUT_SECONDS);
    s.set_keep_alive_timeout(TIMEOUT_SECONDS);
    s.set_keep_alive_max_count(100);
    s.set_payload_max_length(0);
    s.set_tcp_nodelay(true);

    const std::string host = address.toString().toStdString();
    if (port == 0) {
        const int bound = s.bind_to_any_port(host);
        if (bound <= 0) {
            *error = std::strerror(errno);
            return false;
        }
        p->port = static_cast<quint16>(bound);
    } else {
        if (!s.bind_to_port(host, port)) {
            *error = std::strerror(errno);
            return false;
        }
        p->port = port;
    }
    BoundedPool *pool = new BoundedPool(MAX_CONNECTIONS); // the server deletes it
    p->pool = pool;
    s.new_task_queue = [pool] { return pool; };
    p->thread = std::thread([p] { p->server.listen_after_bind(); });
    // stop() only reaches a server that has started listening.
    for (int i = 0; i < 5000 && !s.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

quint16 MonitorHttp::port() const
{
    return d->port;
}

void MonitorHttp::publish(const QByteArray &snapshot, const QByteArray &health)
{
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->snapshot.assign(snapshot.constData(), static_cast<std::size_t>(snapshot.size()));
        d->health.assign(health.constData(), static_cast<std::size_t>(health.size()));
        ++d->version;
    }
    d->changed.notify_all();
}

void MonitorHttp::stop()
{
    if (!d->thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->stopping = true;
    }
    d->changed.notify_all();
    if (d->pool)
        d->pool->stopping();
    d->server.stop();
    d->thread.join();
}

} // namespace quorutil
