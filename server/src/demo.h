// Demo data for trying the client: German customers, orders (some billed,
// with invoice documents), article groups, delivery orders and a user.
#pragma once

#include "db.h"

namespace vx {

constexpr const char *kDemoUser = "demo";
constexpr const char *kDemoPassword = "vendrix-demo";

// Seeds once per database, in one transaction; false when it was seeded
// before.
bool seedDemo(Db &db);

} // namespace vx
