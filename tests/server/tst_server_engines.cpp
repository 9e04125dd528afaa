// vendrix-server on PostgreSQL: what only a database server brings (an
// address, outages, a schema shared with other servers), concurrent
// writers on both engines, and the move of an SQLite database into
// PostgreSQL. Each case runs the built binary against a private
// PostgreSQL server started for this test.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "db.h"
#include "pg_instance.h"
#include "server_checks.h"
#include "server_harness.h"

using namespace vxtest;

namespace {

const std::string kUser = "demo";
const std::string kPassword = "vendrix-demo";

Json orderBody(std::int64_t customerId, const Json &price)
{
    Json b;
    b["customer_id"] = std::to_string(customerId);
    b["datum"] = "03.06.2024";
    b["belegnummer"] = "B-7";
    b["referenz"] = "Ref";
    b["textbeschreibung"] = "Paket für Müller";
    b["gewicht"] = "2,5";
    b["sendungsart"] = 3;
    b["versandpartner"] = 0;
    b["richtung"] = 3;
    b["prozentsatz_id"] = 1;
    b["verkaufspreis"] = price;
    b["einkaufspreis"] = 5;
    for (const char *flag : {"zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
             "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags", "abholung_samstags",
             "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
             "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"})
        b[flag] = false;
    b["betrag_fuer_praemie_fuer_transportversicherung"] = "";
    b["betrag_fuer_zeitfenstereinstellungen"] = "";
    return b;
}

Json customerBody(const std::string &surname, const std::string &lastname)
{
    return Json {{"surname", surname}, {"lastname", lastname}, {"address_street_no", "Teststraße 1"},
        {"address_zipcode", "20095"}, {"address_town", "Hamburg"}, {"address_country", 36},
        {"address_province", "Hamburg"}, {"phone", "040 1"}, {"fax", ""}, {"email", "t@example.de"}, {"info", ""},
        {"commercialability", false}};
}

// Every record of a paged list, without the links that name the server's
// port.
Json allPages(Api &api, const std::string &resource)
{
    Json all = Json::array();
    for (int page = 1; page < 1000; ++page) {
        const Reply r = api.get("/" + resource + "?page=" + std::to_string(page));
        if (r.status != 200)
            break;
        for (auto rec : r.json()) {
            rec.erase("attachement_link");
            all.push_back(rec);
        }
    }
    return all;
}

// The database's write lock, held from outside the server for a moment, as
// another server on the same database or a long write holds it: requests
// that arrive meanwhile queue for it, so whatever they looked at before
// taking it has had every chance to change.
class WriteLock
{
public:
    WriteLock(bool postgres, const QString &db) : postgres_(postgres), db_(db.toStdString()) { }

    void take()
    {
        if (postgres_) {
            pg_ = PQconnectdb(db_.c_str());
            // The lock every write transaction of the server takes first.
            PQclear(PQexec(pg_, "SELECT pg_advisory_lock(7346193)"));
        } else {
            sqlite3_open_v2(db_.c_str(), &lite_, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_exec(lite_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        }
    }

    void release()
    {
        if (postgres_) {
            PQfinish(pg_);
            pg_ = nullptr;
        } else {
            sqlite3_exec(lite_, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(lite_);
            lite_ = nullptr;
        }
    }

private:
    bool postgres_;
    std::string db_;
    PGconn *pg_ = nullptr;
    sqlite3 *lite_ = nullptr;
};

// Sends each request on a connection of its own, all at one moment: every
// connection is open before the requests are released together, while the
// database's write lock is held for a tenth of a second.
class Racers
{
public:
    using Call = std::function<Reply(Api &)>;

    Racers(int port, const std::string &token, int connections, WriteLock &lock) : lock_(lock)
    {
        for (int i = 0; i < connections; ++i) {
            apis_.push_back(std::make_unique<Api>(port));
            apis_.back()->setToken(token);
        }
    }

    // The replies in the order of the calls.
    std::vector<Reply> run(const std::vector<Call> &calls)
    {
        std::vector<Reply> replies(calls.size());
        std::atomic<std::size_t> ready {0};
        std::vector<std::thread> threads;
        lock_.take();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            threads.emplace_back([&, i] {
                Api &api = *apis_.at(i);
                api.get("/me"); // connected (again) before the start
                ++ready;
                while (ready.load() < calls.size())
                    std::this_thread::yield();
                replies[i] = calls[i](api);
            });
        }
        while (ready.load() < calls.size())
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        lock_.release();
        for (auto &t : threads)
            t.join();
        return replies;
    }

private:
    WriteLock &lock_;
    std::vector<std::unique_ptr<Api>> apis_;
};

// The statuses of replies, for messages.
QByteArray statuses(const std::vector<Reply> &replies)
{
    QByteArray out;
    for (const auto &r : replies)
        out +=
            QByteArray::number(r.status) + (r.status >= 500 ? "(" + QByteArray::fromStdString(r.body) + ")" : "") + " ";
    return out;
}

bool anyServerError(const std::vector<Reply> &replies)
{
    for (const auto &r : replies)
        if (r.status >= 500 || r.status == 0)
            return true;
    return false;
}

int countStatus(const std::vector<Reply> &replies, int status)
{
    int n = 0;
    for (const auto &r : replies)
        n += r.status == status;
    return n;
}

Json deliveryOrderBody(std::int64_t number)
{
    return Json {{"delivery_date", "2024-06-03T09:00:00.000Z"}, {"deliveryorders_no", number}, {"created", false},
        {"customer_id", 1}};
}

// Every column an engine's catalogue lists once the schema is current, as
// "table.column class" (integer, text, blob, or "any": a value kept as the
// client sent it, text or number) and "not null" where it is. SQLite's
// implicit rowid is a column of PostgreSQL's search and token tables; an
// FTS5 table holds text, never null (its triggers fold texts that are not
// null); a key column is never null on PostgreSQL.
QStringList catalogue(vx::Db &db)
{
    const bool pg = db.engine() == vx::Engine::Postgres;
    auto s = db.prepare(pg
            ? "SELECT c.relname AS t, a.attname AS col, format_type(a.atttypid, NULL) AS type, "
              "a.attnotnull AS required FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid "
              "WHERE c.relnamespace = (SELECT oid FROM pg_namespace WHERE nspname = current_schema()) "
              "AND c.relkind = 'r' AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> 'rowid'"
            : "SELECT l.name AS t, p.name AS col, CASE WHEN l.type = 'virtual' THEN 'text' ELSE p.type END AS type, "
              "l.type = 'virtual' OR p.\"notnull\" OR p.pk AS required FROM pragma_table_list l JOIN "
              "pragma_table_info(l.name) p "
              "WHERE l.schema = 'main' AND l.type IN ('table', 'virtual') AND l.name NOT LIKE 'sqlite_%'");
    const std::map<std::string, std::string> classes {{"integer", "integer"}, {"bigint", "integer"}, {"text", "text"},
        {"blob", "blob"}, {"bytea", "blob"}, {"", "any"}, {"jsonb", "any"}};
    QStringList out;
    while (s.step()) {
        const std::string type = QString::fromStdString(s.getText("type")).toLower().toStdString();
        const auto known = classes.find(type);
        out << QString::fromStdString(s.getText("t") + "." + s.getText("col") + " "
            + (known == classes.end() ? type : known->second) + (s.getBool("required") ? " not null" : ""));
    }
    out.sort();
    return out;
}

} // namespace

class ServerEnginesTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<PgInstance> pg_;

    QStringList args(const QString &db) const { return {"--listen", "127.0.0.1:0", "--db", db}; }
    // A server that must refuse to start: its exit code and what it said.
    std::pair<int, QString> refusedStart(const QStringList &arguments)
    {
        ServerProcess s;
        if (s.start(arguments))
            return {0, "it started"};
        return {s.waitForExit(10000), s.errorOutput()};
    }

private slots:
    void initTestCase();
    void startIsRefusedWithAClearReason();
    void newerSchemaIsRefused();
    void bothEnginesEndAtTheSameColumns();
    void searchIndexesComeWithTheExtension();
    void pagesHoldEveryRowWhileWritesOverlap();
    void searchesAmongManyCustomers();
    void lostDatabaseAnswers503AndRecovers();
    void concurrentWritersLoseNothing_data();
    void concurrentWritersLoseNothing();
    void sqliteDatabaseMovesIntoPostgres();
    void racingRequestsAnswerAsInTurn_data();
    void racingRequestsAnswerAsInTurn();
};

void ServerEnginesTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    if (!PgInstance::installed())
        QSKIP("PostgreSQL's server binaries are not installed (postgresql package); nothing to test here");
    pg_ = std::make_unique<PgInstance>();
    QVERIFY2(pg_->start(), qPrintable(pg_->lastError()));
}

void ServerEnginesTest::startIsRefusedWithAClearReason()
{
    QElapsedTimer timer;
    timer.start();
    const auto unreachable = refusedStart(args(pg_->unreachableAddress()));
    QCOMPARE(unreachable.first, 1);
    QVERIFY2(unreachable.second.contains("cannot connect to the PostgreSQL database"), qPrintable(unreachable.second));
    QVERIFY(timer.elapsed() < 8000);

    // A password in the address would be readable in the process list.
    const QString withPassword =
        pg_->database("pw").replace("postgresql://vendrix@", "postgresql://vendrix:Geheim-77@");
    const auto refused = refusedStart(args(withPassword));
    QCOMPARE(refused.first, 1);
    QVERIFY2(
        refused.second.contains("PGPASSFILE") && !refused.second.contains("Geheim-77"), qPrintable(refused.second));

    // The same address from a file only the server's user reads is taken;
    // the process list does not show it.
    QFile address(dir_.filePath("db-address"));
    QVERIFY(address.open(QIODevice::WriteOnly));
    address.write(withPassword.toUtf8() + "\n");
    address.close();
    address.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    ServerProcess fromFile;
    QVERIFY2(
        fromFile.start({"--listen", "127.0.0.1:0", "--db-file", address.fileName()}), qPrintable(fromFile.lastError()));
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(fromFile.pid()));
    QVERIFY(cmdline.open(QIODevice::ReadOnly) && !cmdline.readAll().contains("Geheim-77"));
    QCOMPARE(fromFile.stop(), 0);
}

void ServerEnginesTest::newerSchemaIsRefused()
{
    const QString db = pg_->database("newer");
    {
        ServerProcess s;
        QVERIFY2(s.start(args(db)), qPrintable(s.lastError()));
        QCOMPARE(s.stop(), 0);
    }
    QCOMPARE(pg_->sql("newer", "UPDATE schema_version SET version = version + 1"), std::string());
    const auto refused = refusedStart(args(db));
    QCOMPARE(refused.first, 1);
    QVERIFY2(refused.second.contains("newer than this server understands"), qPrintable(refused.second));
}

// Each engine has migrations of its own; whatever they do, they end at the
// same tables and columns.
void ServerEnginesTest::bothEnginesEndAtTheSameColumns()
{
    vx::Db lite(dir_.filePath("columns.db").toStdString());
    vx::Db pg(pg_->database("columns").toStdString());
    const QStringList liteColumns = catalogue(lite), pgColumns = catalogue(pg);
    QStringList onlyLite, onlyPg;
    for (const auto &c : liteColumns)
        if (!pgColumns.contains(c))
            onlyLite << c;
    for (const auto &c : pgColumns)
        if (!liteColumns.contains(c))
            onlyPg << c;
    QVERIFY2(liteColumns.size() > 100 && onlyLite.isEmpty() && onlyPg.isEmpty(),
        qPrintable("only on SQLite: " + onlyLite.join(", ") + "; only on PostgreSQL: " + onlyPg.join(", ")));
}

// A role that may not create the extension pg_trgm gets a server that
// searches all the same, and says what to do; once an admin created it,
// the next start builds the indexes and searches go through them.
void ServerEnginesTest::searchIndexesComeWithTheExtension()
{
    const QString db = pg_->database("trigrams");
    QCOMPARE(pg_->sql("trigrams", "CREATE ROLE clerk LOGIN; GRANT CREATE ON SCHEMA public TO clerk"), std::string());
    const QString asClerk = QString(db).replace("postgresql://vendrix@", "postgresql://clerk@");
    const auto search = [&](ServerProcess &s) {
        Api api(s.port());
        CHECK_STATUS(api.login(kUser, kPassword), 200);
        const Reply r = api.post("/customer/search", Json {{"fullname", "MÜLLER"}});
        CHECK_STATUS(r, 200);
        QCOMPARE(r.json()[0]["lastname"].get<std::string>(), std::string("Müller"));
    };
    {
        ServerProcess s;
        QVERIFY2(s.start(args(asClerk) << "--demo"), qPrintable(s.lastError()));
        search(s);
        QCOMPARE(s.stop(), 0);
        QVERIFY2(s.errorOutput().contains("CREATE EXTENSION pg_trgm"), qPrintable(s.errorOutput()));
    }
    QCOMPARE(pg_->value("trigrams", "SELECT count(*) FROM pg_indexes WHERE indexname LIKE '%_trigrams'"), "0");
    QCOMPARE(pg_->sql("trigrams", "CREATE EXTENSION pg_trgm"), std::string());
    ServerProcess s; // with customers enough for an index to be worth reading
    QVERIFY2(s.start(args(asClerk) << "--seed-customers"
                                   << "3000"),
        qPrintable(s.lastError()));
    QCOMPARE(pg_->value("trigrams", "SELECT count(*) FROM pg_indexes WHERE indexname LIKE '%_trigrams'"), "3");
    search(s);
    QTRY_VERIFY_WITH_TIMEOUT(pg_->value("trigrams",
                                 "SELECT idx_scan FROM pg_stat_user_indexes WHERE indexrelname = "
                                 "'customer_search_trigrams'")
            > "0",
        15000);
    QCOMPARE(s.stop(), 0);
}

// Adding writes run side by side, so a row may be committed after rows
// with higher ids; a list read meanwhile waits for it, and pages read
// later still hold every row once.
void ServerEnginesTest::pagesHoldEveryRowWhileWritesOverlap()
{
    const QString db = pg_->database("pages");
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--demo"), qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    PGconn *late = PQconnectdb(db.toUtf8().constData());
    PQclear(PQexec(late, "BEGIN"));
    PQclear(PQexec(late,
        "INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
        "address_province, address_country, phone, fax, email, info, commercialability) "
        "VALUES ('Lena', 'Late', '', '', '', '', 36, '', '', '', '', 0)"));
    for (int i = 0; i < 25; ++i)
        CHECK_STATUS(api.post("/customer", customerBody("Frieda", "Früh")), 201);
    std::thread commit([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        PQclear(PQexec(late, "COMMIT"));
    });
    const Json whileLate = allPages(api, "customer");
    commit.join();
    PQfinish(late);
    const Json after = allPages(api, "customer");
    const auto count = std::stoll(pg_->value("pages", "SELECT count(*) FROM customers"));
    QCOMPARE(static_cast<long long>(whileLate.size()), count);
    QCOMPARE(after, whileLate);
    QCOMPARE(s.stop(), 0);
}

// Among many customers a search asks the trigram index for one match more
// than it returns, then reads the first customers in id order, then asks
// the index for all matches; whichever way, it returns the first matches
// in id order, as every search does.
void ServerEnginesTest::searchesAmongManyCustomers()
{
    const QString db = pg_->database("many");
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--demo"), qPrintable(s.lastError()));
    QCOMPARE(pg_->sql("many",
                 "INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
                 "address_province, address_country, phone, fax, email, info, commercialability) SELECT 'Vera', "
                 "CASE WHEN g % 50 = 0 THEN 'Zander_1' WHEN g % 50 = 25 THEN 'Zanderx1' WHEN g % 200 = 1 THEN 'Yilmaz' "
                 "ELSE 'Q' || g END, "
                 "'', '', '', '', 36, '', '', '', '', 0 FROM generate_series(1, 60000) g; ANALYZE customer_search"),
        std::string());
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    // One customer in 25, found among the first (and one in 50, where "_"
    // is no wildcard); 300, too few among the first, all found by the index
    // and the first 200 of them returned; eleven, found by the index at
    // once. Each twice: a text that filled the search is read in id order
    // at once the next time.
    for (const std::string needle : {"zander", "zander_1", "yilmaz", "q5999", "zander", "zander_1", "yilmaz"}) {
        std::string found;
        for (const auto &c : api.post("/customer/search", Json {{"fullname", needle}}).json())
            found += (found.empty() ? "" : ",") + std::to_string(c["id"].get<std::int64_t>());
        QCOMPARE(found,
            pg_->value("many",
                "SELECT string_agg(rowid::text, ',' ORDER BY rowid) FROM (SELECT rowid FROM customer_search "
                "WHERE strpos(name, '"
                    + needle + "') > 0 ORDER BY rowid LIMIT 200) f"));
    }
    QCOMPARE(s.stop(), 0);
}

void ServerEnginesTest::lostDatabaseAnswers503AndRecovers()
{
    ServerProcess s;
    QVERIFY2(s.start(args(pg_->database("outage")) << "--demo"
                                                   << "--workers"
                                                   << "2"),
        qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    CHECK_STATUS(api.get("/customer?page=1"), 200);

    QVERIFY2(pg_->stopServer(), qPrintable(pg_->lastError()));
    for (int i = 0; i < 3; ++i) { // every worker's connection, and again
        const Reply r = api.get("/customer?page=1");
        QVERIFY2(r.status == 503, describe(r).constData());
        QCOMPARE(r.header("Retry-After"), std::string("5"));
    }
    QCOMPARE(api.post("/customer", customerBody("Olga", "Offline")).status, 503);

    QVERIFY2(pg_->startServer(), qPrintable(pg_->lastError()));
    QTRY_COMPARE_WITH_TIMEOUT(api.get("/customer?page=1").status, 200, 10000);
    for (int i = 0; i < 4; ++i) // both workers are back
        CHECK_STATUS(api.get("/me"), 200);
    CHECK_STATUS(api.post("/customer", customerBody("Olga", "Online")), 201);
    QCOMPARE(s.stop(), 0);
}

void ServerEnginesTest::concurrentWritersLoseNothing_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgresql") << true;
}

// Writers racing for the same rows: stock given back by deleted bookings,
// one billing confirmed from many tabs, one delivery-order number.
void ServerEnginesTest::concurrentWritersLoseNothing()
{
    QFETCH(bool, postgres);
    const QString db = postgres ? pg_->database("race") : dir_.filePath("race.db");
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--demo"
                              << "--workers"
                              << "8"),
        qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    const std::string token = api.token();
    constexpr int kThreads = 8;
    auto race = [&](const std::function<void(Api &, int)> &body) {
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                Api mine(s.port());
                mine.setToken(token);
                body(mine, t);
            });
        for (auto &th : threads)
            th.join();
    };

    // Stock: 48 bookings of one piece, deleted all at once, each by two
    // clients: every piece comes back exactly once.
    const Json open = api.get("/deliveryorder/checklast").json();
    QVERIFY2(!open.empty(), open.dump().c_str());
    const auto number = open[0]["deliveryorders_no"].get<std::int64_t>();
    const Reply group = api.post("/articlegroups",
        Json {{"articlename", "Rennrad"}, {"articleno", "R-1"}, {"farbe", "Rot"}, {"size", "L"}, {"typ", "Rad"},
            {"quantity", 2}, {"storage_location", "A-1"}, {"customer_id", ""}});
    CHECK_STATUS(group, 201);
    const auto groupId = group.json()["id"].get<std::int64_t>();
    std::vector<std::int64_t> bookings;
    for (int i = 0; i < 48; ++i) {
        const Reply b = api.post("/articleinventory",
            Json {{"eanno", "4000000000024"}, {"quantity", 1}, {"articlegroup_id", std::to_string(groupId)},
                {"deliveryorder_no", number}});
        CHECK_STATUS(b, 201);
        bookings.push_back(b.json()["id"].get<std::int64_t>());
    }
    std::atomic<int> deleted {0}, gone {0};
    race([&](Api &a, int t) {
        for (std::size_t i = static_cast<std::size_t>(t % (kThreads / 2)); i < bookings.size(); i += kThreads / 2) {
            const int status = a.del("/articleinventory/" + std::to_string(bookings[i])).status;
            deleted += status == 200;
            gone += status == 406;
        }
    });
    QCOMPARE(deleted.load(), 48);
    QCOMPARE(gone.load(), 48);
    QCOMPARE(api.get("/articlegroups/" + std::to_string(groupId)).json()["quantity"].get<int>(), 2 + 48);

    // Billing: one preview confirmed by every thread at once.
    const Reply customer = api.post("/customer", customerBody("Rita", "Rennen"));
    CHECK_STATUS(customer, 201);
    const auto customerId = customer.json()["id"].get<std::int64_t>();
    for (int i = 0; i < 5; ++i)
        CHECK_STATUS(api.post("/assignment", orderBody(customerId, "10,00")), 201);
    const Reply preview = api.get("/assignment/checkout/multiple/" + std::to_string(customerId));
    CHECK_STATUS(preview, 200);
    const std::string confirm = "/assignment/checkout/confirm/" + std::to_string(preview.json()["id"].get<int>());
    std::atomic<int> confirmed {0}, refused {0};
    race([&](Api &a, int) {
        const int status = a.post(confirm, std::string()).status;
        confirmed += status == 200;
        refused += status == 409;
    });
    QCOMPARE(confirmed.load(), 1);
    QCOMPARE(refused.load(), kThreads - 1);
    int billed = 0;
    for (const auto &inv : allPages(api, "invoice"))
        billed += inv.value("customer_id", Json()).dump() == std::to_string(customerId)
            || inv.value("customer_id", Json()).dump() == "\"" + std::to_string(customerId) + "\"";
    QCOMPARE(billed, 5);

    // Delivery orders: the open one is generated, then every thread asks
    // for the next number at once; one gets it.
    CHECK_STATUS(api.get("/deliveryorder/generate/" + std::to_string(number)), 200);
    std::atomic<int> created {0};
    race([&](Api &a, int) {
        const Reply r = a.post("/deliveryorder",
            Json {{"delivery_date", "2024-06-03T09:00:00.000Z"}, {"deliveryorders_no", number + 1}, {"created", false},
                {"customer_id", 1}});
        created += r.status == 201;
    });
    QCOMPARE(created.load(), 1);
    QCOMPARE(api.get("/deliveryorder/getlastno").json()[0]["deliveryorders_no"].get<std::int64_t>(), number + 1);
    QCOMPARE(s.stop(), 0);
}

void ServerEnginesTest::sqliteDatabaseMovesIntoPostgres()
{
    // An office's SQLite database with demo data and records of its own,
    // texts and numbers as the client sent them.
    const QString file = dir_.filePath("office.db");
    Json customers, orders, invoices, found;
    {
        ServerProcess s;
        QVERIFY2(s.start(args(file) << "--demo"
                                    << "--seed-customers"
                                    << "40"
                                    << "--seed-orders"
                                    << "120"),
            qPrintable(s.lastError()));
        Api api(s.port());
        CHECK_STATUS(api.login(kUser, kPassword), 200);
        const Reply c = api.post("/customer", customerBody("Jürgen", "Größmann"));
        CHECK_STATUS(c, 201);
        const auto id = c.json()["id"].get<std::int64_t>();
        CHECK_STATUS(api.post("/assignment", orderBody(id, "12,50")), 201);
        CHECK_STATUS(api.post("/assignment", orderBody(id, 12.5)), 201);
        customers = allPages(api, "customer");
        orders = allPages(api, "assignment");
        invoices = allPages(api, "invoice");
        const Reply search = api.post("/customer/search", Json {{"fullname", "GRÖẞ"}});
        CHECK_STATUS(search, 200);
        found = search.json();
        QCOMPARE(s.stop(), 0);
    }

    const QString target = pg_->database("office");
    ServerProcess copy;
    QVERIFY(!copy.start(QStringList {"--copy-from", file, "--db", target}));
    QCOMPARE(copy.waitForExit(60000), 0);
    QVERIFY2(copy.errorOutput().contains("copied"), qPrintable(copy.errorOutput()));

    ServerProcess s;
    QVERIFY2(s.start(args(target)), qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200); // the password hashes came along
    QCOMPARE(allPages(api, "customer"), customers);
    QCOMPARE(allPages(api, "assignment"), orders);
    QCOMPARE(allPages(api, "invoice"), invoices);
    const Reply search = api.post("/customer/search", Json {{"fullname", "GRÖẞ"}});
    CHECK_STATUS(search, 200);
    QCOMPARE(search.json(), found);
    // New records follow the copied ones.
    const Reply next = api.post("/customer", customerBody("Nora", "Neu"));
    CHECK_STATUS(next, 201);
    QVERIFY(next.json()["id"].get<std::int64_t>() > customers.back()["id"].get<std::int64_t>());
    QCOMPARE(s.stop(), 0);

    // A mistyped source is not taken for an empty database.
    ServerProcess missing;
    QVERIFY(!missing.start(QStringList {"--copy-from", dir_.filePath("no-such.db"), "--db", target}));
    QCOMPARE(missing.waitForExit(10000), 1);
    QVERIFY(!QFile::exists(dir_.filePath("no-such.db")));

    // A second copy into the same database is refused and changes nothing.
    ServerProcess again;
    QVERIFY(!again.start(QStringList {"--copy-from", file, "--db", target}));
    QCOMPARE(again.waitForExit(60000), 1);
    QVERIFY2(again.errorOutput().contains("already holds"), qPrintable(again.errorOutput()));

    // --demo gives a new PostgreSQL database the same demo data.
    ServerProcess demoPg, demoLite;
    QVERIFY2(demoPg.start(args(pg_->database("demo")) << "--demo"), qPrintable(demoPg.lastError()));
    QVERIFY2(demoLite.start(args(dir_.filePath("demo.db")) << "--demo"), qPrintable(demoLite.lastError()));
    Api pgApi(demoPg.port()), liteApi(demoLite.port());
    CHECK_STATUS(pgApi.login(kUser, kPassword), 200);
    CHECK_STATUS(liteApi.login(kUser, kPassword), 200);
    for (const char *list : {"customer", "assignment", "articlegroups"})
        QCOMPARE(allPages(pgApi, list), allPages(liteApi, list));
    QCOMPARE(demoPg.stop(), 0);
    QCOMPARE(demoLite.stop(), 0);
}

void ServerEnginesTest::racingRequestsAnswerAsInTurn_data()
{
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<QString>("race");
    for (const bool postgres : {false, true})
        for (const char *race : {"delivery note", "open delivery order", "invoice delete", "customer delete"})
            QTest::addRow("%s: %s", postgres ? "postgresql" : "sqlite", race) << postgres << QString(race);
}

// Requests released at one moment are answered as if they had come one
// after the other: a check that decides a write holds until that write is
// done, losers get the answers the client knows (406, 409, 422), never a
// server error.
void ServerEnginesTest::racingRequestsAnswerAsInTurn()
{
    QFETCH(bool, postgres);
    QFETCH(QString, race);
    const QString name = "race_" + QString(race).replace(' ', '_');
    const QString db = postgres ? pg_->database(name) : dir_.filePath(name + ".db");
    // What the database holds, asked past the server.
    auto count = [&](const std::string &query) -> std::int64_t {
        if (postgres)
            return std::stoll("0" + pg_->value(name, query));
        sqlite3 *h = nullptr;
        std::int64_t n = -1;
        if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            sqlite3_stmt *st = nullptr;
            if (sqlite3_prepare_v2(h, query.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
                n = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
        sqlite3_close(h);
        return n;
    };
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--demo"
                              << "--workers"
                              << "8"),
        qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    WriteLock lock(postgres, db);
    Racers racers(s.port(), api.token(), 8, lock);
    const auto path = [](const std::string &base, std::int64_t id) { return base + std::to_string(id); };
    const auto lastNumber = [&] {
        const Json last = api.get("/deliveryorder/getlastno").json();
        return last.empty() ? std::int64_t(0) : last[0]["deliveryorders_no"].get<std::int64_t>();
    };
    const auto openNumber = [&] {
        const Json open = api.get("/deliveryorder/checklast").json();
        return open.empty() ? std::int64_t(0) : open[0]["deliveryorders_no"].get<std::int64_t>();
    };

    if (race == "delivery note") {
        // A delivery note, once handed out, is what the database keeps:
        // no booking is added to it or taken from it, it is not deleted,
        // and asking again gives the same document.
        const Reply group = api.post("/articlegroups",
            Json {{"articlename", "Rennrad"}, {"articleno", "R-1"}, {"farbe", "Rot"}, {"size", "L"}, {"typ", "Rad"},
                {"quantity", 1000}, {"storage_location", "A-1"}, {"customer_id", ""}});
        CHECK_STATUS(group, 201);
        const std::string groupId = std::to_string(group.json()["id"].get<std::int64_t>());
        const auto booking = [&](std::int64_t number, const std::string &ean) {
            return Json {{"eanno", ean}, {"quantity", 1}, {"articlegroup_id", groupId}, {"deliveryorder_no", number}};
        };
        for (int round = 0; round < 12; ++round) {
            std::int64_t n = openNumber();
            if (n == 0) {
                n = lastNumber() + 1;
                CHECK_STATUS(api.post("/deliveryorder", deliveryOrderBody(n)), 201);
            }
            const std::string before = "91" + std::to_string(1000 + round);
            for (int i = 0; i < 3; ++i)
                CHECK_STATUS(api.post("/articleinventory", booking(n, before + std::to_string(i))), 201);
            const std::string late = "92" + std::to_string(1000 + round);
            const auto r = racers.run({
                [&](Api &a) { return a.get(path("/deliveryorder/generate/", n)); },
                [&](Api &a) { return a.del(path("/articleinventory/series/", n)); },
                [&](Api &a) { return a.post("/articleinventory", booking(n, late)); },
                [&](Api &a) { return a.del(path("/deliveryorder/", n)); },
                [&](Api &a) { return a.get(path("/deliveryorder/generate/", n)); },
            });
            QVERIFY2(!anyServerError(r), statuses(r).constData());
            const std::int64_t stored = count("SELECT count(*) FROM deliveryorders WHERE deliveryorders_no = "
                + std::to_string(n) + " AND created = 1");
            if (r[0].status != 200) {
                // Deleted before it was generated: the number is free again.
                QVERIFY2(r[0].status == 406 && r[3].status == 200, statuses(r).constData());
                continue;
            }
            QVERIFY2(stored == 1, ("the generated delivery order is gone; " + statuses(r)).constData());
            const std::int64_t booked = count("SELECT count(*) FROM articleinventory WHERE deliveryorder_no = "
                + std::to_string(n) + " AND (eanno LIKE '" + before + "%' OR eanno = '" + late + "')");
            const QString text = pdfText(dir_.filePath("note.pdf"), r[0].body);
            if (!text.isEmpty()) {
                const std::int64_t onNote =
                    text.count(QString::fromStdString(before)) + text.count(QString::fromStdString(late));
                QVERIFY2(onNote == booked,
                    qPrintable(QStringLiteral("%1 bookings on the note, %2 in the database; %3")
                                   .arg(onNote)
                                   .arg(booked)
                                   .arg(QString::fromUtf8(statuses(r)))));
            }
            QVERIFY2(r[0].status == r[4].status && r[0].body == r[4].body, statuses(r).constData());
            const Reply again = api.get(path("/deliveryorder/generate/", n));
            CHECK_STATUS(again, 200);
            QVERIFY(again.body == r[0].body);
        }
    } else if (race == "open delivery order") {
        // At most one open delivery order, whatever numbers arrive at once.
        for (int round = 0; round < 10; ++round) {
            if (const std::int64_t open = openNumber())
                CHECK_STATUS(api.get(path("/deliveryorder/generate/", open)), 200);
            const std::int64_t last = lastNumber();
            const bool sameNumber = round % 2 == 1;
            std::vector<Racers::Call> calls;
            for (int i = 0; i < 8; ++i)
                calls.push_back([&, i](Api &a) {
                    return a.post("/deliveryorder", deliveryOrderBody(last + 1 + (sameNumber ? 0 : i)));
                });
            const auto r = racers.run(calls);
            QVERIFY2(countStatus(r, 201) == 1 && countStatus(r, 409) == 7, statuses(r).constData());
            QCOMPARE(count("SELECT count(*) FROM deliveryorders WHERE created = 0"), std::int64_t(1));
        }
    } else if (race == "invoice delete") {
        // One deletion succeeds; the others hear that the invoice is gone.
        for (int round = 0; round < 10; ++round) {
            const Reply invoice = api.post("/invoice", orderBody(1, "10,00"));
            CHECK_STATUS(invoice, 201);
            const auto id = invoice.json()["id"].get<std::int64_t>();
            const auto r =
                racers.run(std::vector<Racers::Call>(8, [&](Api &a) { return a.del(path("/invoice/", id)); }));
            QVERIFY2(countStatus(r, 200) == 1 && countStatus(r, 406) == 7, statuses(r).constData());
        }
        CHECK_STATUS(api.get("/me"), 200);
    } else if (race == "customer delete") {
        // Deleting customers while others are created is not "busy".
        std::atomic<bool> creating {true};
        std::vector<std::thread> creators;
        std::atomic<int> createFailures {0};
        for (int t = 0; t < 2; ++t)
            creators.emplace_back([&] {
                Api mine(s.port());
                mine.setToken(api.token());
                while (creating)
                    createFailures += mine.post("/customer", customerBody("Nina", "Neben")).status != 201;
            });
        std::vector<std::int64_t> doomed;
        for (int i = 0; i < 30; ++i) {
            const Reply c = api.post("/customer", customerBody("Doris", "Delete"));
            if (c.status == 201)
                doomed.push_back(c.json()["id"].get<std::int64_t>());
        }
        std::vector<int> deletions;
        for (const auto id : doomed)
            deletions.push_back(api.del(path("/customer/", id)).status);
        creating = false;
        for (auto &t : creators)
            t.join();
        QCOMPARE(doomed.size(), std::size_t(30));
        QCOMPARE(std::count(deletions.begin(), deletions.end(), 200), 30L);
        QCOMPARE(createFailures.load(), 0);

        // A customer deleted while records are made for it: either the
        // records are made and the customer stays, or the customer goes
        // and the records are refused.
        for (int round = 0; round < 10; ++round) {
            const Reply c = api.post("/customer", customerBody("Vera", "Verschwunden"));
            CHECK_STATUS(c, 201);
            const auto id = c.json()["id"].get<std::int64_t>();
            const auto r = racers.run({
                [&](Api &a) { return a.del(path("/customer/", id)); },
                [&](Api &a) { return a.post("/assignment", orderBody(id, "10,00")); },
                [&](Api &a) { return a.post("/invoice", orderBody(id, "10,00")); },
                [&](Api &a) {
                    return a.post("/articlegroups",
                        Json {{"articlename", "Kiste"}, {"articleno", "K"}, {"farbe", ""}, {"size", ""}, {"typ", ""},
                            {"quantity", 1}, {"storage_location", ""}, {"customer_id", std::to_string(id)}});
                },
            });
            QVERIFY2(!anyServerError(r), statuses(r).constData());
            const int made = countStatus(r, 201);
            QVERIFY2(r[0].status == (made > 0 ? 406 : 200), statuses(r).constData());
            QVERIFY2(made + countStatus(r, 422) == 3, statuses(r).constData());
        }
    }
    QCOMPARE(s.stop(), 0);
}

QTEST_GUILESS_MAIN(ServerEnginesTest)
#include "tst_server_engines.moc"
