// vendrix-server against clients that hold on, trickle, inflate, guess and
// lie: each case runs the built binary with limits small enough to reach
// within a second or two.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>

#include <sqlite3.h>

#include "server_checks.h"
#include "server_harness.h"

using namespace vxtest;

namespace {

const std::string kUser = "demo";
const std::string kPassword = "vendrix-demo";

Json customerBody(const std::string &info = "")
{
    return Json {{"surname", "Lena"}, {"lastname", "Limit"}, {"address_street_no", "Weg 1"},
        {"address_zipcode", "20095"}, {"address_town", "Hamburg"}, {"address_country", 36},
        {"address_province", "Hamburg"}, {"phone", ""}, {"fax", ""}, {"email", ""}, {"info", info},
        {"commercialability", false}};
}

Json orderBody(std::int64_t customer, const Json &price, const std::string &text = "Paket")
{
    Json b = {{"datum", "03.06.2024"}, {"belegnummer", "B-1"}, {"referenz", "R"}, {"textbeschreibung", text},
        {"gewicht", "1"}, {"sendungsart", 3}, {"versandpartner", 0}, {"richtung", 3}, {"prozentsatz_id", 1},
        {"verkaufspreis", price}, {"einkaufspreis", "1,00"}};
    for (const char *flag : {"zustellung_im_aussengebiet", "abholung_im_aussengebiet", "versand_oversized",
             "versand_heavy_weight", "versand_nicht_stapelbare_palette", "zustellung_samstags", "abholung_samstags",
             "gebuehr_fuer_zusaetzliche_handhabung", "praemie_fuer_transportversicherung",
             "gebuehr_fuer_erstellung_einer_ae", "gebuehr_fuer_kein_envelope", "zeitfensterzustellung"})
        b[flag] = false;
    b["betrag_fuer_praemie_fuer_transportversicherung"] = "";
    b["betrag_fuer_zeitfenstereinstellungen"] = "";
    b["customer_id"] = std::to_string(customer);
    return b;
}

std::string request(const std::string &head, const std::string &body = std::string())
{
    return head + "\r\n\r\n" + body;
}

} // namespace

class ServerLimitsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    int servers_ = 0;

    QString path(const QString &name) const { return dir_.filePath(name); }
    // A demo server on a fresh database, with these options.
    bool start(ServerProcess &s, const QStringList &extra = {})
    {
        const QString db = path(QStringLiteral("s%1.db").arg(++servers_));
        if (s.start(QStringList {"--listen", "127.0.0.1:0", "--db", db, "--demo"} + extra))
            return true;
        qWarning() << s.lastError();
        return false;
    }
    std::string bearer(Api &a) { return "Authorization: Bearer " + a.token(); }

private slots:
    void idleAndSlowClientsDoNotStopOthers();
    void connectionLimitsPerAddressAndInAll();
    void anOfficeBehindOneAddressIsServed();
    void slowestSendersMakeRoomWhenFull();
    void bodiesAndHeadersAreBounded();
    void repliesIgnoreRange();
    void checkoutOfTooManyOrdersIsRefused();
    void readersGoOnWhileTheDatabaseIsLocked();
    void textsAmountsAndNumbersAreBounded();
    void databaseFilesAndPasswordsStayPrivate();
    void framingIsStrict();
    void unwritableDatabaseStopsTheStart();
    void stopClosesIdleConnectionsAtOnce();
    void guessingIsSlowedDown();
    void guessingLocksNobodyOut_data();
    void guessingLocksNobodyOut();
    void loginsLeaveOtherRequestsAlone();
    void sessionsExpireAndAreLimited();
    void updatePackagesAreSentFromDisk();
    void recordFileIsBounded();
};

// Idle keep-alive connections and clients that send their header slowly
// cost the server a socket each; everyone else is served at once, and the
// slow ones are cut off.
void ServerLimitsTest::idleAndSlowClientsDoNotStopOthers()
{
    ServerProcess s;
    QVERIFY(start(s, {"--header-timeout", "1", "--idle-timeout", "2"}));
    std::vector<std::unique_ptr<RawConnection>> idle, slow;
    for (int i = 0; i < 48; ++i)
        idle.push_back(std::make_unique<RawConnection>(s.port()));
    for (int i = 0; i < 16; ++i) {
        slow.push_back(std::make_unique<RawConnection>(s.port()));
        slow.back()->send("GET /taxes HTTP/1.1\r\nHost: x\r\n");
    }
    QElapsedTimer t;
    t.start();
    Api fresh(s.port());
    CHECK_STATUS(fresh.get("/taxes"), 401);
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));

    // A header that trickles in is cut off after the header time.
    RawConnection loris(s.port());
    QVERIFY(loris.send("GET /taxes HTTP/1.1\r\n"));
    t.restart();
    bool cut = false;
    while (!cut && t.elapsed() < 5000) {
        cut = !loris.send("X-Slow: 1\r\n") || loris.closedByPeer(250);
    }
    QVERIFY(cut);
    QVERIFY2(t.elapsed() < 3500, qPrintable(QString::number(t.elapsed())));
    // An idle connection is closed after the idle time.
    QVERIFY(idle.front()->closedByPeer(3500));
    QCOMPARE(s.stop(), 0);
}

void ServerLimitsTest::connectionLimitsPerAddressAndInAll()
{
    ServerProcess s;
    QVERIFY(start(s, {"--max-connections-per-address", "4", "--max-connections", "8"}));
    std::vector<std::unique_ptr<RawConnection>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<RawConnection>(s.port(), "127.0.0.2"));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A fifth from the same address is turned away ...
    RawConnection fifth(s.port(), "127.0.0.2");
    QVERIFY(fifth.closedByPeer(2000));
    // ... while other addresses are served.
    RawConnection other(s.port(), "127.0.0.3");
    QVERIFY(other.send(request("GET /taxes HTTP/1.1\r\nHost: x")));
    QCOMPARE(other.status(2000), 401);

    // At the limit in all, the connection idle the longest makes room.
    for (int i = 0; i < 3; ++i)
        held.push_back(std::make_unique<RawConnection>(s.port(), "127.0.0." + std::to_string(4 + i)));
    Api fresh(s.port());
    CHECK_STATUS(fresh.get("/taxes"), 401);
    QVERIFY(held.front()->closedByPeer(2000));
    QCOMPARE(s.stop(), 0);
}

// A hundred desks behind one address, each client with the six connections
// Qt opens to one host, all asking at once: every request is answered.
void ServerLimitsTest::anOfficeBehindOneAddressIsServed()
{
    ServerProcess s;
    QVERIFY(start(s));
    std::vector<std::unique_ptr<RawConnection>> desks;
    for (int i = 0; i < 600; ++i) {
        desks.push_back(std::make_unique<RawConnection>(s.port(), "127.0.0.6"));
        QVERIFY(desks.back()->send(request("GET /taxes HTTP/1.1\r\nHost: x")));
    }
    int answered = 0;
    for (auto &d : desks)
        answered += d->status(5000) == 401;
    QCOMPARE(answered, 600);
    QCOMPARE(s.stop(), 0);
}

// When the server is full of clients stuck in the middle of a request (a
// body announced and never sent), the slowest of them makes room for a new
// client, not only a connection that idles.
void ServerLimitsTest::slowestSendersMakeRoomWhenFull()
{
    ServerProcess s;
    QVERIFY(start(s, {"--max-connections", "8"}));
    std::vector<std::unique_ptr<RawConnection>> stuck;
    for (int i = 0; i < 8; ++i) {
        stuck.push_back(std::make_unique<RawConnection>(s.port(), "127.0.1." + std::to_string(1 + i)));
        QVERIFY(stuck.back()->send("POST /customer HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                                   "Content-Length: 1000\r\n\r\n{\"surname\""));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    std::vector<std::unique_ptr<Api>> fresh;
    for (int i = 0; i < 3; ++i) {
        fresh.push_back(std::make_unique<Api>(s.port()));
        CHECK_STATUS(fresh.back()->get("/taxes"), 401);
    }
    int cut = 0;
    for (auto &c : stuck)
        cut += c->closedByPeer(100);
    QVERIFY2(cut >= 3, qPrintable(QString::number(cut)));
    QCOMPARE(s.stop(), 0);
}

// However a body is framed, it may not exceed the limit; headers are
// limited in size and in number.
void ServerLimitsTest::bodiesAndHeadersAreBounded()
{
    ServerProcess s;
    QVERIFY(start(s, {"--max-body", "2048", "--max-headers", "32"}));
    Api a(s.port());
    CHECK_STATUS(a.login(kUser, kPassword), 200);

    // 8 KiB of a valid customer body, sent in chunks.
    const std::string body = customerBody().dump() + std::string(8192, ' ');
    std::string chunked;
    for (std::size_t i = 0; i < body.size(); i += 1000) {
        const std::string part = body.substr(i, 1000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx", part.size());
        chunked += std::string(size) + "\r\n" + part + "\r\n";
    }
    chunked += "0\r\n\r\n";
    RawConnection c(s.port());
    c.send(request("POST /customer HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n" + bearer(a)
            + "\r\nTransfer-Encoding: chunked",
        chunked));
    QCOMPARE(c.status(3000), 413);

    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "\r\nX-Filler-" + std::to_string(i) + ": " + std::string(40, 'x');
    RawConnection h(s.port());
    h.send(request("GET /taxes HTTP/1.1\r\nHost: x\r\n" + bearer(a) + many));
    QCOMPARE(h.status(3000), 431);
    RawConnection big(s.port());
    big.send(request("GET /taxes HTTP/1.1\r\nHost: x\r\nX-Big: " + std::string(64 * 1024, 'x')));
    QCOMPARE(big.status(3000), 431);

    // Nothing of it was stored, and the server is fine.
    const Reply found = a.post("/customer/search", Json {{"fullname", "lena limit"}});
    CHECK_STATUS(found, 204);
    QCOMPARE(s.stop(), 0);
}

// API replies are whole: ranges would let a small request ask for a reply
// many times the size of the data.
void ServerLimitsTest::repliesIgnoreRange()
{
    ServerProcess s;
    QVERIFY(start(s));
    Api a(s.port());
    CHECK_STATUS(a.login(kUser, kPassword), 200);
    std::string ranges = "bytes=0-";
    for (int i = 0; i < 40; ++i)
        ranges += ",0-";
    const Reply r = a.get("/customer?page=1", {{"Range", ranges}});
    CHECK_STATUS(r, 200);
    QVERIFY(r.json().is_array());
    QCOMPARE(r.json().size(), std::size_t(10));
    QCOMPARE(s.stop(), 0);
}

void ServerLimitsTest::checkoutOfTooManyOrdersIsRefused()
{
    ServerProcess s;
    QVERIFY(start(s, {"--max-checkout-orders", "3"}));
    Api a(s.port());
    CHECK_STATUS(a.login(kUser, kPassword), 200);
    const Reply c = a.post("/customer", customerBody());
    CHECK_STATUS(c, 201);
    const auto customer = c.json()["id"].get<std::int64_t>();
    for (int i = 0; i < 3; ++i)
        CHECK_STATUS(a.post("/assignment", orderBody(customer, "10,00")), 201);
    CHECK_STATUS(a.get("/assignment/checkout/multiple/" + std::to_string(customer)), 200);
    CHECK_STATUS(a.post("/assignment", orderBody(customer, "10,00")), 201);
    const Reply tooMany = a.get("/assignment/checkout/multiple/" + std::to_string(customer));
    CHECK_STATUS(tooMany, 422);
    QVERIFY2(
        tooMany.json()["error"].get<std::string>().find("4 open orders") != std::string::npos, tooMany.body.c_str());
    QCOMPARE(s.stop(), 0);
}

// While something else holds the database's write lock, a writer waits, but
// readers are served: they do not queue behind the writer.
void ServerLimitsTest::readersGoOnWhileTheDatabaseIsLocked()
{
    ServerProcess s;
    QVERIFY(start(s));
    const std::string db = path(QStringLiteral("s%1.db").arg(servers_)).toStdString();
    Api reader(s.port());
    CHECK_STATUS(reader.login(kUser, kPassword), 200);
    auto writer = std::make_unique<Api>(s.port());
    writer->setToken(reader.token());
    CHECK_STATUS(writer->get("/taxes"), 200); // connected

    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto pending = std::async(std::launch::async, [&] { return writer->post("/customer", customerBody()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QElapsedTimer t;
    t.start();
    CHECK_STATUS(reader.get("/customer?page=2"), 200);
    CHECK_STATUS(reader.post("/customer/search", Json {{"fullname", "müller"}}), 200);
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    CHECK_STATUS(pending.get(), 201);
    QCOMPARE(s.stop(), 0);
}

// Texts as long as the client's fields take, amounts up to 99.999.999,99,
// numbers JSON can carry: beyond that a clear refusal, and what was stored
// always prints.
void ServerLimitsTest::textsAmountsAndNumbersAreBounded()
{
    ServerProcess s;
    QVERIFY(start(s));
    Api a(s.port());
    CHECK_STATUS(a.login(kUser, kPassword), 200);

    CHECK_STATUS(a.post("/customer", customerBody(std::string(254, 'i'))), 201);
    CHECK_STATUS(a.post("/customer", customerBody(std::string(255, 'i'))), 422);
    const Reply c = a.post("/customer", customerBody());
    const auto customer = c.json()["id"].get<std::int64_t>();
    CHECK_STATUS(a.post("/assignment", orderBody(customer, "1,00", std::string(70000, 'x'))), 422);
    CHECK_STATUS(a.post("/assignment", orderBody(customer, "92233720368547,75")), 422);
    CHECK_STATUS(a.post("/assignment", orderBody(customer, 1e15)), 422);
    CHECK_STATUS(a.post("/customer", std::string("{\"a\":1e999999}")), 400);

    // The longest text a field takes, on an invoice of the largest amounts.
    const std::string longest(32767, 'W');
    for (int i = 0; i < 2; ++i)
        CHECK_STATUS(a.post("/assignment", orderBody(customer, "99.999.999,99", longest)), 201);
    const Reply preview = a.get("/assignment/checkout/multiple/" + std::to_string(customer));
    CHECK_STATUS(preview, 200);
    QCOMPARE(preview.json()["total_cost"].get<std::string>(), std::string("237.999.999,98"));
    const Reply billed =
        a.post("/assignment/checkout/confirm/" + std::to_string(preview.json()["id"].get<int>()), std::string());
    CHECK_STATUS(billed, 200);
    const std::string link = billed.json()["attachement_link"].get<std::string>();
    const Reply pdf = a.get(link.substr(link.find("/files/")));
    CHECK_STATUS(pdf, 200);
    QVERIFY(pdf.body.rfind("%PDF-", 0) == 0);
    QCOMPARE(s.stop(), 0);
}

void ServerLimitsTest::databaseFilesAndPasswordsStayPrivate()
{
    ServerProcess s;
    const QString db = path("private.db");
    QVERIFY2(s.start({"--listen", "127.0.0.1:0", "--db", db, "--add-user", "erika", "--add-user", "otto:Kennwort-7781"},
                 "Passwort aus stdin\n"),
        qPrintable(s.lastError()));
    Api a(s.port());
    CHECK_STATUS(a.login("erika", "Passwort aus stdin"), 200);
    CHECK_STATUS(a.login("otto", "Kennwort-7781"), 200);
    for (const char *suffix : {"", "-wal", "-shm"}) {
        struct stat st
        { };
        QVERIFY(::stat((db + suffix).toLocal8Bit().constData(), &st) == 0);
        QVERIFY2((st.st_mode & 077) == 0, suffix);
    }
    // The password given the old way is not in the process list.
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(s.pid()));
    QVERIFY(cmdline.open(QIODevice::ReadOnly));
    const QByteArray shown = cmdline.readAll();
    QVERIFY(shown.contains("otto:"));
    QVERIFY(!shown.contains("Kennwort-7781"));
    QCOMPARE(s.stop(), 0);
}

// A request body needs no Content-Length when there is none; ambiguous
// framing is refused.
void ServerLimitsTest::framingIsStrict()
{
    ServerProcess s;
    QVERIFY(start(s));
    RawConnection login(s.port());
    login.send(request("POST /tokens HTTP/1.1\r\nHost: x\r\nAuthorization: " + basic(kUser, kPassword)));
    QCOMPARE(login.status(5000), 200);

    RawConnection twice(s.port());
    twice.send(request("POST /tokens HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\nContent-Length: 2", "{}"));
    QCOMPARE(twice.status(3000), 400);
    RawConnection both(s.port());
    both.send(
        request("POST /tokens HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\nTransfer-Encoding: chunked", "0\r\n\r\n"));
    QCOMPARE(both.status(3000), 400);
    RawConnection gzip(s.port());
    gzip.send(request("POST /tokens HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: gzip", "x"));
    QCOMPARE(gzip.status(3000), 400);
    QCOMPARE(s.stop(), 0);
}

// A database the server cannot write stops the start with a clear message
// instead of failing every login later.
void ServerLimitsTest::unwritableDatabaseStopsTheStart()
{
    QTemporaryDir shared;
    // The directory is open to all: only the database file itself is
    // read-only to the server.
    QVERIFY(::chmod(shared.path().toLocal8Bit().constData(), 0777) == 0);
    const QString db = shared.filePath("readonly.db");
    ServerProcess s;
    QVERIFY(s.start({"--listen", "127.0.0.1:0", "--db", db, "--add-user", "x:y"}));
    QCOMPARE(s.stop(), 0);
    // Readable by everyone, writable by its owner only; the server runs as
    // someone else (root may write anywhere, so it takes a plain user).
    QVERIFY(QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup));
    QStringList program;
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable("setpriv").isEmpty())
            QSKIP("running as root without setpriv to run the server as another user");
        program << "setpriv"
                << "--reuid=65534"
                << "--regid=65534"
                << "--clear-groups";
    } else {
        QVERIFY(QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadOther | QFile::ReadGroup));
    }
    program << serverBinary() << "--listen"
            << "127.0.0.1:0"
            << "--db" << db;
    QProcess p;
    p.start(program.takeFirst(), program);
    const bool ended = p.waitForFinished(5000);
    if (!ended) {
        p.kill();
        p.waitForFinished();
    }
    QVERIFY2(ended, "the server started on a database it cannot write");
    QVERIFY(p.exitCode() != 0);
    const QString message = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(message.contains("read-only"), qPrintable(message));
}

void ServerLimitsTest::stopClosesIdleConnectionsAtOnce()
{
    ServerProcess s;
    QVERIFY(start(s, {"--idle-timeout", "60"}));
    Api a(s.port());
    CHECK_STATUS(a.get("/taxes"), 401); // a kept-alive connection, now idle
    RawConnection silent(s.port());
    RawConnection half(s.port());
    half.send("GET /taxes HTTP/1.1\r\n");
    QElapsedTimer t;
    t.start();
    QCOMPARE(s.stop(), 0);
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));

    // A start that fails takes the database it created with it.
    ServerProcess broken;
    const QString db = path("never.db");
    QVERIFY(!broken.start(
        {"--listen", "127.0.0.1:0", "--db", db, "--tls-cert", path("missing.pem"), "--tls-key", path("missing.pem")}));
    QVERIFY(!QFile::exists(db));
}

void ServerLimitsTest::guessingIsSlowedDown()
{
    ServerProcess s;
    QVERIFY(start(s, {"--login-attempts", "3"}));
    Api a(s.port());
    for (int i = 0; i < 3; ++i)
        CHECK_STATUS(a.login(kUser, "falsch"), 401);
    // Now even the right password waits; the client shows a refused login.
    const Reply refused = a.login(kUser, kPassword);
    CHECK_STATUS(refused, 429);
    QVERIFY(std::atoi(refused.header("Retry-After").c_str()) >= 1);
    // Another address is not held up by this one, but the name is.
    RawConnection elsewhere(s.port(), "127.0.0.5");
    elsewhere.send(request("POST /tokens HTTP/1.1\r\nHost: x\r\nAuthorization: " + basic("nobody", "x")));
    QCOMPARE(elsewhere.status(5000), 401);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    CHECK_STATUS(a.login(kUser, kPassword), 200);
    QCOMPARE(s.stop(), 0);
}

void ServerLimitsTest::guessingLocksNobodyOut_data()
{
    QTest::addColumn<QString>("failingName");
    QTest::addColumn<QString>("failingAddress");
    QTest::addColumn<QString>("loginAddress");
    QTest::newRow("someone guesses the name elsewhere") << "demo"
                                                        << "127.0.0.2"
                                                        << "127.0.0.3";
    QTest::newRow("a colleague mistypes behind the same address") << "anna"
                                                                  << "127.0.0.4"
                                                                  << "127.0.0.4";
}

// Wrong passwords slow down whoever sends them, for the name they try; a
// right password from anywhere else gets in at once.
void ServerLimitsTest::guessingLocksNobodyOut()
{
    QFETCH(QString, failingName);
    QFETCH(QString, failingAddress);
    QFETCH(QString, loginAddress);
    ServerProcess s;
    QVERIFY(start(s, {"--login-attempts", "3"}));
    const auto login = [&](const QString &from, const std::string &name, const std::string &password) {
        RawConnection c(s.port(), from.toStdString());
        c.send(request("POST /tokens HTTP/1.1\r\nHost: x\r\nAuthorization: " + basic(name, password)));
        return c.status(10000);
    };
    for (int i = 0; i < 4; ++i)
        login(failingAddress, failingName.toStdString(), "falsch");
    QCOMPARE(login(failingAddress, failingName.toStdString(), "falsch"), 429);
    QCOMPARE(login(loginAddress, kUser, kPassword), 200);
    QCOMPARE(s.stop(), 0);
}

// Checking a password is slow on purpose; a crowd logging in at once (the
// office at eight) does not hold up the requests of those already working.
void ServerLimitsTest::loginsLeaveOtherRequestsAlone()
{
    ServerProcess s;
    QVERIFY(start(s, {"--max-tokens-per-user", "100000"}));
    Api working(s.port());
    CHECK_STATUS(working.login(kUser, kPassword), 200);
    std::atomic<bool> crowding {true};
    std::atomic<int> loggedIn {0};
    std::vector<std::thread> crowd;
    for (int i = 0; i < 12; ++i)
        crowd.emplace_back([&] {
            Api a(s.port());
            while (crowding)
                loggedIn += a.login(kUser, kPassword).status == 200;
        });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::vector<qint64> took;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer t;
        t.start();
        CHECK_STATUS(working.get("/taxes"), 200);
        took.push_back(t.elapsed());
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    crowding = false;
    for (auto &t : crowd)
        t.join();
    std::sort(took.begin(), took.end());
    QVERIFY(loggedIn > 0);
    QVERIFY2(took[took.size() / 2] < 150, qPrintable(QStringLiteral("median %1 ms").arg(took[took.size() / 2])));
}

void ServerLimitsTest::sessionsExpireAndAreLimited()
{
    ServerProcess s;
    QVERIFY(start(s, {"--token-idle-timeout", "3", "--max-tokens-per-user", "2"}));
    Api first(s.port()), second(s.port()), third(s.port());
    CHECK_STATUS(first.login(kUser, kPassword), 200);
    CHECK_STATUS(second.login(kUser, kPassword), 200);
    CHECK_STATUS(third.login(kUser, kPassword), 200);
    CHECK_STATUS(first.get("/me"), 401); // the least recently used went
    CHECK_STATUS(third.get("/me"), 200);

    // Use keeps a session alive; three idle seconds end it.
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    CHECK_STATUS(third.get("/me"), 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    CHECK_STATUS(third.get("/me"), 200);
    CHECK_STATUS(second.get("/me"), 401);
    std::this_thread::sleep_for(std::chrono::milliseconds(4500));
    CHECK_STATUS(third.get("/me"), 401);
    QCOMPARE(s.stop(), 0);
}

// Update packages go out from disk, whatever their size and however slowly
// they are taken; a bounded number at once; new ones without a restart.
void ServerLimitsTest::updatePackagesAreSentFromDisk()
{
    const QString updates = path("updates");
    QVERIFY(QDir().mkpath(updates));
    QFile big(updates + "/vendrix-9.0.0-linux-x86_64.tar.gz");
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(64 << 20));
    big.close();
    ServerProcess s;
    QVERIFY(start(s, {"--updates", updates, "--max-downloads", "4"}));
    const auto peakMiB = [&] {
        QFile status(QStringLiteral("/proc/%1/status").arg(s.pid()));
        status.open(QIODevice::ReadOnly);
        const QString text = QString::fromLatin1(status.readAll());
        return text.section("VmHWM:", 1).trimmed().section(' ', 0, 0).toLongLong() / 1024;
    };
    const qint64 before = peakMiB();
    const std::string get = request("GET /vendrix/vendrix-9.0.0-linux-x86_64.tar.gz HTTP/1.1\r\nHost: x");
    std::vector<std::unique_ptr<RawConnection>> unread;
    for (int i = 0; i < 4; ++i) {
        unread.push_back(std::make_unique<RawConnection>(s.port()));
        QVERIFY(unread.back()->send(get));
        QCOMPARE(unread.back()->status(5000), 200);
    }
    RawConnection fifth(s.port());
    QVERIFY(fifth.send(get));
    QCOMPARE(fifth.status(5000), 503);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    QVERIFY2(peakMiB() - before < 32, qPrintable(QStringLiteral("%1 -> %2 MiB").arg(before).arg(peakMiB())));

    QByteArray bytes;
    for (int i = 0; i < 30000; ++i)
        bytes += QByteArray::number(i * 7919);
    QFile added(updates + "/vendrix-9.0.1-linux-x86_64.tar.gz");
    QVERIFY(added.open(QIODevice::WriteOnly) && added.write(bytes) == bytes.size());
    added.close();
    unread.clear(); // their places come back
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Api client(s.port());
    const Reply package = client.get("/vendrix/vendrix-9.0.1-linux-x86_64.tar.gz");
    CHECK_STATUS(package, 200);
    QVERIFY(package.body == bytes.toStdString());
    QCOMPARE(client.send("HEAD", "/vendrix/vendrix-9.0.0-linux-x86_64.tar.gz", "", {}).header("Content-Length"),
        std::to_string(64 << 20));
    QVERIFY(client.get("/vendrix").body.find("vendrix-9.0.1-linux-x86_64.tar.gz") != std::string::npos);
    QCOMPARE(s.stop(), 0);
}

// The record file does not grow without end: at its bound it moves aside
// (one older file is kept) and a new one begins.
void ServerLimitsTest::recordFileIsBounded()
{
    const QString record = path("bounded.jsonl");
    ServerProcess s;
    QVERIFY(start(s, {"--record", record, "--record-max-mib", "1"}));
    Api a(s.port());
    const std::string body = "{\"fullname\": \"" + std::string(400 * 1024, 'x') + "\"}";
    for (int i = 0; i < 6; ++i)
        a.post("/customer/search", body);
    QVERIFY(QFileInfo(record).size() <= (1 << 20));
    QVERIFY(QFileInfo(record + ".1").size() > (512 << 10));
    QVERIFY(QFileInfo(record + ".1").size() <= (1 << 20));
    QCOMPARE(QFile(record + ".1").permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    QCOMPARE(s.stop(), 0);
}

QTEST_GUILESS_MAIN(ServerLimitsTest)
#include "tst_server_limits.moc"
