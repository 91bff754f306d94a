#pragma once

// The web page of `quorutil monitor`: one page, its script and style, a JSON snapshot of the
// jobs, Server-Sent Events with each change, and a health check.
//
// The server runs on cpp-httplib's own threads; the monitor's loop stays the only one that
// reads datagrams and hands the server finished JSON documents through publish(), so the
// server shares nothing with the job table but the latest documents, under one lock.
//
// Whoever can reach the port can send requests, and the texts shown come from whoever can
// reach the UDP port, so:
//  - fixed routes only, nothing of the file system; GET and HEAD only (405 otherwise);
//  - at most MAX_CONNECTIONS connections at once, event streams included (the rest wait in
//    the kernel's queue); a request has 16 KiB, MAX_HEADERS headers and TIMEOUT_SECONDS to
//    arrive (no body is read); an idle connection ends after TIMEOUT_SECONDS, and so does
//    one whose client does not take what is written to it;
//  - a bound to loopback answers only requests addressed to a loopback name, so that a web
//    page elsewhere cannot reach it through a rebound DNS name;
//  - every response forbids inline script and every origin but the page's own
//    (Content-Security-Policy), and the page writes job texts as text only.

#include <QByteArray>
#include <QHostAddress>
#include <QtGlobal>

#include <memory>
#include <string>

namespace quorutil {

class MonitorHttp
{
public:
    static constexpr int MAX_CONNECTIONS = 64;
    static constexpr int MAX_HEADERS = 64;
    static constexpr int TIMEOUT_SECONDS = 10;
    /// An event stream sends at most one event per this many milliseconds.
    static constexpr int EVENT_INTERVAL_MS = 250;
    /// A quiet event stream sends a comment this often, so that a vanished client is noticed.
    static constexpr int KEEPALIVE_MS = 15000;

    MonitorHttp();
    ~MonitorHttp();
    MonitorHttp(const MonitorHttp &) = delete;
    MonitorHttp &operator=(const MonitorHttp &) = delete;

    /// Listens on address:port (0 takes a free port) and serves from threads of its own.
    /// On failure returns false with the reason in *error.
    bool start(const QHostAddress &address, quint16 port, std::string *error);
    /// The port served on, once started.
    quint16 port() const;
    /// Replaces what /jobs and the event streams give (a snapshot of the job table) and what
    /// /healthz gives. Event streams send the new snapshot to their clients.
    void publish(const QByteArray &snapshot, const QByteArray &health);
    /// Ends every connection and the server's threads; also done by the destructor.
    void stop();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

/// The page, its script and its style, built into the tool.
extern const char monitorPageHtml[];
extern const char monitorPageScript[];
extern const char monitorPageStyle[];

} // namespace quorutil
