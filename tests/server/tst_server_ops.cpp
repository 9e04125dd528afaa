// vendrix-server as a service an office depends on: backups taken while it
// serves and restored by starting a server on them, the health a load
// balancer asks for, the metrics and the log lines an administrator reads,
// and two servers behind a load balancer on one PostgreSQL database.

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "pg_instance.h"
#include "server_checks.h"
#include "server_harness.h"

using namespace vxtest;

namespace {

const std::string kUser = "demo";
const std::string kPassword = "vendrix-demo";
const char *const kPublicUrl = "https://vendrix.example.org";

Json customerBody(const std::string &surname, const std::string &lastname)
{
    return Json {{"surname", surname}, {"lastname", lastname}, {"address_street_no", "Ring 1"},
        {"address_zipcode", "20095"}, {"address_town", "Hamburg"}, {"address_country", 36},
        {"address_province", "Hamburg"}, {"phone", ""}, {"fax", ""}, {"email", ""}, {"info", ""},
        {"commercialability", false}};
}

Json orderBody(std::int64_t customerId)
{
    Json b {{"customer_id", std::to_string(customerId)}, {"datum", "03.06.2024"}, {"belegnummer", "B-1"},
        {"referenz", "R"}, {"textbeschreibung", "Paket"}, {"gewicht", "2"}, {"sendungsart", 3}, {"versandpartner", 0},
        {"richtung", 3}, {"prozentsatz_id", 1}, {"verkaufspreis", "10,00"}, {"einkaufspreis", "5,00"},
        {"betrag_fuer_praemie_fuer_transportversicherung", ""}, {"betrag_fuer_zeitfenstereinstellungen", ""}};
    for (const char *flag : {"zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
             "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags", "abholung_samstags",
             "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
             "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"})
        b[flag] = false;
    return b;
}

std::set<std::int64_t> sqliteIds(const QString &file, const char *query)
{
    std::set<std::int64_t> ids;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                ids.insert(sqlite3_column_int64(s, 0));
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return ids;
}

// A number from the lines a server printed after its port ("... on
// http://127.0.0.1:PORT/metrics").
int printedPort(const ServerProcess &s, const QString &what)
{
    for (const QString &line : s.extraOutput())
        if (line.contains(what))
            return line.section(':', -1).section('/', 0, 0).toInt();
    return 0;
}

// Requests sent all at once, each on a connection of its own, to either of
// two servers: while they gather, the database's write lock is held from
// outside, so every one of them has read what it decides on before any
// writes.
std::vector<Reply> race(PgInstance &pg, const QString &db, const std::vector<int> &ports, const std::string &token,
    const std::function<Reply(Api &, std::size_t)> &call, std::size_t count)
{
    std::vector<std::unique_ptr<Api>> apis;
    for (std::size_t i = 0; i < count; ++i) {
        apis.push_back(std::make_unique<Api>(ports[i % ports.size()]));
        apis.back()->setToken(token);
        apis.back()->get("/me");
    }
    PGconn *lock = PQconnectdb(pg.database(db).toUtf8().constData());
    PQclear(PQexec(lock, "SELECT pg_advisory_lock(7346193)"));
    std::vector<Reply> replies(count);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < count; ++i)
        threads.emplace_back([&, i] { replies[i] = call(*apis[i], i); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    PQfinish(lock);
    for (auto &t : threads)
        t.join();
    return replies;
}

int countStatus(const std::vector<Reply> &replies, int status)
{
    return static_cast<int>(
        std::count_if(replies.begin(), replies.end(), [&](const Reply &r) { return r.status == status; }));
}

} // namespace

class ServerOpsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<PgInstance> pg_;

    QStringList args(const QString &db) const { return {"--listen", "127.0.0.1:0", "--db", db}; }
    // Runs the server binary to its end: its exit code and standard error.
    // `wrapper`: a program and its options that run the server (prlimit).
    std::pair<int, QString> runToEnd(const QStringList &arguments, QStringList wrapper = {})
    {
        QProcess p;
        wrapper << serverBinary() << arguments;
        p.start(wrapper.takeFirst(), wrapper);
        p.waitForFinished(120000);
        return {
            p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
    }
    bool postgres() const { return pg_ != nullptr; }

private slots:
    void initTestCase();
    void backupOfALiveDatabaseRestores();
    void backupFailsWithoutAHalfFile_data();
    void backupFailsWithoutAHalfFile();
    void postgresDumpRestoresTheSameLists();
    void healthSaysWhatIsWrong_data();
    void healthSaysWhatIsWrong();
    void metricsCountByRouteWithoutUserData();
    void requestsAreLoggedOneLineEach_data();
    void requestsAreLoggedOneLineEach();
    void twoServersShareOnePostgresDatabase();
};

void ServerOpsTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    if (PgInstance::installed()) {
        pg_ = std::make_unique<PgInstance>();
        QVERIFY2(pg_->start(), qPrintable(pg_->lastError()));
    }
}

// Eight clients write while the backup runs: what was acknowledged before
// it began is in the copy, the copy is a whole database of one file for
// its owner only, and a server started on it serves every list.
void ServerOpsTest::backupOfALiveDatabaseRestores()
{
    const QString db = dir_.filePath("live.db");
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--demo"
                              << "--seed-customers"
                              << "5000"
                              << "--seed-orders"
                              << "10000"),
        qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);

    using Clock = std::chrono::steady_clock;
    std::mutex mutex;
    std::vector<std::pair<std::int64_t, Clock::time_point>> acknowledged;
    std::atomic<bool> writing {true};
    std::atomic<int> failures {0};
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t)
        writers.emplace_back([&, t] {
            Api mine(s.port());
            mine.setToken(api.token());
            for (int n = 0; writing; ++n) {
                const Reply r = mine.post("/customer", customerBody("W" + std::to_string(t), std::to_string(n)));
                if (r.status != 201) {
                    ++failures;
                    continue;
                }
                std::lock_guard<std::mutex> g(mutex);
                acknowledged.emplace_back(r.json()["id"].get<std::int64_t>(), Clock::now());
            }
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const QString copy = dir_.filePath("backups/live-copy.sqlite");
    QVERIFY(QDir().mkpath(dir_.filePath("backups")));
    const Clock::time_point began = Clock::now();
    const auto backup = runToEnd({"--backup", copy, "--db", db});
    const Clock::time_point ended = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    writing = false;
    for (auto &w : writers)
        w.join();
    QVERIFY2(backup.first == 0, qPrintable(backup.second));
    QVERIFY2(backup.second.contains("integrity ok"), qPrintable(backup.second));
    QCOMPARE(failures.load(), 0);

    const auto stored = sqliteIds(copy, "SELECT id FROM customers");
    int before = 0, during = 0;
    for (const auto &[id, when] : acknowledged) {
        if (when < began) {
            ++before;
            QVERIFY2(
                stored.count(id), qPrintable(QStringLiteral("customer %1 was acknowledged before the backup").arg(id)));
        } else if (when < ended) {
            ++during;
        }
    }
    qInfo("backup under load: %d writes acknowledged before it, %d during its %lld ms; %s", before, during,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(ended - began).count()),
        qPrintable(backup.second.trimmed()));
    QVERIFY(before > 0 && during > 0);
    QCOMPARE(int(QFileInfo(copy).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup)), 0);
    QCOMPARE(QDir(dir_.filePath("backups")).entryList(QDir::Files | QDir::Hidden), QStringList {"live-copy.sqlite"});
    QCOMPARE(s.stop(), 0);

    // Restoring is starting a server on the copy.
    ServerProcess restored;
    QVERIFY2(restored.start(args(copy)), qPrintable(restored.lastError()));
    Api again(restored.port());
    CHECK_STATUS(again.login(kUser, kPassword), 200);
    const Json walk = walkLists(again);
    for (const auto &[list, value] : walk.items())
        QVERIFY2(!value.is_number(), qPrintable(QString::fromStdString(list + " answered " + value.dump())));
    QCOMPARE(walk["customer"].size(), stored.size());
    CHECK_STATUS(again.post("/customer", customerBody("Nach", "Rücksicherung")), 201);
    QCOMPARE(restored.stop(), 0);
}

void ServerOpsTest::backupFailsWithoutAHalfFile_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("the disk fills up") << "full.sqlite"
                                       << "source.db" << 1 << "copying failed";
    QTest::newRow("over the database itself") << "source.db"
                                              << "source.db" << 1 << "is the database itself";
    QTest::newRow("no such database") << "none.sqlite"
                                      << "missing.db" << 1 << "no database file";
    QTest::newRow("postgresql") << "pg.sqlite"
                                << "postgresql://vendrix@/x" << 2 << "pg_dump";
}

void ServerOpsTest::backupFailsWithoutAHalfFile()
{
    QFETCH(QString, target);
    QFETCH(QString, database);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QTemporaryDir place;
    const QString source = place.filePath("source.db");
    {
        ServerProcess s;
        QVERIFY2(s.start(args(source) << "--demo"
                                      << "--seed-customers"
                                      << "3000"),
            qPrintable(s.lastError()));
        QCOMPARE(s.stop(), 0);
    }
    const QString db = database.startsWith("postgresql") ? database : place.filePath(database);
    const QStringList backup {"--backup", place.filePath(target), "--db", db};
    // A file size limit stands in for a disk that fills up while copying.
    const auto result = target == "full.sqlite" ? runToEnd(backup, {"prlimit", "--fsize=300000"}) : runToEnd(backup);
    QCOMPARE(result.first, exitCode);
    QVERIFY2(result.second.contains(said), qPrintable(result.second));
    const QStringList left = QDir(place.path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left.filter(QRegularExpression("^(?!source\\.db)")), QStringList());
    if (target == "source.db")
        QVERIFY(QFileInfo(source).size() > 100000);
}

void ServerOpsTest::postgresDumpRestoresTheSameLists()
{
    if (!postgres())
        QSKIP("PostgreSQL's server binaries are not installed");
    Json before;
    {
        ServerProcess s;
        QVERIFY2(s.start(args(pg_->database("dumped")) << "--demo"), qPrintable(s.lastError()));
        Api api(s.port());
        CHECK_STATUS(api.login(kUser, kPassword), 200);
        const Reply c = api.post("/customer", customerBody("Jürgen", "Größmann"));
        CHECK_STATUS(c, 201);
        const auto id = c.json()["id"].get<std::int64_t>();
        CHECK_STATUS(api.post("/assignment", orderBody(id)), 201);
        CHECK_STATUS(api.post("/assignment", orderBody(id)), 201);
        const Reply preview = api.get("/assignment/checkout/multiple/" + std::to_string(id));
        CHECK_STATUS(preview, 200);
        CHECK_STATUS(
            api.post("/assignment/checkout/confirm/" + std::to_string(preview.json()["id"].get<int>()), std::string()),
            200);
        before = walkLists(api);
        QCOMPARE(s.stop(), 0);
    }
    const QString dump = pg_->filePath("office.dump");
    QVERIFY2(pg_->client("pg_dump",
                 pg_->clientOptions("dumped") << "-Fc"
                                              << "-f" << dump),
        qPrintable(pg_->lastError()));
    const QString target = pg_->database("restored");
    QVERIFY2(pg_->client("pg_restore",
                 pg_->clientOptions("restored") << "--no-owner"
                                                << "--exit-on-error" << dump),
        qPrintable(pg_->lastError()));

    ServerProcess s;
    QVERIFY2(s.start(args(target)), qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    QCOMPARE(walkLists(api), before);
    const Reply next = api.post("/customer", customerBody("Nora", "Neu"));
    CHECK_STATUS(next, 201);
    QVERIFY(next.json()["id"].get<std::int64_t>() > before["customer"].back()["id"].get<std::int64_t>());
    QCOMPARE(s.stop(), 0);
}

void ServerOpsTest::healthSaysWhatIsWrong_data()
{
    QTest::addColumn<QString>("trouble");
    QTest::addColumn<QString>("reason");
    QTest::newRow("sqlite: writes fail") << "file size"
                                         << "cannot be read or written";
    QTest::newRow("postgresql: gone") << "stopped"
                                      << "cannot be reached";
    QTest::newRow("postgresql: read-only") << "read-only"
                                           << "read-only";
}

// Healthy is 200 without a session; a database that cannot be reached or
// written is 503 with the reason, and 200 again once it is back.
void ServerOpsTest::healthSaysWhatIsWrong()
{
    QFETCH(QString, trouble);
    QFETCH(QString, reason);
    const bool onPostgres = trouble != "file size";
    if (onPostgres && !postgres())
        QSKIP("PostgreSQL's server binaries are not installed");
    const QString name = "health_" + QString(trouble).replace(QRegularExpression("[^a-z]"), "_");
    const QString db = onPostgres ? pg_->database(name) : dir_.filePath(name + ".db");
    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--workers"
                              << "2"
                              << "--demo"),
        qPrintable(s.lastError()));
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    const std::string link = api.get("/invoice?page=1").json()[0]["attachement_link"];
    const std::string document = link.substr(link.find("/files/"));
    const Reply healthy = api.get("/health");
    CHECK_STATUS(healthy, 200);
    QCOMPARE(healthy.json()["status"], Json("ok"));

    if (!onPostgres) {
        // Asked as often as a client can, it writes at most once a second.
        const qint64 wal = QFileInfo(db + "-wal").size();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 200; ++i)
            CHECK_STATUS(api.get("/health"), 200);
        const qint64 seconds = t.elapsed() / 1000 + 1;
        QVERIFY2(QFileInfo(db + "-wal").size() - wal <= seconds * 3 * 4096 + 16384,
            qPrintable(QStringLiteral("the WAL grew by %1 bytes").arg(QFileInfo(db + "-wal").size() - wal)));
    }

    const auto inflict = [&](bool on) {
        if (trouble == "file size") {
            rlimit limit {};
            ::prlimit(static_cast<pid_t>(s.pid()), RLIMIT_FSIZE, nullptr, &limit);
            limit.rlim_cur = on ? 1 : limit.rlim_max;
            return ::prlimit(static_cast<pid_t>(s.pid()), RLIMIT_FSIZE, &limit, nullptr) == 0;
        }
        if (trouble == "stopped")
            return on ? pg_->stopServer() : pg_->startServer();
        const bool set = pg_->sql("postgres",
                                on ? "ALTER SYSTEM SET default_transaction_read_only = on"
                                   : "ALTER SYSTEM RESET default_transaction_read_only")
                             .empty();
        return set && pg_->sql("postgres", "SELECT pg_reload_conf()").empty();
    };
    QVERIFY(inflict(true));
    QTRY_VERIFY_WITH_TIMEOUT(api.get("/health").status == 503, 10000);
    const Reply sick = api.get("/health");
    CHECK_STATUS(sick, 503);
    QVERIFY2(
        sick.json()["error"].get<std::string>().find(reason.toStdString()) != std::string::npos, sick.body.c_str());
    QCOMPARE(sick.header("Retry-After"), std::string("5"));
    // The error line names the route of a document, not its path, which
    // is the permission to read it.
    if (trouble == "stopped")
        CHECK_STATUS(api.get(document), 503);
    QVERIFY(inflict(false));
    QTRY_COMPARE_WITH_TIMEOUT(api.get("/health").status, 200, 15000);
    QCOMPARE(s.stop(), 0);
    const QString log = s.errorOutput();
    QVERIFY2(trouble != "stopped" || log.contains("route=/files/{capability}/{name} status=503"), qPrintable(log));
    QVERIFY2(!log.contains(QString::fromStdString(document.substr(7, 32))), qPrintable(log));
}

void ServerOpsTest::metricsCountByRouteWithoutUserData()
{
    const QString db = dir_.filePath("metrics.db");
    ServerProcess plain;
    QVERIFY2(plain.start(args(db) << "--demo"), qPrintable(plain.lastError()));
    Api off(plain.port());
    CHECK_STATUS(off.login(kUser, kPassword), 200);
    CHECK_STATUS(off.get("/metrics"), 404); // off by default, and never among the API
    QCOMPARE(plain.stop(), 0);

    ServerProcess s;
    QVERIFY2(s.start(args(db) << "--metrics-listen"
                              << "127.0.0.1:0"),
        qPrintable(s.lastError()));
    const int metricsPort = printedPort(s, "metrics");
    QVERIFY(metricsPort > 0 && metricsPort != s.port());
    Api api(s.port());
    CHECK_STATUS(api.login(kUser, "wrong"), 401);
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    for (int i = 0; i < 3; ++i)
        CHECK_STATUS(api.get("/customer/7"), 200);
    const std::string link = api.get("/invoice?page=1").json()[0]["attachement_link"];
    CHECK_STATUS(api.get(link.substr(link.find("/files/"))), 200);
    CHECK_STATUS(api.get("/metrics"), 404);
    // Any word a client sends as its method is one series, not one each.
    for (const char *method : {"BREW", "WHEN"})
        QVERIFY(api.send(method, "/customer/7", "", {}).status >= 400);

    Api scraper(metricsPort);
    CHECK_STATUS(scraper.get("/other"), 404);
    const Reply r = scraper.get("/metrics");
    CHECK_STATUS(r, 200);
    QVERIFY(r.contentType.rfind("text/plain; version=0.0.4", 0) == 0);
    const QString text = QString::fromStdString(r.body);
    for (const char *expected : {
             "vendrix_http_requests_total{method=\"GET\",route=\"/customer/{id}\",status=\"200\"} 3",
             "vendrix_http_request_duration_seconds_bucket{method=\"GET\",route=\"/customer/{id}\",le=\"+Inf\"} 3",
             "vendrix_http_requests_total{method=\"GET\",route=\"/files/{capability}/{name}\",status=\"200\"} 1",
             "vendrix_logins_total{outcome=\"wrong_password\"} 1",
             "vendrix_logins_total{outcome=\"ok\"} 1",
             "vendrix_connections_open{state=\"idle\"} ",
             "vendrix_connections_refused_total{reason=\"per_address\"} 0",
             "vendrix_worker_queue_depth 0",
             "vendrix_login_throttle_tracked{kind=\"address\"} 1",
             "vendrix_database_errors_total",
             "vendrix_http_requests_total{method=\"other\",route=\"/customer/{id}\",status=\"401\"} 2",
         })
        QVERIFY2(text.contains(expected), expected);
    const QRegularExpression sample(R"(^[a-z_]+(\{[a-z_]+="[^"\\]*"(,[a-z_]+="[^"\\]*")*\})? (-?[0-9.e+-]+|\+Inf)$)");
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith("# HELP ") || line.startsWith("# TYPE ") || sample.match(line).hasMatch(),
            qPrintable(line));
    for (const std::string &secret : {api.token(), kPassword, std::string("/customer/7"), std::string("BREW"),
             link.substr(link.find("/files/") + 7, 32), std::string("demo")})
        QVERIFY2(!text.contains(QString::fromStdString(secret)), secret.c_str());
    QCOMPARE(s.stop(), 0);
}

void ServerOpsTest::requestsAreLoggedOneLineEach_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("text") << "text";
    QTest::newRow("json") << "json";
}

// One line per request with its id, route, status, duration and user; no
// token, password or document capability; a hostile user name stays on
// its line.
void ServerOpsTest::requestsAreLoggedOneLineEach()
{
    QFETCH(QString, format);
    ServerProcess s;
    QVERIFY2(s.start(args(dir_.filePath("log-" + format + ".db")) << "--demo"
                                                                  << "--log-format" << format),
        qPrintable(s.lastError()));
    Api api(s.port());
    const Reply forged = api.login("eve\nvendrix-server GET /me 200", "geheim-123");
    CHECK_STATUS(forged, 401);
    CHECK_STATUS(api.login(kUser, kPassword), 200);
    const Reply one = api.get("/customer/3");
    CHECK_STATUS(one, 200);
    const std::string link = api.get("/invoice?page=1").json()[0]["attachement_link"];
    CHECK_STATUS(api.get(link.substr(link.find("/files/"))), 200);
    CHECK_STATUS(api.get("/health"), 200);
    CHECK_STATUS(api.get("/customer/999999"), 406);
    QCOMPARE(s.stop(), 0);

    QStringList requests;
    for (const QString &line : s.errorOutput().split('\n', Qt::SkipEmptyParts)) {
        const QString kind = format == "json"
            ? QString::fromStdString(Json::parse(line.toStdString()).value("message", ""))
            : line.section(' ', 2, 2);
        if (kind == "request" || kind == "GET" || kind == "POST")
            requests << line;
        QVERIFY2(!line.contains(QString::fromStdString(api.token())) && !line.contains("geheim-123")
                && !line.contains(QString::fromStdString(link.substr(link.find("/files/") + 7, 32)))
                && !line.contains(QRegularExpression("^vendrix-server GET /me 200")),
            qPrintable(line));
    }
    // The health check that went well is no news.
    QCOMPARE(requests.size(), 6);
    const std::vector<std::tuple<const char *, const char *, int, const char *>> expected = {
        {"POST", "/tokens", 401, "eve\nvendrix-server GET /me 200"}, {"POST", "/tokens", 200, "demo"},
        {"GET", "/customer/{id}", 200, "demo"}, {"GET", "/invoice", 200, "demo"},
        {"GET", "/files/{capability}/{name}", 200, ""}, {"GET", "/customer/{id}", 406, "demo"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto &[method, route, status, user] = expected[i];
        const QString line = requests[static_cast<int>(i)];
        if (format == "json") {
            const Json j = Json::parse(line.toStdString());
            QCOMPARE(j["method"], Json(method));
            QCOMPARE(j["route"], Json(route));
            QCOMPARE(j["status"], Json(status));
            QVERIFY2(j.value("user", "") == user, qPrintable(line));
            QVERIFY(j["duration_ms"].is_number() && j["request_id"].is_string() && j["time"].is_string());
        } else {
            QVERIFY2(line.contains(QStringLiteral(" %1 %2 %3 ").arg(method, route).arg(status)), qPrintable(line));
            QVERIFY2(line.contains(QRegularExpression(" [0-9.]+ ms ")), qPrintable(line));
            QVERIFY2(*user ? line.contains(" user=") : !line.contains(" user="), qPrintable(line));
        }
    }
    QVERIFY(requests[2].contains(QString::fromStdString(one.header("X-Request-Id"))));
}

// Two servers behind a load balancer on one database: requests alternate
// between them, and the answers are those of one server.
void ServerOpsTest::twoServersShareOnePostgresDatabase()
{
    if (!postgres())
        QSKIP("PostgreSQL's server binaries are not installed");
    const QString db = pg_->database("shared");
    const QStringList both {"--public-url", kPublicUrl, "--trusted-proxy", "127.0.0.1"};
    ServerProcess a, b;
    QVERIFY2(a.start(args(db) << "--demo" << both), qPrintable(a.lastError()));
    QVERIFY2(b.start(args(db) << both), qPrintable(b.lastError()));
    const std::vector<int> ports {a.port(), b.port()};
    Api viaA(a.port()), viaB(b.port());
    CHECK_STATUS(viaA.get("/health"), 200);
    CHECK_STATUS(viaB.get("/health"), 200);

    // A session begun on one is good on the other; logging out on one ends
    // it there at once and on the other within a second (which trusts a
    // token it found live for that long).
    CHECK_STATUS(viaA.login(kUser, kPassword), 200);
    viaB.setToken(viaA.token());
    CHECK_STATUS(viaB.get("/me"), 200);
    Api leaving(b.port());
    CHECK_STATUS(leaving.login(kUser, kPassword), 200);
    Api sameSession(a.port());
    sameSession.setToken(leaving.token());
    CHECK_STATUS(sameSession.get("/me"), 200);
    CHECK_STATUS(leaving.get("/me/logout"), 200);
    CHECK_STATUS(leaving.get("/me"), 401);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    CHECK_STATUS(sameSession.get("/me"), 401);

    // Links point at the public address, whichever server answers.
    for (Api *api : {&viaA, &viaB}) {
        const std::string link = api->get("/invoice?page=1").json()[0]["attachement_link"];
        QVERIFY2(link.rfind(std::string(kPublicUrl) + "/files/", 0) == 0, link.c_str());
    }

    // At most one open delivery order, and one confirmation of a preview,
    // however the requests are spread.
    const std::string token = viaA.token();
    int openWins = 0, confirmWins = 0;
    for (int round = 0; round < 4; ++round) {
        const Json open = viaA.get("/deliveryorder/checklast").json();
        if (!open.empty())
            CHECK_STATUS(
                viaB.get("/deliveryorder/generate/" + std::to_string(open[0]["deliveryorders_no"].get<std::int64_t>())),
                200);
        const Json last = viaB.get("/deliveryorder/getlastno").json();
        const std::int64_t next = last.empty() ? 1 : last[0]["deliveryorders_no"].get<std::int64_t>() + 1;
        const auto opened = race(
            *pg_, "shared", ports, token,
            [&](Api &api, std::size_t i) {
                return api.post("/deliveryorder",
                    Json {{"delivery_date", "2024-06-03T09:00:00.000Z"},
                        {"deliveryorders_no", next + static_cast<std::int64_t>(i % 2)}, {"created", false},
                        {"customer_id", 1}});
            },
            8);
        QVERIFY(countStatus(opened, 201) == 1 && countStatus(opened, 409) == 7);
        openWins += countStatus(opened, 201);

        const Reply customer = viaB.post("/customer", customerBody("Rita", "Rennen"));
        CHECK_STATUS(customer, 201);
        const auto id = customer.json()["id"].get<std::int64_t>();
        CHECK_STATUS(viaA.post("/assignment", orderBody(id)), 201);
        CHECK_STATUS(viaB.post("/assignment", orderBody(id)), 201);
        const Reply preview = viaA.get("/assignment/checkout/multiple/" + std::to_string(id));
        CHECK_STATUS(preview, 200);
        const std::string confirm = "/assignment/checkout/confirm/" + std::to_string(preview.json()["id"].get<int>());
        const auto confirmed = race(
            *pg_, "shared", ports, token, [&](Api &api, std::size_t) { return api.post(confirm, std::string()); }, 8);
        QVERIFY(countStatus(confirmed, 200) == 1 && countStatus(confirmed, 409) == 7);
        confirmWins += countStatus(confirmed, 200);
    }
    QCOMPARE(openWins, 4);
    QCOMPARE(confirmWins, 4);

    // Logins are throttled by the address the balancer forwards, by each
    // server for itself: a guesser gets its free tries from each, and the
    // office beside it logs in.
    const auto loginFrom = [](Api &api, const std::string &address, const std::string &password) {
        return api.send("POST", "/tokens", "",
            {{"Authorization", basic(kUser, password)}, {"X-Forwarded-For", "198.51.100.9, " + address}});
    };
    for (int i = 0; i < 5; ++i)
        CHECK_STATUS(loginFrom(viaA, "203.0.113.7", "falsch"), 401);
    CHECK_STATUS(loginFrom(viaA, "203.0.113.7", "falsch"), 429);
    CHECK_STATUS(loginFrom(viaB, "203.0.113.7", "falsch"), 401);
    CHECK_STATUS(loginFrom(viaA, "203.0.113.8", kPassword), 200);

    // The same walk through either server.
    QCOMPARE(walkLists(viaA), walkLists(viaB));
    QCOMPARE(a.stop(), 0);
    QCOMPARE(b.stop(), 0);
}

QTEST_GUILESS_MAIN(ServerOpsTest)
#include "tst_server_ops.moc"
