#pragma once

#include "tools/quorutil/Output.h"

// The job table of `quorutil monitor`, apart from its socket so that tests can drive it.
//
// Everything in a datagram comes from whoever can reach the port, so the table is bounded and
// nothing received reaches the terminal unescaped:
//  - at most MAX_JOBS jobs and MAX_SENDERS senders are kept; a new one pushes out the one
//    seen least recently;
//  - a finished job leaves FINISHED_MS after its finish notice, any job STALE_MS after its
//    last datagram;
//  - of each text only the first MAX_TEXT bytes are kept;
//  - control characters, invalid UTF-8 and invisible code points are shown as escapes.

#include <QByteArray>
#include <QJsonObject>
#include <QtGlobal>

#include <cstddef>
#include <limits>
#include <list>
#include <string>
#include <unordered_map>

namespace quorutil {

class MonitorTable
{
public:
    static constexpr std::size_t MAX_JOBS = 256;
    static constexpr std::size_t MAX_SENDERS = 256;
    static constexpr std::size_t MAX_TEXT = 200;
    static constexpr qint64 FINISHED_MS = 60 * 1000;
    static constexpr qint64 STALE_MS = 10 * 60 * 1000;

    enum Event { Malformed, Start, Status, Finish };

    /// Takes one datagram from sender (an address text) received at nowMs (milliseconds since
    /// the epoch); first drops what has expired by then (looked at no more than once a second of
    /// nowMs; expire() looks at once). *line receives the datagram as one
    /// line of the line-by-line view (escaped, without line end; empty for a malformed one).
    Event receive(const QByteArray &bytes, const std::string &sender, qint64 nowMs,
                  std::string *line);
    /// Drops finished and stale jobs and senders as of nowMs.
    void expire(qint64 nowMs);

    /// The table view, at most 100 columns wide: the line the monitor starts with (naming
    /// where it listens), a count of jobs, then one row per job in the order the jobs first
    /// appeared.
    std::string render(const std::string &where) const;

    /// One job as the page and `--json` show it; texts are escaped as on the terminal.
    /// The job touched by the latest receive() (an empty object when it touched none).
    QJsonObject lastJobJson() const;
    /// Every job, and counts, as one JSON document: {"now", "malformed", "jobs": [...]}, the
    /// jobs in the order they first appeared.
    QByteArray snapshotJson(qint64 nowMs) const;
    /// Goes up whenever a job appears, changes or leaves.
    unsigned long long changes() const { return m_changes; }

    std::size_t jobCount() const { return m_jobs.size(); }
    std::size_t senderCount() const { return m_senders.size(); }
    long long malformedCount() const { return m_malformed; }

private:
    struct Job
    {
        std::string key;
        unsigned long long order = 0;
        std::string sender, app, texts, progress, host, task;
        qint64 lastSeen = 0;
        bool finished = false;
        double percent = -1; // -1 when the datagram's numbers give none
        double firstPercent = -1; // the rate is measured from here
        qint64 firstSeen = 0;
        double rate = -1; // percent per second, -1 while unknown
    };
    /// The jobs in the order they were first seen.
    std::vector<const Job *> inOrder() const;
    static QJsonObject jobJson(const Job &job);
    struct Sender
    {
        std::string key; // the sender's address
        std::string pendingTask; // from a start notice, until the sender's next status
        std::string lastJob; // key of the sender's latest job
        qint64 lastSeen = 0;
    };
    // Least recently seen first; the maps find an entry by key.
    template<typename T> struct Recent
    {
        std::list<T> items;
        std::unordered_map<std::string, typename std::list<T>::iterator> index;
        std::size_t size() const { return items.size(); }
        T *find(const std::string &key);
        T &touch(const std::string &key, std::size_t cap, bool *inserted);
        void erase(typename std::list<T>::iterator it, const std::string &key);
    };

    Recent<Job> m_jobs;
    Recent<Sender> m_senders;
    unsigned long long m_nextOrder = 0;
    unsigned long long m_changes = 0;
    qint64 m_lastExpire = std::numeric_limits<qint64>::min() / 2;
    long long m_malformed = 0;
    std::string m_lastKey;
};

} // namespace quorutil
