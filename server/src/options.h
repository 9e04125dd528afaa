// Command line of vendrix-server.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx {

struct Options
{
    std::string host = "127.0.0.1";
    int port = 8080;
    std::string dbPath;
    bool demo = false;
    std::string tlsCert;
    std::string tlsKey;
    std::int64_t pageSize = 10;
    std::string recordPath;
    bool maintenance = false;
    // name:password pairs to create (or reset) at start.
    std::vector<std::string> addUsers;
    std::int64_t maxBodyBytes = 1024 * 1024;
    // Generated customers and captured orders to add at start (seed.h).
    std::int64_t seedCustomers = 0;
    std::int64_t seedOrders = 0;
    std::int64_t seed = 1;
    // Directory with an update feed and its packages, served under /vendrix/.
    std::string updatesDir;
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
