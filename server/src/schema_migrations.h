// The migrations of each engine, in their own files (schema_sqlite.cpp,
// schema_postgres.cpp); schema.cpp applies those of the engine at hand.
// Entry N moves a database from version N to N + 1. Both lists end at the
// same tables and columns; each engine counts its own versions.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "db.h"

namespace vx {

// One version up: SQL, or a step where SQL alone cannot say it.
struct Migration
{
    Migration(std::string sql) : sql(std::move(sql)) { }
    Migration(const char *sql) : sql(sql) { }
    Migration(void (*step)(Db &)) : step(step) { }

    std::string sql;
    void (*step)(Db &) = nullptr;
};

const std::vector<Migration> &sqliteMigrations();
const std::vector<Migration> &postgresMigrations();

// Run inside a write transaction at every start of a server on PostgreSQL
// once the schema is current: what a migration could not do when it ran
// (an index that needs an extension the database did not offer then).
void completePostgresSchema(Db &db);

} // namespace vx
