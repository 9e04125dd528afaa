// Case folding used by every search: ASCII plus the Latin-1 capitals (the
// German umlauts among them), so that "MÜLLER" finds "Müller".
#pragma once

#include <string>

struct sqlite3;

namespace vx {

// Malformed UTF-8 bytes pass through unchanged, so folding never loses data.
std::string foldCase(const std::string &utf8);

// Makes foldCase() available to the SQL of this connection as vx_fold(text);
// the search indexes' triggers use it, so every connection registers it.
void registerFoldFunction(sqlite3 *db);

} // namespace vx
