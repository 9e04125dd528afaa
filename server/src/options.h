// Command line of vendrix-server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx {

struct NewUser
{
    std::string name;
    // Set when given the old way ("NAME:PASSWORD"); otherwise the password
    // is read from --password-file or standard input.
    std::optional<std::string> password;
};

struct Options
{
    std::string host = "127.0.0.1";
    int port = 8080;
    // An SQLite file, or a postgresql:// connection address.
    std::string dbPath;
    // A file whose first line is dbPath (an address with a password stays
    // out of the process list); read by the program, not the parser.
    std::string dbFile;
    // An SQLite database to copy into the PostgreSQL database of dbPath.
    std::string copyFrom;
    bool demo = false;
    std::string tlsCert;
    std::string tlsKey;
    // "scheme://host[:port]" for links; empty: the listen address.
    std::string publicUrl;
    std::int64_t pageSize = 10;
    std::string recordPath;
    // Keep credentials and tokens in the record file (test harnesses).
    bool recordCredentials = false;
    // The size at which the record file moves aside.
    std::int64_t recordMaxMiB = 64;
    bool maintenance = false;
    std::vector<NewUser> addUsers;
    std::string passwordFile;
    // Generated customers and captured orders to add at start (seed.h).
    std::int64_t seedCustomers = 0;
    std::int64_t seedOrders = 0;
    std::int64_t seed = 1;
    // Directory with an update feed and its packages, served under /vendrix/.
    std::string updatesDir;
    // Packages of updatesDir sent at once.
    std::int64_t maxDownloads = 32;

    // Connections and requests.
    std::int64_t workers = 8;
    std::int64_t maxConnections = 4096;
    std::int64_t maxConnectionsPerAddress = 1024;
    std::int64_t backlog = 1024;
    std::int64_t headerTimeout = 10;
    std::int64_t idleTimeout = 15;
    std::int64_t bodyTimeout = 30;
    std::int64_t writeTimeout = 30;
    std::int64_t shutdownGrace = 5;
    std::int64_t maxHeaderBytes = 16 * 1024;
    std::int64_t maxHeaders = 64;
    std::int64_t maxBodyBytes = 1024 * 1024;

    // Business limits.
    std::int64_t maxCheckoutOrders = 1000;

    // Sessions and logins.
    std::int64_t tokenIdleTimeout = 8 * 3600;
    std::int64_t maxTokensPerUser = 20;
    std::int64_t loginAttempts = 5;
    std::int64_t loginAddressBudget = 100;
    std::int64_t loginThreads = 2;

    // Database.
    std::int64_t dbCacheMiB = 32;

    // Operation.
    // Write a checked copy of the SQLite database here and exit; a
    // directory (an existing one, or a name ending in "/") gets a file
    // named after the time, and the oldest of those beyond backupKeep go.
    std::string backupPath;
    std::int64_t backupKeep = 0; // 0: keep every backup
    // "HOST:PORT" of the Prometheus metrics; empty: none.
    std::string metricsHost;
    int metricsPort = -1;
    // Request and error lines on standard error: "text" or "json".
    std::string logFormat = "text";
    // Load balancers and reverse proxies whose X-Forwarded-For and
    // X-Request-Id are believed (exact addresses).
    std::vector<std::string> trustedProxies;
};

// Returns the options, or an error text (empty text with no options means
// --help was asked for).
struct ParseResult
{
    std::optional<Options> options;
    std::string error;
};
ParseResult parseOptions(const std::vector<std::string> &args);
std::string usage();

} // namespace vx
