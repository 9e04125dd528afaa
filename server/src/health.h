// Whether this server can do its work now, for a load balancer or a
// monitor that asks every second: the database answers and takes a write.
//
// The answer comes from a real write, never from guessing. A request's
// write that committed less than a second ago is one; otherwise one probe
// overwrites a single row of the meta table in place (so the database
// does not grow however often it is asked), at most one probe at a time
// and at most once a second whoever asks, the others hearing the probe's
// result. A request's write that failed for a reason that concerns the
// whole database (unreachable, full, read-only, broken) counts as a failed
// probe. On SQLite the free space of the database's disk is looked at as
// well: a write may find room in a WAL file grown before while the disk
// is full.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "db.h"

namespace vx {

// What a database error means for the service as a whole: a kind for the
// metrics ("unavailable", "full", "read_only", "busy", "io", "other") and a
// reason an administrator reads.
struct DatabaseTrouble
{
    const char *kind;
    std::string reason;
    // Says nothing about a single request: the database as a whole cannot
    // serve (every kind but "busy" and "other").
    bool wholeDatabase;
};
DatabaseTrouble troubleOf(const DbError &e);

class HealthCheck
{
public:
    struct Result
    {
        bool ok = true;
        std::string reason; // when not ok
    };

    // `sqliteFile`: the database file whose disk is watched (empty for
    // PostgreSQL).
    HealthCheck(WriteGate &gate, std::string sqliteFile);

    // On a worker, with its connection.
    Result check(Db &db);
    // A request failed with this error.
    void noteFailure(const DbError &e);

    // Below this much free space the disk counts as full.
    static constexpr std::int64_t kMinFreeBytes = 1024 * 1024;
    static constexpr std::int64_t kFreshMs = 1000;
    // A probe that has not finished in this time is an answer of its own.
    static constexpr std::int64_t kProbeTimeoutMs = 5000;

private:
    Result probe(Db &db);
    std::string diskFull() const;

    WriteGate &gate_;
    std::string sqliteFile_;
    std::mutex mutex_;
    Result last_;
    std::int64_t checkedAt_ = -1; // ms, steady clock; -1: never
    std::int64_t failedAt_ = -1;
    std::string failure_;
    bool probing_ = false;
    std::int64_t probeStarted_ = 0;
};

} // namespace vx
