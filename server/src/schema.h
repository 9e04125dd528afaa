// The database schema: one migration per schema version, applied in order
// when the server opens a database.
#pragma once

#include "db.h"

namespace vx {

// Brings the database up to the newest schema; throws DbError for a schema
// newer than this server knows.
void migrateSchema(Db &db);
int schemaVersion(Db &db);

} // namespace vx
