// vendrix-server on PostgreSQL: what only a database server brings (an
// address, outages, a schema shared with other servers), concurrent
// writers on both engines, and the move of an SQLite database into
// PostgreSQL. Each case runs the built binary against a private
// PostgreSQL server started for this test.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

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
    void lostDatabaseAnswers503AndRecovers();
    void concurrentWritersLoseNothing_data();
    void concurrentWritersLoseNothing();
    void sqliteDatabaseMovesIntoPostgres();
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

QTEST_GUILESS_MAIN(ServerEnginesTest)
#include "tst_server_engines.moc"
