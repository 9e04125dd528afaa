// Realistic data sets for trying the client and measuring the server with
// many records: German private and business customers and captured orders
// spread over them, made from a random seed.
#pragma once

#include <cstdint>
#include <string>

#include "db.h"

namespace vx {

struct SeedRequest
{
    std::int64_t customers = 0;
    std::int64_t orders = 0;
    std::uint64_t seed = 1;
};

struct SeedResult
{
    bool seeded = false; // false: this seed was applied to the database before
    std::int64_t customers = 0;
    std::int64_t businessCustomers = 0;
    std::int64_t orders = 0;
};

// Adds the customers, then the orders, in one transaction. Orders go to the
// customers made here, or, when none are asked for, to the customers the
// database has. The same seed gives the same records (on a fresh database,
// the same ids too); a database takes each seed value once, so a restart
// with the same command line adds nothing. Throws std::runtime_error when
// orders are asked for and there is no customer to give them to.
SeedResult seedDatabase(Db &db, const SeedRequest &request);

// Plain ASCII for e-mail addresses: umlauts and ß spelled out, everything
// but letters and digits dropped, lower case.
std::string mailPart(const std::string &utf8);

} // namespace vx
