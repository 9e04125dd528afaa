// Moving an office's SQLite database into PostgreSQL.
#pragma once

#include <cstdint>
#include <string>

#include "db.h"

namespace vx {

struct CopyResult
{
    std::int64_t tables = 0;
    std::int64_t rows = 0;
};

// Copies every record of `from` (SQLite, brought to the newest schema
// first) into `to` (PostgreSQL) in one transaction, ids and all. The target
// must hold no customers, users or records yet; throws DbError otherwise,
// and for any row that does not fit, leaving the target as it was.
CopyResult copyDatabase(Db &from, Db &to);

} // namespace vx
