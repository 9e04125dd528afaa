#include "db.h"

#include <sqlite3.h>

#include <vector>

namespace vx {

namespace {

// Each entry moves the schema one version up; entries are never edited once
// released, new changes go into a new entry.
const std::vector<const char *> kMigrations = {
    // 1: initial schema
    R"SQL(
CREATE TABLE meta(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE users(
    id INTEGER PRIMARY KEY,
    username TEXT NOT NULL UNIQUE,
    surname TEXT NOT NULL DEFAULT '',
    lastname TEXT NOT NULL DEFAULT '',
    salt BLOB NOT NULL,
    password_hash BLOB NOT NULL,
    iterations INTEGER NOT NULL
);
-- Only a SHA-256 of each token is kept, so a copy of the database file does
-- not hand out live sessions.
CREATE TABLE tokens(
    token_hash TEXT PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    created_at TEXT NOT NULL
);
-- Columns without a declared type keep whatever the client sent: text stays
-- text ("12,50"), numbers stay numbers.
CREATE TABLE customer_commercial(
    id INTEGER PRIMARY KEY,
    company TEXT NOT NULL,
    vatid TEXT NOT NULL,
    fuel_surcharge,
    contact_person TEXT NOT NULL
);
CREATE TABLE customers(
    id INTEGER PRIMARY KEY,
    surname TEXT NOT NULL,
    lastname TEXT NOT NULL,
    address_street_no TEXT NOT NULL,
    address_zipcode TEXT NOT NULL,
    address_town TEXT NOT NULL,
    address_province TEXT NOT NULL,
    address_country INTEGER NOT NULL,
    phone TEXT NOT NULL,
    fax TEXT NOT NULL,
    email TEXT NOT NULL,
    info TEXT NOT NULL,
    commercialability INTEGER NOT NULL,
    commercial_id INTEGER REFERENCES customer_commercial(id)
);
-- "position" orders the list the client sees: position 0 is its default
-- rate, position 1 the one it preselects for worldwide express.
CREATE TABLE taxes(
    id INTEGER PRIMARY KEY,
    tax TEXT NOT NULL,
    rate INTEGER NOT NULL,
    position INTEGER NOT NULL
);
INSERT INTO taxes(id, tax, rate, position) VALUES (1, '19%', 19, 0), (2, '0%', 0, 1), (3, '16%', 16, 2);
CREATE TABLE orders(
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    prozentsatz_id INTEGER NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart INTEGER NOT NULL,
    versandpartner INTEGER NOT NULL,
    richtung INTEGER NOT NULL,
    verkaufspreis,
    einkaufspreis,
    zustellung_im_aussengebiet INTEGER NOT NULL,
    abholung_im_aussengebiet INTEGER NOT NULL,
    versand_oversized INTEGER NOT NULL,
    versand_heavy_weight INTEGER NOT NULL,
    versand_nicht_stapelbare_palette INTEGER NOT NULL,
    zustellung_samstags INTEGER NOT NULL,
    abholung_samstags INTEGER NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung INTEGER NOT NULL,
    praemie_fuer_transportversicherung INTEGER NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung,
    gebuehr_fuer_erstellung_einer_ae INTEGER NOT NULL,
    gebuehr_fuer_kein_envelope INTEGER NOT NULL,
    zeitfensterzustellung INTEGER NOT NULL,
    betrag_fuer_zeitfenstereinstellungen,
    revision INTEGER NOT NULL DEFAULT 1,
    created_at TEXT NOT NULL
);
CREATE INDEX orders_customer ON orders(customer_id);
-- One document (one PDF, one invoice number) per confirmed billing; it may
-- cover several invoice records.
CREATE TABLE documents(
    id INTEGER PRIMARY KEY,
    invoice_no TEXT UNIQUE,
    capability TEXT NOT NULL UNIQUE,
    file_name TEXT NOT NULL,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    issued_at TEXT NOT NULL
);
CREATE TABLE invoices(
    id INTEGER PRIMARY KEY,
    document_id INTEGER NOT NULL REFERENCES documents(id),
    order_id INTEGER,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    prozentsatz_id INTEGER NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart INTEGER NOT NULL,
    versandpartner INTEGER NOT NULL,
    richtung INTEGER NOT NULL,
    verkaufspreis,
    einkaufspreis,
    zustellung_im_aussengebiet INTEGER NOT NULL,
    abholung_im_aussengebiet INTEGER NOT NULL,
    versand_oversized INTEGER NOT NULL,
    versand_heavy_weight INTEGER NOT NULL,
    versand_nicht_stapelbare_palette INTEGER NOT NULL,
    zustellung_samstags INTEGER NOT NULL,
    abholung_samstags INTEGER NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung INTEGER NOT NULL,
    praemie_fuer_transportversicherung INTEGER NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung,
    gebuehr_fuer_erstellung_einer_ae INTEGER NOT NULL,
    gebuehr_fuer_kein_envelope INTEGER NOT NULL,
    zeitfensterzustellung INTEGER NOT NULL,
    betrag_fuer_zeitfenstereinstellungen,
    billed_at TEXT NOT NULL
);
CREATE INDEX invoices_document ON invoices(document_id);
CREATE INDEX invoices_customer ON invoices(customer_id);
-- A checkout preview remembers the revision of every order it showed, so a
-- confirmation can tell whether the user saw what gets billed.
CREATE TABLE billings(
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    mode TEXT NOT NULL,
    created_at TEXT NOT NULL,
    confirmed_at TEXT,
    document_id INTEGER REFERENCES documents(id)
);
CREATE TABLE billing_orders(
    billing_id INTEGER NOT NULL REFERENCES billings(id) ON DELETE CASCADE,
    order_id INTEGER NOT NULL,
    revision INTEGER NOT NULL,
    PRIMARY KEY(billing_id, order_id)
);
CREATE TABLE categories(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE articlegroups(
    id INTEGER PRIMARY KEY,
    articlename TEXT NOT NULL,
    articleno TEXT NOT NULL,
    farbe TEXT NOT NULL,
    size TEXT NOT NULL,
    typ TEXT NOT NULL,
    quantity INTEGER NOT NULL CHECK(quantity >= 0),
    storage_location TEXT NOT NULL,
    category_id INTEGER REFERENCES categories(id),
    customer_id INTEGER REFERENCES customers(id)
);
-- The record id is always set to the delivery order number.
CREATE TABLE deliveryorders(
    id INTEGER PRIMARY KEY,
    deliveryorders_no INTEGER NOT NULL UNIQUE,
    delivery_date TEXT NOT NULL,
    created INTEGER NOT NULL,
    customer_id INTEGER REFERENCES customers(id),
    generated_at TEXT
);
CREATE TABLE articleinventory(
    id INTEGER PRIMARY KEY,
    eanno TEXT NOT NULL,
    quantity INTEGER NOT NULL CHECK(quantity >= 0),
    articlegroup_id INTEGER NOT NULL REFERENCES articlegroups(id),
    deliveryorder_no INTEGER NOT NULL REFERENCES deliveryorders(deliveryorders_no)
);
CREATE INDEX articleinventory_group ON articleinventory(articlegroup_id);
CREATE INDEX articleinventory_delivery ON articleinventory(deliveryorder_no);
)SQL",
};

// Decodes one UTF-8 sequence at s[i]; malformed bytes come back as-is so
// folding never loses data.
std::uint32_t decodeUtf8(const std::string &s, std::size_t &i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    auto cont = [&](std::size_t k) {
        return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    if (c < 0x80) {
        i += 1;
        return c;
    }
    if ((c & 0xE0) == 0xC0 && cont(1)) {
        std::uint32_t cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
        i += 2;
        return cp;
    }
    if ((c & 0xF0) == 0xE0 && cont(1) && cont(2)) {
        std::uint32_t cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6)
            | (static_cast<unsigned char>(s[i + 2]) & 0x3F);
        i += 3;
        return cp;
    }
    if ((c & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
        std::uint32_t cp = ((c & 0x07) << 18) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 12)
            | ((static_cast<unsigned char>(s[i + 2]) & 0x3F) << 6) | (static_cast<unsigned char>(s[i + 3]) & 0x3F);
        i += 4;
        return cp;
    }
    i += 1;
    return 0xFFFD;
}

void appendUtf8(std::string &out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void sqlFold(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int len = sqlite3_value_bytes(argv[0]);
    const std::string folded = foldCase(std::string(text ? text : "", static_cast<std::size_t>(len)));
    sqlite3_result_text(ctx, folded.c_str(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

std::string foldCase(const std::string &utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        std::uint32_t cp = decodeUtf8(utf8, i);
        if (cp == 0xFFFD && i == start + 1 && static_cast<unsigned char>(utf8[start]) >= 0x80) {
            out += utf8[start]; // keep a stray byte untouched
            continue;
        }
        if (cp >= 'A' && cp <= 'Z')
            cp += 32;
        else if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) // Latin-1 capitals, Ä Ö Ü among them
            cp += 32;
        else if (cp == 0x1E9E) // capital sharp s
            cp = 0xDF;
        appendUtf8(out, cp);
    }
    return out;
}

// ---------------------------------------------------------------- Stmt

Stmt::Stmt(Db *owner, sqlite3 *db, sqlite3_stmt *s, bool temporary)
    : owner_(owner), db_(db), s_(s), temporary_(temporary)
{
}

Stmt::Stmt(Stmt &&other) noexcept : owner_(other.owner_), db_(other.db_), s_(other.s_), temporary_(other.temporary_)
{
    other.s_ = nullptr;
}

Stmt::~Stmt()
{
    if (s_)
        owner_->release(s_, temporary_);
}

namespace {
void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK)
        throw DbError(std::string(what) + ": " + sqlite3_errmsg(db));
}
} // namespace

Stmt &Stmt::bind(int idx, std::int64_t v)
{
    check(db_, sqlite3_bind_int64(s_, idx, v), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, double v)
{
    check(db_, sqlite3_bind_double(s_, idx, v), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, const std::string &v)
{
    check(db_, sqlite3_bind_text(s_, idx, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

Stmt &Stmt::bindBlob(int idx, const std::string &bytes)
{
    check(db_, sqlite3_bind_blob(s_, idx, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT), "bind");
    return *this;
}

Stmt &Stmt::bindNull(int idx)
{
    check(db_, sqlite3_bind_null(s_, idx), "bind");
    return *this;
}

Stmt &Stmt::bind(int idx, const std::optional<std::int64_t> &v)
{
    return v ? bind(idx, *v) : bindNull(idx);
}

Stmt &Stmt::bindJson(int idx, const Json &v)
{
    if (v.is_string())
        return bind(idx, v.get<std::string>());
    if (v.is_number_integer())
        return bind(idx, v.get<std::int64_t>());
    if (v.is_number())
        return bind(idx, v.get<double>());
    if (v.is_boolean())
        return bind(idx, v.get<bool>());
    return bindNull(idx);
}

bool Stmt::step()
{
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DbError(std::string("step: ") + sqlite3_errmsg(db_));
}

void Stmt::run()
{
    while (step()) { }
}

bool Stmt::isNull(int col) const
{
    return sqlite3_column_type(s_, col) == SQLITE_NULL;
}

std::int64_t Stmt::getInt(int col) const
{
    return sqlite3_column_int64(s_, col);
}

double Stmt::getDouble(int col) const
{
    return sqlite3_column_double(s_, col);
}

std::string Stmt::getText(int col) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s_, col));
    const int n = sqlite3_column_bytes(s_, col);
    return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

std::string Stmt::getBlob(int col) const
{
    const auto *p = static_cast<const char *>(sqlite3_column_blob(s_, col));
    const int n = sqlite3_column_bytes(s_, col);
    return p ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

Json Stmt::getJson(int col) const
{
    switch (sqlite3_column_type(s_, col)) {
    case SQLITE_INTEGER:
        return getInt(col);
    case SQLITE_FLOAT:
        return getDouble(col);
    case SQLITE_NULL:
        return nullptr;
    default:
        return getText(col);
    }
}

Json Stmt::getIntOrNull(int col) const
{
    if (isNull(col))
        return nullptr;
    return getInt(col);
}

// ---------------------------------------------------------------- Db

Db::Db(const std::string &path)
{
    const int rc =
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw DbError("cannot open database " + path + ": " + msg);
    }
    sqlite3_busy_timeout(db_, 5000);
    sqlite3_create_function_v2(
        db_, "vx_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlFold, nullptr, nullptr, nullptr);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    exec("PRAGMA foreign_keys=ON");
    migrate();
}

Db::~Db()
{
    for (auto &[sql, c] : cache_)
        sqlite3_finalize(c.stmt);
    if (db_) {
        // Folds the WAL back into the main file so a copied database file
        // is complete on its own.
        sqlite3_wal_checkpoint_v2(db_, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_close(db_);
    }
}

Stmt Db::prepare(const std::string &sql)
{
    auto it = cache_.find(sql);
    if (it != cache_.end() && !it->second.inUse) {
        it->second.inUse = true;
        return Stmt(this, db_, it->second.stmt, false);
    }
    sqlite3_stmt *s = nullptr;
    const bool cacheIt = it == cache_.end();
    const int rc = sqlite3_prepare_v3(
        db_, sql.c_str(), static_cast<int>(sql.size()), cacheIt ? SQLITE_PREPARE_PERSISTENT : 0, &s, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(std::string("prepare: ") + sqlite3_errmsg(db_) + " in: " + sql);
    if (!cacheIt) // the cached one is busy (nested use of the same query)
        return Stmt(this, db_, s, true);
    auto &slot = cache_[sql];
    slot.stmt = s;
    slot.inUse = true;
    byStmt_[s] = &slot;
    return Stmt(this, db_, s, false);
}

void Db::release(sqlite3_stmt *s, bool temporary)
{
    if (temporary) {
        sqlite3_finalize(s);
        return;
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    auto it = byStmt_.find(s);
    if (it != byStmt_.end())
        it->second->inUse = false;
}

void Db::exec(const std::string &sql)
{
    char *err = nullptr;
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw DbError(msg);
    }
}

std::int64_t Db::lastInsertId() const
{
    return sqlite3_last_insert_rowid(db_);
}

int Db::changes() const
{
    return sqlite3_changes(db_);
}

int Db::schemaVersion()
{
    auto s = prepare("SELECT version FROM schema_version");
    return s.step() ? static_cast<int>(s.getInt(0)) : 0;
}

void Db::migrate()
{
    exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
    int version = schemaVersion();
    if (version > static_cast<int>(kMigrations.size()))
        throw DbError("database schema version " + std::to_string(version) + " is newer than this server understands");
    while (version < static_cast<int>(kMigrations.size())) {
        Transaction tx(*this);
        exec(kMigrations[static_cast<std::size_t>(version)]);
        ++version;
        exec("DELETE FROM schema_version");
        prepare("INSERT INTO schema_version(version) VALUES (?)").bind(1, version).run();
        tx.commit();
    }
}

std::optional<std::string> Db::meta(const std::string &key)
{
    auto s = prepare("SELECT value FROM meta WHERE key = ?");
    s.bind(1, key);
    if (s.step())
        return s.getText(0);
    return std::nullopt;
}

void Db::setMeta(const std::string &key, const std::string &value)
{
    prepare("INSERT INTO meta(key, value) VALUES (?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value")
        .bind(1, key)
        .bind(2, value)
        .run();
}

// ---------------------------------------------------------------- Transaction

Transaction::Transaction(Db &db) : db_(db), depth_(db.txDepth_)
{
    db_.exec(depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT tx" + std::to_string(depth_));
    ++db_.txDepth_;
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        if (depth_ == 0) {
            db_.exec("ROLLBACK");
        } else {
            const std::string sp = "tx" + std::to_string(depth_);
            db_.exec("ROLLBACK TO " + sp);
            db_.exec("RELEASE " + sp);
        }
    } catch (...) {
    }
    --db_.txDepth_;
}

void Transaction::commit()
{
    db_.exec(depth_ == 0 ? std::string("COMMIT") : "RELEASE tx" + std::to_string(depth_));
    done_ = true;
    --db_.txDepth_;
}

} // namespace vx
