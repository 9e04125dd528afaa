// A backup of a live SQLite database: a consistent copy taken while
// servers go on reading and writing it, checked before it counts.
//
// The copy is read from one snapshot of the database through SQLite's
// backup interface (a file copy of a database in WAL mode could miss what
// the WAL holds, or catch half a write). It is written under a hidden
// temporary name beside the target, readable by its owner only, turned
// into a single file (no WAL), checked (integrity and the records of every
// table against the snapshot's), flushed to disk and only then renamed to
// its name: a name that exists is a complete, checked backup.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

struct BackupResult
{
    std::string file; // where it was written
    std::int64_t tables = 0;
    std::int64_t records = 0;
    std::int64_t bytes = 0;
    double seconds = 0;
    std::vector<std::string> removed; // older backups removed (keep)
};

// Backs up the SQLite database `database` to `target`: a file name, or a
// directory (one that exists, or a name ending in "/", made readable by
// its owner only), which gets a file named backupFileName(now). With
// `keep` > 0 and a directory, the oldest backups of that naming beyond
// `keep` are removed afterwards. Throws std::runtime_error with the reason;
// nothing is then left under the target's name.
BackupResult backupDatabase(const std::string &database, const std::string &target, std::int64_t keep);

// "vendrix-20240603-020000.sqlite" (UTC): names that sort by their time.
std::string backupFileName(std::int64_t unixSeconds);
bool isBackupFileName(const std::string &name);

} // namespace vx
