#include "backup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <map>
#include <stdexcept>
#include <thread>

namespace vx {

namespace {

const char *const kPrefix = "vendrix-";
const char *const kSuffix = ".sqlite";

class Connection
{
public:
    Connection(const std::string &path, int flags)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw std::runtime_error("cannot open " + path + ": " + why);
        }
        sqlite3_busy_timeout(db_, 10000);
    }
    ~Connection() { close(); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *get() const { return db_; }
    void close()
    {
        if (db_)
            sqlite3_close(db_);
        db_ = nullptr;
    }

    void exec(const std::string &sql)
    {
        char *err = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            const std::string why = err ? err : sqlite3_errmsg(db_);
            sqlite3_free(err);
            throw std::runtime_error(reason(why));
        }
    }

    // The text values of a query's first column.
    std::vector<std::string> column(const std::string &sql)
    {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            throw std::runtime_error(reason(sqlite3_errmsg(db_)));
        std::vector<std::string> out;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, 0));
            out.emplace_back(text ? text : "");
        }
        sqlite3_finalize(s);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(reason(sqlite3_errmsg(db_)));
        return out;
    }

    // SQLite's message, with what a full disk means said plainly.
    std::string reason(const std::string &message) const
    {
        return (sqlite3_extended_errcode(db_) & 0xFF) == SQLITE_FULL ? "the disk is full (" + message + ")" : message;
    }

private:
    sqlite3 *db_ = nullptr;
};

std::string quotedName(const std::string &name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// The records of every table, virtual tables (search indexes) counted in
// the tables that hold their data.
std::map<std::string, std::int64_t> countRecords(Connection &c)
{
    std::map<std::string, std::int64_t> counts;
    for (const auto &table : c.column("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                      "'sqlite\\_%' ESCAPE '\\' AND sql NOT LIKE 'CREATE VIRTUAL TABLE%'"))
        counts[table] = std::stoll(c.column("SELECT count(*) FROM " + quotedName(table)).at(0));
    return counts;
}

std::string directoryOf(const std::string &file)
{
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
}

std::string baseName(const std::string &file)
{
    const auto slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

void syncPath(const std::string &path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const std::string why = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot write " + path + " to disk: " + why);
    }
    ::close(fd);
}

// The copy under its temporary name, and the journal SQLite may leave
// beside it, removed unless it was given its name.
struct TemporaryCopy
{
    std::string path;
    ~TemporaryCopy()
    {
        if (path.empty())
            return;
        for (const char *suffix : {"", "-journal", "-wal", "-shm"})
            ::unlink((path + suffix).c_str());
    }
};

std::vector<std::string> removeOldBackups(const std::string &dir, const std::string &newest, std::int64_t keep)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(dir.c_str())) {
        while (const dirent *e = ::readdir(d))
            if (isBackupFileName(e->d_name))
                names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> removed;
    for (std::size_t i = 0; names.size() - i > static_cast<std::size_t>(keep); ++i) {
        if (names[i] == newest)
            continue;
        if (::unlink((dir + "/" + names[i]).c_str()) == 0)
            removed.push_back(names[i]);
    }
    return removed;
}

} // namespace

std::string backupFileName(std::int64_t unixSeconds)
{
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm {};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return kPrefix + std::string(buf) + kSuffix;
}

bool isBackupFileName(const std::string &name)
{
    const std::string example = backupFileName(0);
    if (name.size() != example.size() || name.rfind(kPrefix, 0) != 0
        || name.compare(name.size() - std::strlen(kSuffix), std::string::npos, kSuffix) != 0)
        return false;
    for (std::size_t i = std::strlen(kPrefix); i < name.size() - std::strlen(kSuffix); ++i)
        if (example[i] == '-' ? name[i] != '-' : (name[i] < '0' || name[i] > '9'))
            return false;
    return true;
}

BackupResult backupDatabase(const std::string &database, const std::string &target, std::int64_t keep)
{
    const auto started = std::chrono::steady_clock::now();
    struct stat source
    { };
    if (::stat(database.c_str(), &source) != 0 || !S_ISREG(source.st_mode))
        throw std::runtime_error("there is no database file " + database);

    BackupResult result;
    std::string dir;
    struct stat st
    { };
    const bool intoDirectory = target.back() == '/' || (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    if (intoDirectory) {
        dir = target.size() > 1 && target.back() == '/' ? target.substr(0, target.size() - 1) : target;
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::runtime_error("cannot make the directory " + dir + ": " + std::strerror(errno));
        result.file = dir + "/" + backupFileName(static_cast<std::int64_t>(std::time(nullptr)));
    } else {
        result.file = target;
        dir = directoryOf(target);
    }
    if (::stat(result.file.c_str(), &st) == 0 && st.st_dev == source.st_dev && st.st_ino == source.st_ino)
        throw std::runtime_error(result.file + " is the database itself");

    TemporaryCopy copy;
    {
        std::string name = dir + "/." + baseName(result.file) + ".XXXXXX";
        // Made readable by its owner only, before a byte is in it.
        const int fd = ::mkstemp(name.data());
        if (fd < 0)
            throw std::runtime_error("cannot write in " + dir + ": " + std::strerror(errno));
        ::close(fd);
        copy.path = name;
    }

    // The counts and the copy come from one snapshot: the backup reads
    // inside the read transaction the counting opened.
    std::map<std::string, std::int64_t> expected;
    {
        Connection from(database, SQLITE_OPEN_READWRITE);
        if (from.column("SELECT count(*) FROM sqlite_master WHERE name = 'schema_version'").at(0) != "1")
            throw std::runtime_error(database + " is not a database of vendrix-server");
        from.exec("BEGIN");
        expected = countRecords(from);
        Connection to(copy.path, SQLITE_OPEN_READWRITE);
        sqlite3_backup *b = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!b)
            throw std::runtime_error(to.reason(sqlite3_errmsg(to.get())));
        int rc = SQLITE_OK;
        for (int attempt = 0; attempt < 100; ++attempt) {
            rc = sqlite3_backup_step(b, -1);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            throw std::runtime_error("copying failed: "
                + ((rc & 0xFF) == SQLITE_FULL ? std::string("the disk is full") : std::string(sqlite3_errstr(rc))));
        from.exec("COMMIT");
        from.close();
        // One file of its own, which can be copied and moved as it is.
        to.exec("PRAGMA journal_mode=DELETE");
        to.close();
    }
    syncPath(copy.path, O_RDONLY);

    {
        Connection check(copy.path, SQLITE_OPEN_READONLY);
        const auto integrity = check.column("PRAGMA integrity_check");
        if (integrity.size() != 1 || integrity[0] != "ok")
            throw std::runtime_error("the copy fails its integrity check: " + (integrity.empty() ? "" : integrity[0]));
        const auto found = countRecords(check);
        for (const auto &[table, n] : expected) {
            const auto it = found.find(table);
            if (it == found.end() || it->second != n)
                throw std::runtime_error("the copy's table " + table + " has "
                    + (it == found.end() ? std::string("gone") : std::to_string(it->second) + " records") + ", not "
                    + std::to_string(n));
            result.records += n;
        }
        if (found.size() != expected.size())
            throw std::runtime_error("the copy has other tables than the database");
        result.tables = static_cast<std::int64_t>(expected.size());
    }

    if (::rename(copy.path.c_str(), result.file.c_str()) != 0)
        throw std::runtime_error("cannot name the copy " + result.file + ": " + std::strerror(errno));
    copy.path.clear();
    syncPath(dir, O_RDONLY | O_DIRECTORY);
    if (::stat(result.file.c_str(), &st) == 0)
        result.bytes = static_cast<std::int64_t>(st.st_size);
    if (intoDirectory && keep > 0)
        result.removed = removeOldBackups(dir, baseName(result.file), keep);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

} // namespace vx
