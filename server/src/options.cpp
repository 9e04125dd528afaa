#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace vx {

namespace {

bool parseInt(const std::string &s, std::int64_t min, std::int64_t max, std::int64_t &out)
{
    if (s.empty())
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

} // namespace

std::string usage()
{
    return "usage: vendrix-server --listen HOST:PORT --db FILE [options]\n"
           "\n"
           "  --listen HOST:PORT    address to serve on; port 0 picks a free port,\n"
           "                        which is printed as the first line of output\n"
           "  --db FILE             SQLite database, created and migrated on start\n"
           "  --demo                seed demo data and the demo user (once per database)\n"
           "  --tls-cert FILE       serve HTTPS with this certificate (PEM) ...\n"
           "  --tls-key FILE        ... and this private key (PEM)\n"
           "  --page-size N         records per page of paged lists (default 10)\n"
           "  --record FILE         append every request as one JSON line to FILE\n"
           "  --maintenance         refuse logins with 503 (service unavailable)\n"
           "  --add-user NAME:PASS  create the user or reset its password\n"
           "  --max-body BYTES      largest accepted request body (default 1 MiB)\n"
           "  --seed-customers N    add N generated customers (private and business, German\n"
           "                        names and addresses) at start\n"
           "  --seed-orders M       add M generated captured orders at start, spread over the\n"
           "                        generated customers (or, without --seed-customers, over\n"
           "                        the customers the database has)\n"
           "  --seed S              random seed of the generated data (default 1); the same\n"
           "                        seed gives the same data, and a database takes each seed\n"
           "                        once, so a restart with the same options adds nothing\n"
           "  --updates DIR         serve DIR's update feed (updates.json) and packages\n"
           "                        under /vendrix/, without a session\n"
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
        if (a == "--help" || a == "-h") {
            return {std::nullopt, ""};
        } else if (a == "--listen") {
            if (!value(v))
                return {std::nullopt, "--listen needs HOST:PORT"};
            const auto colon = v.rfind(':');
            std::int64_t port = 0;
            if (colon == std::string::npos || colon == 0 || !parseInt(v.substr(colon + 1), 0, 65535, port))
                return {std::nullopt, "--listen needs HOST:PORT with a port from 0 to 65535, got \"" + v + "\""};
            o.host = v.substr(0, colon);
            if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
                o.host = o.host.substr(1, o.host.size() - 2);
            o.port = static_cast<int>(port);
            haveListen = true;
        } else if (a == "--db") {
            if (!value(o.dbPath) || o.dbPath.empty())
                return {std::nullopt, "--db needs a file name"};
        } else if (a == "--demo") {
            o.demo = true;
        } else if (a == "--tls-cert") {
            if (!value(o.tlsCert))
                return {std::nullopt, "--tls-cert needs a file name"};
        } else if (a == "--tls-key") {
            if (!value(o.tlsKey))
                return {std::nullopt, "--tls-key needs a file name"};
        } else if (a == "--page-size") {
            if (!value(v) || !parseInt(v, 1, 10000, o.pageSize))
                return {std::nullopt, "--page-size needs a number from 1 to 10000"};
        } else if (a == "--record") {
            if (!value(o.recordPath) || o.recordPath.empty())
                return {std::nullopt, "--record needs a file name"};
        } else if (a == "--maintenance") {
            o.maintenance = true;
        } else if (a == "--add-user") {
            if (!value(v) || v.find(':') == std::string::npos || v.find(':') == 0)
                return {std::nullopt, "--add-user needs NAME:PASSWORD"};
            o.addUsers.push_back(v);
        } else if (a == "--max-body") {
            if (!value(v) || !parseInt(v, 1024, 1024LL * 1024 * 1024, o.maxBodyBytes))
                return {std::nullopt, "--max-body needs a number of bytes from 1024 to 1 GiB"};
        } else if (a == "--seed-customers") {
            if (!value(v) || !parseInt(v, 0, 10000000, o.seedCustomers))
                return {std::nullopt, "--seed-customers needs a number from 0 to 10000000"};
        } else if (a == "--seed-orders") {
            if (!value(v) || !parseInt(v, 0, 10000000, o.seedOrders))
                return {std::nullopt, "--seed-orders needs a number from 0 to 10000000"};
        } else if (a == "--seed") {
            if (!value(v) || !parseInt(v, 0, std::numeric_limits<std::int64_t>::max(), o.seed))
                return {std::nullopt, "--seed needs a whole number from 0 on"};
        } else if (a == "--updates") {
            if (!value(o.updatesDir) || o.updatesDir.empty())
                return {std::nullopt, "--updates needs a directory"};
        } else {
            return {std::nullopt, "unknown argument \"" + a + "\""};
        }
    }
    if (!haveListen)
        return {std::nullopt, "--listen is required"};
    if (o.dbPath.empty())
        return {std::nullopt, "--db is required"};
    if (o.tlsCert.empty() != o.tlsKey.empty())
        return {std::nullopt, "--tls-cert and --tls-key go together"};
    return {o, ""};
}

} // namespace vx
