#include "options.h"

#include "db.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace vx {

namespace {

bool parseInt(const std::string &s, std::int64_t min, std::int64_t max, std::int64_t &out)
{
    if (s.empty() || s.size() > 19)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    if (errno != 0 || v < min || v > max)
        return false;
    out = v;
    return true;
}

// A whole-number option: its name, where it goes, and its range.
struct NumberOption
{
    const char *name;
    std::int64_t Options::*field;
    std::int64_t min;
    std::int64_t max;
};

const NumberOption kNumbers[] = {
    {"--page-size", &Options::pageSize, 1, 10000},
    {"--max-body", &Options::maxBodyBytes, 1024, 1024LL * 1024 * 1024},
    {"--seed-customers", &Options::seedCustomers, 0, 10000000},
    {"--seed-orders", &Options::seedOrders, 0, 10000000},
    {"--seed", &Options::seed, 0, std::numeric_limits<std::int64_t>::max()},
    {"--workers", &Options::workers, 1, 256},
    {"--db-pool", &Options::workers, 1, 256},
    {"--max-connections", &Options::maxConnections, 1, 1000000},
    {"--max-connections-per-address", &Options::maxConnectionsPerAddress, 0, 1000000},
    {"--backlog", &Options::backlog, 1, 65535},
    {"--header-timeout", &Options::headerTimeout, 1, 3600},
    {"--idle-timeout", &Options::idleTimeout, 1, 3600},
    {"--body-timeout", &Options::bodyTimeout, 1, 3600},
    {"--write-timeout", &Options::writeTimeout, 1, 3600},
    {"--shutdown-grace", &Options::shutdownGrace, 0, 600},
    {"--max-header-bytes", &Options::maxHeaderBytes, 1024, 1024 * 1024},
    {"--max-headers", &Options::maxHeaders, 8, 10000},
    {"--max-checkout-orders", &Options::maxCheckoutOrders, 1, 1000000},
    {"--token-idle-timeout", &Options::tokenIdleTimeout, 1, 366LL * 24 * 3600},
    {"--max-tokens-per-user", &Options::maxTokensPerUser, 1, 100000},
    {"--login-attempts", &Options::loginAttempts, 1, 1000},
    {"--login-address-budget", &Options::loginAddressBudget, 1, 1000000},
    {"--login-threads", &Options::loginThreads, 1, 64},
    {"--db-cache-mib", &Options::dbCacheMiB, 1, 64 * 1024},
    {"--max-downloads", &Options::maxDownloads, 1, 100000},
    {"--record-max-mib", &Options::recordMaxMiB, 1, 1024 * 1024},
    {"--backup-keep", &Options::backupKeep, 0, 100000},
};

// "HOST:PORT" (an IPv6 host in brackets) into its parts.
bool parseHostPort(const std::string &v, std::string &host, int &port)
{
    const auto colon = v.rfind(':');
    std::int64_t p = 0;
    if (colon == std::string::npos || colon == 0 || !parseInt(v.substr(colon + 1), 0, 65535, p))
        return false;
    host = v.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    port = static_cast<int>(p);
    return true;
}

bool isIpAddress(const std::string &s)
{
    unsigned char buf[16];
    return ::inet_pton(AF_INET, s.c_str(), buf) == 1 || ::inet_pton(AF_INET6, s.c_str(), buf) == 1;
}

bool plausiblePublicUrl(const std::string &url)
{
    const bool http = url.rfind("http://", 0) == 0;
    const bool https = url.rfind("https://", 0) == 0;
    if (!http && !https)
        return false;
    const std::string rest = url.substr(http ? 7 : 8);
    if (rest.empty() || rest.back() == '/')
        return false;
    for (char c : rest) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == ':' || c == '[' || c == ']' || c == '_' || c == '/';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::string usage()
{
    return "usage: vendrix-server --listen HOST:PORT --db FILE|postgresql://USER@HOST/NAME [options]\n"
           "       vendrix-server --copy-from FILE --db postgresql://USER@HOST/NAME\n"
           "       vendrix-server --backup FILE|DIR/ [--backup-keep N] --db FILE\n"
           "\n"
           "  --listen HOST:PORT    address to serve on; port 0 picks a free port,\n"
           "                        which is printed as the first line of output\n"
           "  --db FILE             SQLite database, created (readable by its owner only)\n"
           "                        and migrated on start\n"
           "  --db postgresql://USER@HOST[:PORT]/NAME\n"
           "                        PostgreSQL database instead (created beforehand, UTF8);\n"
           "                        the password comes from PGPASSFILE, ~/.pgpass or\n"
           "                        PGPASSWORD, never from the command line; a socket\n"
           "                        directory is given as ?host=/DIR\n"
           "  --db-file FILE        read the --db address from the first line of FILE, which\n"
           "                        only the server's user should be able to read; such an\n"
           "                        address may hold a password (postgresql://USER:PW@...);\n"
           "                        the last of --db and --db-file counts\n"
           "  --copy-from FILE      copy the SQLite database FILE into the empty PostgreSQL\n"
           "                        database of --db, then exit\n"
           "  --backup FILE         write a copy of the SQLite database of --db to FILE while\n"
           "                        servers go on using it, check it (integrity, records per\n"
           "                        table), then exit; the copy is readable by its owner\n"
           "                        only and appears under its name only when complete.\n"
           "                        Restoring is starting a server on the copy. A directory\n"
           "                        (DIR/) gets a file named vendrix-YYYYMMDD-HHMMSS.sqlite\n"
           "                        (UTC). PostgreSQL: use pg_dump (see the manual)\n"
           "  --backup-keep N       after a backup into a directory, remove the oldest of\n"
           "                        its vendrix-*.sqlite backups beyond N (default 0: keep\n"
           "                        all)\n"
           "  --demo                seed demo data and the demo user (once per database)\n"
           "  --tls-cert FILE       serve HTTPS with this certificate (PEM) ...\n"
           "  --tls-key FILE        ... and this private key (PEM)\n"
           "  --public-url URL      scheme, host and port that links handed to clients start\n"
           "                        with (invoice documents), e.g. https://vendrix.example;\n"
           "                        default: the listen address\n"
           "  --page-size N         records per page of paged lists (default 10)\n"
           "  --record FILE         append every request as one JSON line to FILE (created\n"
           "                        readable by its owner only); credentials, tokens,\n"
           "                        passwords and document capabilities in it are replaced\n"
           "                        by \"<redacted>\"\n"
           "  --record-max-mib N    at N MiB the record file moves aside to FILE.1 (replacing\n"
           "                        an older one) and a new one begins (default 64)\n"
           "  --record-credentials  keep credentials, tokens and capabilities in the record\n"
           "                        file, for test harnesses that check what a client sent\n"
           "  --maintenance         refuse logins with 503 (service unavailable)\n"
           "  --add-user NAME       create the user or reset its password; the password is\n"
           "                        read from --password-file, or else as one line from\n"
           "                        standard input (one line per --add-user, in order)\n"
           "  --password-file FILE  file whose lines are the passwords of the --add-user\n"
           "                        options, in order\n"
           "  --seed-customers N    add N generated customers (private and business, German\n"
           "                        names and addresses) at start\n"
           "  --seed-orders M       add M generated captured orders at start, spread over the\n"
           "                        generated customers (or, without --seed-customers, over\n"
           "                        the customers the database has)\n"
           "  --seed S              random seed of the generated data (default 1); the same\n"
           "                        seed gives the same data, and a database takes each seed\n"
           "                        once, so a restart with the same options adds nothing\n"
           "  --metrics-listen HOST:PORT\n"
           "                        serve Prometheus metrics at /metrics on this address of\n"
           "                        its own (default: none); keep it off the clients' network\n"
           "  --log-format text|json\n"
           "                        one line per request (request id, route, status,\n"
           "                        duration, user) and errors with their cause on standard\n"
           "                        error, as text (default) or as JSON objects\n"
           "  --trusted-proxy ADDR  a load balancer or reverse proxy in front (repeatable):\n"
           "                        requests from ADDR are counted, throttled and logged by\n"
           "                        the client address its X-Forwarded-For names, its\n"
           "                        X-Request-Id is kept, and its connections are not held\n"
           "                        to --max-connections-per-address\n"
           "  --updates DIR         serve DIR's update feed (updates.json) and packages\n"
           "                        under /vendrix/, without a session; the directory is\n"
           "                        read at every request, so a new package needs no restart\n"
           "\n"
           "Limits (a client that exceeds one gets a clear error or is disconnected):\n"
           "  --workers N           threads running requests, each with its own database\n"
           "                        connection (default 8)\n"
           "  --db-pool N           the same: database connections of the server, one per\n"
           "                        worker\n"
           "  --max-connections N   open connections in all (default 4096); when full, the\n"
           "                        slowest sender (a request trickling in or stuck for a\n"
           "                        second or more), else the connection idle the longest,\n"
           "                        is closed for a new one\n"
           "  --max-connections-per-address N\n"
           "                        open connections from one client address (default\n"
           "                        1024, an office of 170 desks behind one address with\n"
           "                        the six connections each client opens; 0: no limit)\n"
           "  --backlog N           connections waiting to be accepted (default 1024)\n"
           "  --header-timeout S    seconds to send a request header, from its first byte\n"
           "                        (default 10); also the TLS handshake\n"
           "  --idle-timeout S      seconds a connection may wait for its next request\n"
           "                        (default 15)\n"
           "  --body-timeout S      seconds to send a request body (default 30)\n"
           "  --write-timeout S     seconds to take a reply (default 30)\n"
           "  --shutdown-grace S    on SIGTERM idle connections close at once; requests in\n"
           "                        progress get S seconds to finish (default 5)\n"
           "  --max-header-bytes N  largest request header (default 16384; 431 beyond)\n"
           "  --max-headers N       most header fields in a request (default 64; 431 beyond)\n"
           "  --max-body BYTES      largest request body, however it is framed (default\n"
           "                        1 MiB; 413 beyond)\n"
           "  --max-checkout-orders N\n"
           "                        most open orders one checkout preview bills (default\n"
           "                        1000; 422 with the number of open orders beyond)\n"
           "  --token-idle-timeout S\n"
           "                        a session token unused for S seconds expires (default\n"
           "                        28800, a working day)\n"
           "  --max-tokens-per-user N\n"
           "                        live session tokens per user (default 20); a new login\n"
           "                        ends the least recently used session beyond\n"
           "  --login-attempts N    failed logins of one user name from one client address\n"
           "                        before its further attempts wait (429), 1 s doubling up\n"
           "                        to 60 s (default 5); other names and addresses go on\n"
           "  --login-address-budget N\n"
           "                        failed logins per hour from one client address, over\n"
           "                        all names (default 100); beyond, logins from there wait\n"
           "                        until the budget has one to spare (it refills evenly)\n"
           "  --login-threads N     threads that check passwords, apart from the workers\n"
           "                        (default 2); at most 256 logins wait for them, beyond\n"
           "                        that a login is answered 503\n"
           "  --max-downloads N     update packages sent at once (default 32; 503 beyond);\n"
           "                        they are read from disk as they go out\n"
           "  --db-cache-mib N      page cache of each database connection in MiB (default\n"
           "                        32); reads are also served from a shared memory map\n"
           "  --help                show this text\n";
}

ParseResult parseOptions(const std::vector<std::string> &args)
{
    Options o;
    bool haveListen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](std::string &out) -> bool {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        const NumberOption *number = nullptr;
        for (const auto &n : kNumbers)
            if (a == n.name)
                number = &n;
        if (number) {
            if (!value(v) || !parseInt(v, number->min, number->max, o.*(number->field)))
                return {std::nullopt,
                    a + " needs a whole number from " + std::to_string(number->min) + " to "
                        + std::to_string(number->max)};
        } else if (a == "--help" || a == "-h") {
            return {std::nullopt, ""};
        } else if (a == "--listen") {
            if (!value(v) || !parseHostPort(v, o.host, o.port))
                return {std::nullopt, "--listen needs HOST:PORT with a port from 0 to 65535, got \"" + v + "\""};
            haveListen = true;
        } else if (a == "--metrics-listen") {
            if (!value(v) || !parseHostPort(v, o.metricsHost, o.metricsPort))
                return {
                    std::nullopt, "--metrics-listen needs HOST:PORT with a port from 0 to 65535, got \"" + v + "\""};
        } else if (a == "--log-format") {
            if (!value(o.logFormat) || (o.logFormat != "text" && o.logFormat != "json"))
                return {std::nullopt, "--log-format needs text or json"};
        } else if (a == "--trusted-proxy") {
            if (!value(v) || !isIpAddress(v))
                return {std::nullopt, "--trusted-proxy needs an IP address"};
            o.trustedProxies.push_back(v);
        } else if (a == "--backup") {
            if (!value(o.backupPath) || o.backupPath.empty())
                return {std::nullopt, "--backup needs a file name or a directory"};
        } else if (a == "--db") {
            // The last of --db and --db-file counts (the system service
            // names its SQLite file first).
            o.dbFile.clear();
            if (!value(o.dbPath) || o.dbPath.empty())
                return {std::nullopt, "--db needs a file name or a postgresql:// address"};
        } else if (a == "--db-file") {
            o.dbPath.clear();
            if (!value(o.dbFile) || o.dbFile.empty())
                return {std::nullopt, "--db-file needs a file name"};
        } else if (a == "--copy-from") {
            if (!value(o.copyFrom) || o.copyFrom.empty())
                return {std::nullopt, "--copy-from needs the file name of an SQLite database"};
        } else if (a == "--demo") {
            o.demo = true;
        } else if (a == "--tls-cert") {
            if (!value(o.tlsCert))
                return {std::nullopt, "--tls-cert needs a file name"};
        } else if (a == "--tls-key") {
            if (!value(o.tlsKey))
                return {std::nullopt, "--tls-key needs a file name"};
        } else if (a == "--public-url") {
            if (!value(o.publicUrl) || !plausiblePublicUrl(o.publicUrl))
                return {std::nullopt,
                    "--public-url needs http:// or https:// with a host (and port), without a trailing slash"};
        } else if (a == "--record") {
            if (!value(o.recordPath) || o.recordPath.empty())
                return {std::nullopt, "--record needs a file name"};
        } else if (a == "--record-credentials") {
            o.recordCredentials = true;
        } else if (a == "--maintenance") {
            o.maintenance = true;
        } else if (a == "--add-user") {
            if (!value(v) || v.empty() || v.front() == ':')
                return {std::nullopt, "--add-user needs a user name"};
            const auto colon = v.find(':');
            if (colon == std::string::npos)
                o.addUsers.push_back(NewUser {v, std::nullopt});
            else
                o.addUsers.push_back(NewUser {v.substr(0, colon), v.substr(colon + 1)});
        } else if (a == "--password-file") {
            if (!value(o.passwordFile) || o.passwordFile.empty())
                return {std::nullopt, "--password-file needs a file name"};
        } else if (a == "--updates") {
            if (!value(o.updatesDir) || o.updatesDir.empty())
                return {std::nullopt, "--updates needs a directory"};
        } else {
            return {std::nullopt, "unknown argument \"" + a + "\""};
        }
    }
    if (!o.backupPath.empty()) {
        if (!o.copyFrom.empty() || o.demo || !o.addUsers.empty() || o.seedCustomers > 0 || o.seedOrders > 0)
            return {std::nullopt,
                "--backup only reads the database; it does not go with --copy-from, --demo, "
                "--add-user or --seed-..."};
    } else if (!haveListen && o.copyFrom.empty()) {
        return {std::nullopt, "--listen is required"};
    }
    if (o.dbPath.empty() && o.dbFile.empty())
        return {std::nullopt, "--db (or --db-file) is required"};
    if (!o.copyFrom.empty() && o.dbFile.empty() && !isPostgresTarget(o.dbPath))
        return {std::nullopt, "--copy-from copies into a PostgreSQL database: give --db postgresql://..."};
    if (o.tlsCert.empty() != o.tlsKey.empty())
        return {std::nullopt, "--tls-cert and --tls-key go together"};
    return {o, ""};
}

} // namespace vx
