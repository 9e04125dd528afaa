// The PostgreSQL engine, on libpq. Queries keep SQLite's "?" and "?N"
// placeholders and are rewritten to "$N" once, when first prepared; every
// statement is prepared on the server once per connection. A transaction's
// BEGIN (and its lock) goes to the server with its first statement, in one
// round trip, and a write's COMMIT may go with its last one
// (Transaction::commitWithNext()).

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "db_engines.h"

namespace vx {

namespace {

// Type oids of the columns and parameters the schema uses.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kJson = 114, kFloat4 = 700,
              kFloat8 = 701, kNumeric = 1700, kJsonb = 3802;

// The database's write lock, taken by every write transaction of every
// server on the database: shared by adding writes, which run side by side,
// and alone by every other write, which runs as on SQLite, one at a time.
// The lock queue is fair: a write that waits to run alone holds up adding
// writes that come after it.
constexpr const char *kAloneLock = "SELECT pg_advisory_xact_lock(7346193)";
constexpr const char *kAddingLock = "SELECT pg_advisory_xact_lock_shared(7346193)";

// Tables whose inserts report the new row's id (lastInsertId).
const std::set<std::string> kTablesWithId = {"users", "customer_commercial", "customers", "taxes", "orders",
    "documents", "invoices", "billings", "categories", "articlegroups", "deliveryorders", "articleinventory"};

// The SQLite code of the same meaning for a PostgreSQL error, so the
// routes answer both engines' failures alike.
int codeOf(const char *sqlState)
{
    const std::string s = sqlState ? sqlState : "";
    if (s.empty() || s.rfind("08", 0) == 0 || s == "57P01" || s == "57P02" || s == "57P03")
        return DbError::kUnavailable;
    if (s == "53100")
        return SQLITE_FULL;
    if (s == "40001" || s == "40P01" || s == "55P03")
        return SQLITE_BUSY;
    if (s == "25006")
        return SQLITE_READONLY;
    if (s.rfind("23", 0) == 0)
        return SQLITE_CONSTRAINT;
    return SQLITE_ERROR;
}

// "?" and "?N" to "$N", leaving quoted texts and names alone.
std::string toDollarParams(const std::string &sql)
{
    std::string out;
    out.reserve(sql.size() + 8);
    int highest = 0;
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char ch = sql[i];
        if (quote) {
            out += ch;
            if (ch == quote)
                quote = 0;
            continue;
        }
        if (ch == '\'' || ch == '"') {
            quote = ch;
            out += ch;
            continue;
        }
        if (ch != '?') {
            out += ch;
            continue;
        }
        std::size_t j = i + 1;
        while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
            ++j;
        int n = j > i + 1 ? std::atoi(sql.substr(i + 1, j - i - 1).c_str()) : highest + 1;
        highest = std::max(highest, n);
        out += "$" + std::to_string(n);
        i = j - 1;
    }
    return out;
}

// The table an INSERT writes to, or "".
std::string insertTable(const std::string &sql)
{
    std::size_t i = sql.find_first_not_of(" \t\n");
    if (i == std::string::npos || sql.compare(i, 12, "INSERT INTO ") != 0)
        return {};
    i += 12;
    const std::size_t end = sql.find_first_of(" (", i);
    return sql.substr(i, end == std::string::npos ? std::string::npos : end - i);
}

// A password in the connection text would be visible in the process list
// and in logs; libpq takes it from PGPASSFILE, ~/.pgpass or PGPASSWORD.
bool uriHasPassword(const std::string &uri)
{
    const std::size_t start = uri.find("://") + 3;
    const std::size_t slash = uri.find_first_of("/?", start);
    const std::string authority = uri.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos && authority.substr(0, at).find(':') != std::string::npos)
        return true;
    const std::size_t query = uri.find('?');
    if (query == std::string::npos)
        return false;
    const std::string q = "&" + uri.substr(query + 1);
    return q.find("&password=") != std::string::npos;
}

struct Prepared
{
    std::string name;
    std::string sql;
    std::vector<Oid> paramTypes;
    bool returnsId = false;
    // Runs on the plan made without its parameters (trigramMatch()).
    bool generic = false;
};

class PgEngine;

class PgStmt : public StmtImpl
{
public:
    PgStmt(PgEngine *owner, const Prepared *p)
        : owner_(owner), p_(p), values_(p->paramTypes.size()), formats_(p->paramTypes.size(), 0)
    {
    }
    ~PgStmt() override
    {
        if (res_)
            PQclear(res_);
    }

    void bindInt(int idx, std::int64_t v) override { set(idx, std::to_string(v)); }
    void bindDouble(int idx, double v) override
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        set(idx, buf);
    }
    void bindText(int idx, const std::string &v) override { set(idx, isJson(type(idx)) ? Json(v).dump() : v); }
    void bindBlob(int idx, const std::string &bytes) override { set(idx, bytes, 1); }
    void bindNull(int idx) override { slot(idx).reset(); }
    void bindJson(int idx, const Json &v) override
    {
        if (v.is_null())
            bindNull(idx);
        else if (isJson(type(idx)))
            set(idx, v.dump());
        else if (v.is_string())
            set(idx, v.get<std::string>());
        else if (v.is_boolean())
            set(idx, v.get<bool>() ? "1" : "0");
        else
            set(idx, v.dump());
    }

    bool step() override;

    bool isNull(int col) const override { return PQgetisnull(res_, row_, col) != 0; }
    std::int64_t getInt(int col) const override
    {
        const char *v = PQgetvalue(res_, row_, col);
        switch (PQftype(res_, col)) {
        case kBool:
            return v[0] == 't' ? 1 : 0;
        case kJson:
        case kJsonb: {
            const Json j = Json::parse(v, nullptr, false);
            return j.is_number() ? j.get<std::int64_t>() : 0;
        }
        case kFloat4:
        case kFloat8:
        case kNumeric:
            return static_cast<std::int64_t>(std::strtod(v, nullptr));
        default:
            return std::strtoll(v, nullptr, 10);
        }
    }
    double getDouble(int col) const override { return std::strtod(PQgetvalue(res_, row_, col), nullptr); }
    std::string getText(int col) const override
    {
        if (isNull(col))
            return {};
        std::string v(PQgetvalue(res_, row_, col), static_cast<std::size_t>(PQgetlength(res_, row_, col)));
        if (isJson(PQftype(res_, col))) {
            const Json j = Json::parse(v, nullptr, false);
            return j.is_string() ? j.get<std::string>() : j.dump();
        }
        return v;
    }
    std::string getBlob(int col) const override
    {
        if (PQftype(res_, col) != kBytea)
            return getText(col);
        std::size_t n = 0;
        unsigned char *raw = PQunescapeBytea(reinterpret_cast<const unsigned char *>(PQgetvalue(res_, row_, col)), &n);
        std::string out(reinterpret_cast<const char *>(raw), n);
        PQfreemem(raw);
        return out;
    }
    Json getJson(int col) const override
    {
        if (isNull(col))
            return nullptr;
        const char *v = PQgetvalue(res_, row_, col);
        switch (PQftype(res_, col)) {
        case kInt2:
        case kInt4:
        case kInt8:
        case kOid:
        case kBool:
            return getInt(col);
        case kFloat4:
        case kFloat8:
            return getDouble(col);
        case kNumeric:
            if (std::string(v).find_first_of(".eE") == std::string::npos)
                return getInt(col);
            return getDouble(col);
        case kJson:
        case kJsonb:
            return Json::parse(v, nullptr, false);
        default:
            return getText(col);
        }
    }
    int columnCount() const override { return res_ ? PQnfields(res_) : 0; }
    std::string columnName(int col) const override { return PQfname(res_, col); }
    std::string sql() const override { return p_->sql; }

private:
    static bool isJson(Oid t) { return t == kJson || t == kJsonb; }
    Oid type(int idx) const
    {
        return idx >= 1 && static_cast<std::size_t>(idx) <= p_->paramTypes.size() ? p_->paramTypes[idx - 1] : 0;
    }
    std::optional<std::string> &slot(int idx)
    {
        if (idx < 1 || static_cast<std::size_t>(idx) > values_.size())
            throw DbError("bind: no parameter " + std::to_string(idx) + " in: " + p_->sql, SQLITE_RANGE);
        return values_[static_cast<std::size_t>(idx - 1)];
    }
    void set(int idx, const std::string &v, int format = 0)
    {
        slot(idx) = v;
        formats_[static_cast<std::size_t>(idx - 1)] = format;
    }

    PgEngine *owner_;
    const Prepared *p_;
    std::vector<std::optional<std::string>> values_;
    std::vector<int> formats_;
    PGresult *res_ = nullptr;
    int row_ = -1;
    bool ran_ = false;
};

class PgEngine : public DbEngine
{
public:
    PgEngine(const std::string &uri, bool addressIsPrivate) : uri_(uri)
    {
        if (uriHasPassword(uri) && !addressIsPrivate)
            throw DbError("a password does not belong in the --db address, where every user of the machine can "
                          "read it; put it in PGPASSFILE or ~/.pgpass (or PGPASSWORD), or give the whole "
                          "address in a file readable only by the server (--db-file)");
        // Defaults first: what the address says overrides them.
        const char *keys[] = {"connect_timeout", "application_name", "client_encoding", "dbname", nullptr};
        const char *values[] = {"5", "vendrix-server", "UTF8", uri.c_str(), nullptr};
        conn_ = PQconnectdbParams(keys, values, 1);
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            const std::string msg = conn_ ? trimmed(PQerrorMessage(conn_)) : "out of memory";
            if (conn_)
                PQfinish(conn_);
            conn_ = nullptr;
            throw DbError("cannot connect to the PostgreSQL database " + where() + ": " + msg, DbError::kUnavailable);
        }
        setUp();
        const char *encoding = PQparameterStatus(conn_, "server_encoding");
        if (!encoding || std::string(encoding) != "UTF8") {
            PQfinish(conn_);
            conn_ = nullptr;
            throw DbError("the PostgreSQL database " + where() + " must use the encoding UTF8 (it uses "
                + (encoding ? encoding : "?") + "); create it with ENCODING 'UTF8'");
        }
    }

    ~PgEngine() override
    {
        if (conn_)
            PQfinish(conn_);
    }

    Engine engine() const override { return Engine::Postgres; }

    std::unique_ptr<StmtImpl> prepare(const std::string &sql) override
    {
        ensureConnected();
        auto it = cache_.find(sql);
        if (it == cache_.end()) {
            Prepared p;
            p.name = "vx" + std::to_string(++statements_);
            p.sql = toDollarParams(sql);
            const std::string table = insertTable(sql);
            if (kTablesWithId.count(table) && sql.find("RETURNING") == std::string::npos) {
                p.sql += " RETURNING id";
                p.returnsId = true;
            }
            // A search through a trigram index is planned anew for every
            // text it is given (0.5 ms and more, most of what a search
            // costs), and PostgreSQL keeps doing so whenever its first
            // plans looked cheap (rare texts); the plan made without the
            // text serves every text alike.
            p.generic = sql.find("vx_substring_pattern(") != std::string::npos;
            check(PQprepare(conn_, p.name.c_str(), p.sql.c_str(), 0, nullptr), "prepare", p.sql);
            PGresult *d = PQdescribePrepared(conn_, p.name.c_str());
            check(d, "describe", p.sql, false);
            for (int i = 0; i < PQnparams(d); ++i)
                p.paramTypes.push_back(PQparamtype(d, i));
            PQclear(d);
            it = cache_.emplace(sql, std::move(p)).first;
        }
        return std::make_unique<PgStmt>(this, &it->second);
    }

    void exec(const std::string &sql) override
    {
        const bool ends = sql == "COMMIT" || sql == "ROLLBACK";
        if (ends) // a statement meant to take the COMMIT along never ran
            commitNext_ = false;
        if (ends && committed_) { // committed with its last statement
            committed_ = false;
            return;
        }
        if (ends && !begin_.empty()) { // nothing ran: nothing to end
            begin_.clear();
            inTransaction_ = false;
            return;
        }
        if (sql == "ROLLBACK" && !connected()) { // the server ended it with the session
            inTransaction_ = false;
            return;
        }
        ensureConnected();
        std::string all;
        for (const auto &q : begin_)
            all += q + "; ";
        all += sql;
        begin_.clear();
        if (ends)
            inTransaction_ = false;
        check(PQexec(conn_, all.c_str()), "exec", all);
    }

    std::int64_t lastInsertId() const override { return lastId_; }
    int changes() const override { return changes_; }
    void beginWrite(WriteKind kind) override { begin({"BEGIN", kind == WriteKind::Adding ? kAddingLock : kAloneLock}); }
    // A settled snapshot: SHARE waits for every transaction that has
    // written to the table (each holds ROW EXCLUSIVE from before it draws
    // an id until it ends) and keeps new ones out until this one ends; the
    // snapshot is taken by the first statement after it.
    void beginRead(const std::string &settled) override
    {
        std::vector<std::string> statements {"BEGIN ISOLATION LEVEL REPEATABLE READ"};
        if (!settled.empty())
            statements.push_back("LOCK TABLE \"" + settled + "\" IN SHARE MODE");
        begin(std::move(statements));
    }
    bool writesInTurn() const override { return false; }
    void commitWithNext() override { commitNext_ = inTransaction_; }

    static constexpr const char *kGenericPlans = "SELECT set_config('plan_cache_mode', 'force_generic_plan', true)";
    static constexpr const char *kGenericPlansName = "vx_generic_plans";

    PGresult *execute(
        const Prepared &p, const std::vector<std::optional<std::string>> &values, const std::vector<int> &formats)
    {
        // Prepared on a connection that is gone: the request fails; the
        // next one connects again.
        if (!connected())
            throw DbError("the PostgreSQL database " + where() + " is unreachable", DbError::kUnavailable);
        std::vector<const char *> v;
        std::vector<int> lengths;
        for (const auto &x : values) {
            v.push_back(x ? x->data() : nullptr);
            lengths.push_back(x ? static_cast<int>(x->size()) : 0);
        }
        std::vector<std::string> before = std::move(begin_);
        begin_.clear();
        // Local to the transaction: outside one, to the pipeline's own
        // (PostgreSQL 12 and later; older ones plan every search).
        if (p.generic && PQserverVersion(conn_) >= 120000)
            before.emplace_back(kGenericPlans);
        const bool commits = commitNext_;
        commitNext_ = false;
        PGresult *r = before.empty() && !commits
            ? PQexecPrepared(
                conn_, p.name.c_str(), static_cast<int>(v.size()), v.data(), lengths.data(), formats.data(), 0)
            : executeAfter(before, p, commits, static_cast<int>(v.size()), v.data(), lengths.data(), formats.data());
        // A failed statement leaves its transaction open (and failed) for
        // the ROLLBACK; a failed COMMIT ended it.
        if (commits && (committed_ || commitFailed_))
            inTransaction_ = false;
        check(r, "step", p.sql, false);
        if (PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK) {
            const char *n = PQcmdTuples(r);
            changes_ = n && *n ? std::atoi(n) : 0;
        }
        if (p.returnsId && PQntuples(r) > 0)
            lastId_ = std::strtoll(PQgetvalue(r, PQntuples(r) - 1, 0), nullptr, 10);
        return r;
    }

private:
    // The address for messages: without anything after "?" (options may
    // hold secrets) and without a password.
    std::string where() const
    {
        std::string shown = uri_.substr(0, uri_.find('?'));
        const std::size_t start = shown.find("://") + 3;
        const std::size_t at = shown.find('@', start);
        const std::size_t colon = shown.find(':', start);
        if (at != std::string::npos && colon < at)
            shown.erase(colon, at - colon);
        return shown;
    }
    static std::string trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        for (auto &ch : s)
            if (ch == '\n')
                ch = ' ';
        return s;
    }

    bool connected() const { return !broken_ && PQstatus(conn_) == CONNECTION_OK; }

    void begin(std::vector<std::string> statements)
    {
        ensureConnected();
        begin_ = std::move(statements);
        inTransaction_ = true;
        commitNext_ = committed_ = false;
    }

    // The statements, then the prepared one, then COMMIT if `commits`, in
    // one pipeline: the result of the prepared one, or the first that
    // failed before it, or the failed COMMIT.
    PGresult *executeAfter(const std::vector<std::string> &statements, const Prepared &p, bool commits, int n,
        const char *const *values, const int *lengths, const int *formats)
    {
        committed_ = commitFailed_ = false;
        bool ok = PQenterPipelineMode(conn_) == 1;
        for (const auto &q : statements)
            ok = ok
                && (q == kGenericPlans ? PQsendQueryPrepared(conn_, kGenericPlansName, 0, nullptr, nullptr, nullptr, 0)
                                       : PQsendQueryParams(conn_, q.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0))
                    == 1;
        ok = ok && PQsendQueryPrepared(conn_, p.name.c_str(), n, values, lengths, formats, 0) == 1;
        if (commits)
            ok = ok && PQsendQueryParams(conn_, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        ok = ok && PQpipelineSync(conn_) == 1;
        PGresult *failed = nullptr;
        PGresult *last = nullptr;
        PGresult *commit = nullptr;
        // One result per statement, each followed by a null, then the sync.
        for (std::size_t i = 0; ok && i <= statements.size() + (commits ? 1 : 0); ++i) {
            PGresult *r = PQgetResult(conn_);
            ok = r != nullptr;
            while (PGresult *more = PQgetResult(conn_))
                PQclear(more);
            const auto status = PQresultStatus(r);
            if (i == statements.size())
                last = r;
            else if (i > statements.size())
                commit = r;
            else if (!failed && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
                failed = r;
            else
                PQclear(r);
        }
        if (commit) {
            const auto lastStatus = PQresultStatus(last);
            if (lastStatus == PGRES_COMMAND_OK || lastStatus == PGRES_TUPLES_OK) {
                if (PQresultStatus(commit) == PGRES_COMMAND_OK) {
                    committed_ = true;
                } else {
                    commitFailed_ = true;
                    PQclear(last);
                    last = commit;
                    commit = nullptr;
                }
            }
            PQclear(commit);
        }
        if (ok) {
            PGresult *sync = PQgetResult(conn_);
            ok = PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
            PQclear(sync);
        }
        // Out of step with the server: this session is of no further use.
        broken_ = !ok || PQexitPipelineMode(conn_) != 1;
        if (failed) {
            PQclear(last);
            return failed;
        }
        return last;
    }

    void setUp()
    {
        PQsetNoticeProcessor(
            conn_, [](void *, const char *) {}, nullptr);
        check(PQexec(conn_, "SET client_min_messages = warning"), "exec", "SET");
        // Sent before every search, so parsed once.
        if (PQserverVersion(conn_) >= 120000)
            check(PQprepare(conn_, kGenericPlansName, kGenericPlans, 0, nullptr), "prepare", kGenericPlans);
    }

    // After a lost connection the next request connects again; until that
    // succeeds every request fails as unavailable (503). Never inside a
    // transaction: what it did went with the old session.
    void ensureConnected()
    {
        if (connected())
            return;
        if (inTransaction_)
            throw DbError("the PostgreSQL database " + where() + " went away in a transaction", DbError::kUnavailable);
        PQreset(conn_);
        broken_ = false;
        if (PQstatus(conn_) != CONNECTION_OK)
            throw DbError("the PostgreSQL database " + where() + " is unreachable: " + trimmed(PQerrorMessage(conn_)),
                DbError::kUnavailable);
        cache_.clear(); // prepared statements die with their session
        setUp();
    }

    // Throws DbError for a failed result (and frees it); otherwise frees it
    // unless `keep`.
    void check(PGresult *r, const char *what, const std::string &sql, bool clear = true)
    {
        const auto status = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
            if (clear)
                PQclear(r);
            return;
        }
        const int code =
            !connected() ? DbError::kUnavailable : codeOf(r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr);
        const std::string msg = trimmed(r ? PQresultErrorMessage(r) : PQerrorMessage(conn_));
        if (r)
            PQclear(r);
        throw DbError(std::string(what) + ": " + msg + " in: " + sql, code);
    }

    std::string uri_;
    PGconn *conn_ = nullptr;
    std::map<std::string, Prepared> cache_;
    int statements_ = 0;
    std::int64_t lastId_ = 0;
    int changes_ = 0;
    // The statements that begin the open transaction, not sent yet.
    std::vector<std::string> begin_;
    bool inTransaction_ = false;
    // A pipeline went wrong: the session is reset at the next chance.
    bool broken_ = false;
    // The next statement takes the transaction's COMMIT along
    // (commitWithNext()); it did, and the COMMIT succeeded or failed.
    bool commitNext_ = false;
    bool committed_ = false;
    bool commitFailed_ = false;
};

bool PgStmt::step()
{
    if (!ran_) {
        res_ = owner_->execute(*p_, values_, formats_);
        ran_ = true;
        row_ = -1;
    }
    return ++row_ < PQntuples(res_);
}

} // namespace

std::unique_ptr<DbEngine> openPostgres(const std::string &uri, const DbSettings &settings)
{
    return std::make_unique<PgEngine>(uri, settings.addressIsPrivate);
}

} // namespace vx
