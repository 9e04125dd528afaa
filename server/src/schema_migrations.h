// The migrations of each engine, in their own files (schema_sqlite.cpp,
// schema_postgres.cpp); schema.cpp applies those of the engine at hand.
// Entry N moves a database from version N to N + 1. Both lists end at the
// same tables and columns; each engine counts its own versions.
#pragma once

#include <string>
#include <vector>

namespace vx {

const std::vector<std::string> &sqliteMigrations();
const std::vector<std::string> &postgresMigrations();

} // namespace vx
