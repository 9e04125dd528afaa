// The two engines behind Db (db.h): opened by Db's constructor.
#pragma once

#include <memory>
#include <string>

#include "db.h"

namespace vx {

std::unique_ptr<DbEngine> openSqlite(const std::string &path, const DbSettings &settings);
std::unique_ptr<DbEngine> openPostgres(const std::string &uri, const DbSettings &settings);

} // namespace vx
