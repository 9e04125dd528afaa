// Unit tests of the server's pure helpers: money text, encodings, routing,
// command line, and the paging of long documents.

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "auth.h"
#include "billing.h"
#include "db.h"
#include "http.h"
#include "json_write.h"
#include "login_throttle.h"
#include "money.h"
#include "options.h"
#include "paging.h"
#include "pdf.h"
#include "server.h"
#include "text_fold.h"

using namespace vx;

Q_DECLARE_METATYPE(std::string)

class ServerUnitTest : public QObject
{
    Q_OBJECT

private slots:
    void moneyParsing_data();
    void moneyParsing();
    void moneyFormattingAndTax();
    void cp1252Conversion();
    void caseFolding();
    void basicCredentials();
    void routing();
    void pagesStartWhereCountingWould();
    void jsonIsWrittenAsNlohmannDumpsIt_data();
    void jsonIsWrittenAsNlohmannDumpsIt();
    void commandLine();
    void longInvoiceBreaksPages();
    void textsOfAnyLengthPrint();
    void sumsDoNotOverflow();
    void fullDiskIsToldApart();
    void loginThrottleRules_data();
    void loginThrottleRules();
    void misusedStatementsFailLoudly_data();
    void misusedStatementsFailLoudly();
    void clientBehindTrustedProxies_data();
    void clientBehindTrustedProxies();
};

void ServerUnitTest::moneyParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("cents"); // -1: refused
    QTest::newRow("comma") << "12,50" << qint64(1250);
    QTest::newRow("point") << "12.50" << qint64(1250);
    QTest::newRow("one decimal") << "50,5" << qint64(5050);
    QTest::newRow("whole") << "7" << qint64(700);
    QTest::newRow("empty is zero") << "" << qint64(0);
    QTest::newRow("blanks") << "  3,10 " << qint64(310);
    QTest::newRow("german thousands") << "1.234,56" << qint64(123456);
    QTest::newRow("english thousands") << "1,234.56" << qint64(123456);
    QTest::newRow("many groups") << "1.000.000,00" << qint64(100000000);
    QTest::newRow("trailing separator") << "12," << qint64(1200);
    QTest::newRow("three decimals") << "1.234" << qint64(-1);
    QTest::newRow("two commas") << "1,2,3" << qint64(-1);
    QTest::newRow("letters") << "12 EUR" << qint64(-1);
    QTest::newRow("negative") << "-5,00" << qint64(-1);
    QTest::newRow("separator only") << "," << qint64(-1);
    QTest::newRow("overflow") << "99999999999999999999" << qint64(-1);
}

void ServerUnitTest::moneyParsing()
{
    QFETCH(QString, text);
    QFETCH(qint64, cents);
    const auto parsed = parseMoney(text.toStdString());
    if (cents < 0)
        QVERIFY(!parsed);
    else
        QCOMPARE(parsed.value_or(-1), static_cast<std::int64_t>(cents));
    // JSON numbers are euros.
    QCOMPARE(parseMoney(Json(12.5)).value_or(-1), std::int64_t(1250));
    QCOMPARE(parseMoney(Json(0.1 + 0.2)).value_or(-1), std::int64_t(30));
    QCOMPARE(parseMoney(Json(3)).value_or(-1), std::int64_t(300));
    QVERIFY(!parseMoney(Json(-1)));
    QVERIFY(!parseMoney(Json(true)));
}

void ServerUnitTest::moneyFormattingAndTax()
{
    QCOMPARE(formatMoneyDe(0), std::string("0,00"));
    QCOMPARE(formatMoneyDe(5), std::string("0,05"));
    QCOMPARE(formatMoneyDe(123450), std::string("1.234,50"));
    QCOMPARE(formatMoneyDe(100000000), std::string("1.000.000,00"));
    QCOMPARE(formatMoneyDe(99999), std::string("999,99"));
    QCOMPARE(formatMoneyDe(-310), std::string("-3,10"));
    // Half up on the exact product.
    QCOMPARE(taxOf(26450, 19), std::int64_t(5026)); // 50,255
    QCOMPARE(taxOf(1000, 16), std::int64_t(160));
    QCOMPARE(taxOf(12345, 0), std::int64_t(0));
    QCOMPARE(taxOf(1, 19), std::int64_t(0)); // 0,0019
    QCOMPARE(taxOf(3, 19), std::int64_t(1)); // 0,0057
}

void ServerUnitTest::cp1252Conversion()
{
    QCOMPARE(utf8ToCp1252("Größe Übergabe"),
        std::string("Gr\xF6\xDF"
                    "e \xDC"
                    "bergabe"));
    QCOMPARE(utf8ToCp1252("12 €"), std::string("12 \x80"));
    QCOMPARE(utf8ToCp1252("„Zitat“ – Ende…"), std::string("\x84Zitat\x93 \x96 Ende\x85"));
    QCOMPARE(utf8ToCp1252("Zeile\nzwei\t!"), std::string("Zeile zwei !"));
    QCOMPARE(utf8ToCp1252("日本"), std::string("??"));
    QCOMPARE(utf8ToCp1252("bad \xC3"), std::string("bad ?"));
    QCOMPARE(utf8ToCp1252("\xE2\x82"), std::string("??"));
}

void ServerUnitTest::caseFolding()
{
    QCOMPARE(foldCase("MÜLLER Straße ÄÖÜ"), std::string("müller straße äöü"));
    QCOMPARE(foldCase("ẞ"), std::string("ß"));
    QCOMPARE(foldCase("×"), std::string("×")); // not a letter
    QCOMPARE(foldCase("ABC\xff"), std::string("abc\xff"));
}

void ServerUnitTest::basicCredentials()
{
    auto c = parseBasic("Basic ZGVtbzp2ZW5kcml4LWRlbW8=");
    QVERIFY(c);
    QCOMPARE(c->username, std::string("demo"));
    QCOMPARE(c->password, std::string("vendrix-demo"));
    c = parseBasic("basic dTpwOnc="); // "u:p:w": the password keeps its colon
    QVERIFY(c);
    QCOMPARE(c->password, std::string("p:w"));
    c = parseBasic("Basic Og==");
    QVERIFY(c && c->username.empty() && c->password.empty());
    QVERIFY(!parseBasic("Basic dXNlcg==")); // no colon
    QVERIFY(!parseBasic("Basic ===="));
    QVERIFY(!parseBasic("Basic Zm9v=Zm9v"));
    QVERIFY(!parseBasic("Bearer abc"));
    QVERIFY(!parseBasic(""));
    QCOMPARE(parseBearer("Bearer  abc ").value_or(""), std::string("abc"));
    QVERIFY(!parseBearer("Bearer "));
}

void ServerUnitTest::routing()
{
    Router r;
    int hit = 0;
    r.add("GET", "assignment/{id}", [&](Ctx &) { hit = 1; });
    r.add("PUT", "assignment/{id}", [&](Ctx &) { hit = 2; });
    r.add("POST", "assignment/search", [&](Ctx &) { hit = 3; });
    r.add("GET", "deliveryorder/checklast", [&](Ctx &) { hit = 4; });
    r.add("DELETE", "deliveryorder/{id}", [&](Ctx &) { hit = 5; });

    auto m = r.match("GET", "/assignment/17/");
    QVERIFY(m.handler);
    QCOMPARE(m.ids, std::vector<std::int64_t> {17});
    QVERIFY(r.match("POST", "/assignment/search").handler);
    QVERIFY(r.match("HEAD", "/assignment/3").handler);

    m = r.match("GET", "/assignment/search"); // a literal beats an id
    QCOMPARE(m.status, 405);
    QCOMPARE(QString::fromStdString(m.allow), QStringLiteral("POST"));
    QCOMPARE(r.match("DELETE", "/deliveryorder/checklast").status, 405);
    QCOMPARE(r.match("GET", "/deliveryorder/5").status, 405);
    QCOMPARE(r.match("GET", "/assignment/x1").status, 400);
    QCOMPARE(r.match("GET", "/assignment/0").status, 400);
    QCOMPARE(r.match("GET", "/assignment").status, 404);
    QCOMPARE(r.match("GET", "/assignment/1/2").status, 404);
    QCOMPARE(r.match("GET", "/").status, 404);
}

// Page N found through remembered boundaries starts with the row that
// counting through the list would give, also after inserts and deletions.
void ServerUnitTest::pagesStartWhereCountingWould()
{
    QTemporaryDir dir;
    Db db(dir.filePath("pages.db").toStdString());
    PageIndex pages;
    const std::int64_t size = 10;
    auto insert = [&](int n) {
        Transaction tx(db);
        for (int i = 0; i < n; ++i)
            db.prepare("INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
                       "address_province, address_country, phone, fax, email, info, commercialability) "
                       "VALUES ('A', 'B', '', '', '', '', 36, '', '', '', '', 0)")
                .run();
        tx.commit();
    };
    auto remove = [&](std::int64_t id) {
        Transaction tx(db);
        db.prepare("DELETE FROM customers WHERE id = ?").bind(1, id).run();
        tx.commit();
    };
    auto firstIdOf = [&](std::int64_t page) -> std::int64_t {
        ReadTransaction snapshot(db);
        const auto start = pages.start(db, "customers", page, size, snapshot.settled());
        if (!start.exists)
            return 0;
        auto s = db.prepare("SELECT id FROM customers WHERE id > ? ORDER BY id LIMIT 1");
        s.bind(1, start.afterId.value_or(0));
        return s.step() ? s.getInt(0) : 0;
    };
    auto countedFirstIdOf = [&](std::int64_t page) -> std::int64_t {
        auto s = db.prepare("SELECT id FROM customers ORDER BY id LIMIT 1 OFFSET ?");
        s.bind(1, (page - 1) * size);
        return s.step() ? s.getInt(0) : 0;
    };
    auto agree = [&](const char *when) {
        for (std::int64_t page : {12, 1, 2, 5, 9, 10, 11, 3})
            QVERIFY2(firstIdOf(page) == countedFirstIdOf(page),
                qPrintable(QStringLiteral("%1, page %2: %3 instead of %4")
                               .arg(when)
                               .arg(page)
                               .arg(firstIdOf(page))
                               .arg(countedFirstIdOf(page))));
    };
    agree("empty");
    insert(95);
    agree("95 rows");
    insert(10);
    agree("105 rows");
    remove(3);
    remove(50);
    agree("after deletions");
    remove(105);
    insert(1); // takes the freed highest id
    agree("highest id deleted and taken again");
}

void ServerUnitTest::jsonIsWrittenAsNlohmannDumpsIt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("plain") << QByteArray("Anna Schmidt, Teststraße 1");
    QTest::newRow("quotes and backslashes") << QByteArray("\"a\\b\" \\");
    QByteArray controls;
    for (char c = 0; c < 0x20; ++c)
        controls += c;
    QTest::newRow("control characters") << (controls + "\x7F");
    QTest::newRow("two to four bytes") << QByteArray(
        "\xC3\xBC"
        " \xE2\x82\xAC \xEF\xBB\xBF \xEF\xBF\xBF \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF");
    QTest::newRow("lone continuation") << QByteArray("a\x80"
                                                     "b");
    QTest::newRow("overlong") << QByteArray("\xC0\x80 \xE0\x80\x80 \xF0\x80\x80\x80");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80 \xF5\x80\x80\x80");
    QTest::newRow("cut short") << QByteArray("x\xE2\x82");
}

// Replies are written by writeJson; the client reads what nlohmann wrote,
// byte for byte, also where a text is not UTF-8.
void ServerUnitTest::jsonIsWrittenAsNlohmannDumpsIt()
{
    QFETCH(QByteArray, text);
    const std::string t = text.toStdString();
    const Json value = {{"text", t},
        {t,
            Json::array({t, 0, -1, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::uint64_t>::max(),
                12.5, 1.0, -0.0, 1e300, std::nan(""), true, false, nullptr, Json::object(), Json::array()})},
        {"nested", {{"a", {{"b", Json::array({Json::object({{"c", t}})})}}}}}};
    QCOMPARE(writeJson(value), value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void ServerUnitTest::commandLine()
{
    auto parse = [](std::vector<std::string> a) { return parseOptions(a); };
    auto ok = parse({"--listen", "127.0.0.1:0", "--db", "x.db", "--demo", "--page-size", "25", "--record", "r"});
    QVERIFY(ok.options);
    QCOMPARE(ok.options->port, 0);
    QCOMPARE(ok.options->host, std::string("127.0.0.1"));
    QCOMPARE(ok.options->pageSize, std::int64_t(25));
    QVERIFY(ok.options->demo);
    QCOMPARE(ok.options->seedCustomers, std::int64_t(0)); // nothing generated unless asked
    QCOMPARE(ok.options->seed, std::int64_t(1));
    auto seeded =
        parse({"--listen", "h:1", "--db", "x", "--seed-customers", "20000", "--seed-orders", "50000", "--seed", "42"});
    QVERIFY(seeded.options);
    QCOMPARE(seeded.options->seedCustomers, std::int64_t(20000));
    QCOMPARE(seeded.options->seedOrders, std::int64_t(50000));
    QCOMPARE(seeded.options->seed, std::int64_t(42));
    QCOMPARE(parse({"--listen", "[::1]:8080", "--db", "x"}).options->host, std::string("::1"));
    // The last of --db and --db-file counts: the service unit names its
    // SQLite file before the administrator's options.
    const auto fromFile = parse({"--listen", "h:1", "--db", "x", "--db-file", "/run/credentials/db"});
    QVERIFY(fromFile.options && fromFile.options->dbPath.empty());
    QCOMPARE(fromFile.options->dbFile, std::string("/run/credentials/db"));

    for (const auto &bad : std::vector<std::vector<std::string>> {
             {"--db", "x"},
             {"--listen", "127.0.0.1", "--db", "x"},
             {"--listen", "127.0.0.1:70000", "--db", "x"},
             {"--listen", "127.0.0.1:0"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--page-size", "0"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--tls-cert", "c"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--bogus"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--add-user", ":nobody"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--public-url", "ftp://x"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--public-url", "https://x/"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--workers", "0"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--seed-customers", "-5"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--seed-orders"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--seed", "zwei"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--record-max-mib", "0"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--metrics-listen", "9470"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--log-format", "xml"},
             {"--listen", "127.0.0.1:0", "--db", "x", "--trusted-proxy", "balancer.example"},
             {"--backup", "b.sqlite", "--db", "x", "--demo"},
             {"--backup", "b.sqlite", "--db", "x", "--backup-keep", "-1"},
         }) {
        const auto r = parse(bad);
        QVERIFY(!r.options);
        QVERIFY(!r.error.empty());
    }
    // A backup needs no address to serve on.
    const auto backup = parse({"--backup", "backups/", "--backup-keep", "7", "--db", "x"});
    QVERIFY(backup.options);
    QCOMPARE(backup.options->backupKeep, std::int64_t(7));
    const auto help = parse({"--help"});
    QVERIFY(!help.options && help.error.empty());
}

void ServerUnitTest::longInvoiceBreaksPages()
{
    InvoiceDocument doc;
    doc.invoiceNo = "R-99";
    doc.issuedDate = "01.06.2024";
    doc.customerNo = "7";
    doc.address = {"Jürgen Müller", "Königsallee 60", "40212 Düsseldorf"};
    for (int i = 0; i < 120; ++i)
        doc.positions.push_back({"01.06.2024", "B-" + std::to_string(i),
            "Sendung mit sehr langer Beschreibung, "
            "die nicht in die Spalte passt",
            "Overnight", "Domestik", "19%", 1000});
    doc.rates = {{19, 120000, 22800, 142800}};
    doc.totalCents = 142800;
    const std::string pdf = renderInvoice(doc);
    QVERIFY(pdf.rfind("%PDF-", 0) == 0);

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    QFile f(dir.filePath("long.pdf"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(pdf.data(), static_cast<qint64>(pdf.size()));
    f.close();
    QProcess p;
    p.start("pdftotext", {"-layout", f.fileName(), "-"});
    QVERIFY(p.waitForFinished(10000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(text.contains("Jürgen Müller"));
    QVERIFY(text.contains("B-0 ") && text.contains("B-119 ")); // no row lost at a page break
    QVERIFY(text.contains("1.428,00 €"));
    QVERIFY(text.contains("Seite 1 von 4") || text.contains("Seite 1 von 3") || text.contains("Seite 1 von 5"));
    QCOMPARE(text.count("Gesamtbetrag"), 1);
}

// Whatever a field holds, the document prints, cut to its column, in about
// the time a short one takes.
void ServerUnitTest::textsOfAnyLengthPrint()
{
    InvoiceDocument doc;
    doc.invoiceNo = "R-1";
    doc.issuedDate = "01.06.2024";
    doc.customerNo = "1";
    doc.address = {std::string(100000, 'A'), "Weg 1", "20095 Hamburg"};
    doc.positions.push_back(
        {"01.06.2024", std::string(70000, '7'), std::string(200000, 'x'), "Overnight", "Domestik", "19%", 100});
    doc.rates = {{19, 100, 19, 119}};
    doc.totalCents = 119;
    QElapsedTimer t;
    t.start();
    std::string pdf;
    try {
        pdf = renderInvoice(doc);
    } catch (const std::exception &e) {
        QFAIL(e.what());
    }
    QVERIFY(pdf.rfind("%PDF-", 0) == 0);
    QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
}

void ServerUnitTest::sumsDoNotOverflow()
{
    QCOMPARE(addCents(std::numeric_limits<std::int64_t>::max(), 1), std::optional<std::int64_t>());
    QCOMPARE(taxOf(std::numeric_limits<std::int64_t>::max() / 10, 19), std::optional<std::int64_t>());
    RateTotals totals;
    bool refused = false;
    try {
        for (int i = 0; i < 61; ++i)
            totals.add(19, 9223372036854775LL); // stored before amounts were bounded
        totals.total();
    } catch (const HttpError &e) {
        refused = e.status == 422;
    }
    QVERIFY(refused);
}

// A full disk is a 507 that says so, not an anonymous 500.
void ServerUnitTest::fullDiskIsToldApart()
{
    QTemporaryDir dir;
    Db db(dir.filePath("full.db").toStdString());
    db.exec("PRAGMA max_page_count = 40");
    int status = 0;
    std::string message;
    try {
        Transaction tx(db);
        for (int i = 0; i < 1000; ++i)
            db.prepare("INSERT INTO categories(name) VALUES (?)").bind(1, std::string(1000, 'k')).run();
        tx.commit();
    } catch (const DbError &e) {
        const HttpError reply = httpErrorOf(e);
        status = reply.status;
        message = reply.message;
    }
    QCOMPARE(status, 507);
    QVERIFY(message.find("disk is full") != std::string::npos);
}

void ServerUnitTest::loginThrottleRules_data()
{
    // Steps "SECONDS fail|ok|wait NAME@ADDRESS [xTIMES | EXPECTED]"; in a
    // repeated fail, "#" in the name counts up (other names).
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("the pair waits, doubling to a minute") << QStringList {"0 fail demo@a x5", "0 wait demo@a 1",
        "1 fail demo@a", "1 wait demo@a 2", "3 fail demo@a x10", "3 wait demo@a 60", "63 wait demo@a 0"};
    QTest::newRow("other addresses and other names go on")
        << QStringList {"0 fail demo@a x20", "0 wait demo@b 0", "0 wait anna@a 0"};
    QTest::newRow("a right password clears the pair")
        << QStringList {"0 fail demo@a x6", "2 ok demo@a", "2 wait demo@a 0", "2 fail demo@a", "2 wait demo@a 0"};
    QTest::newRow("a quiet hour forgets the pair")
        << QStringList {"0 fail demo@a x6", "3700 fail demo@a", "3700 wait demo@a 0"};
    QTest::newRow("an office mistypes within its budget")
        << QStringList {"0 fail user#@office x99", "0 wait demo@office 0"};
    QTest::newRow("beyond the budget the address waits, and it refills")
        << QStringList {"0 fail user#@office x100", "0 wait demo@office 36", "0 wait demo@home 0",
               "36 wait demo@office 0", "36 fail x@office", "36 wait demo@office 36"};
    QTest::newRow("logging in between guesses earns no budget")
        << QStringList {"0 fail user#@office x100", "0 ok demo@office", "0 wait anna@office 36"};
}

// The rules of login throttling, on a clock of the test's own: budget 100
// failures an hour per address, 5 free failures per name and address.
void ServerUnitTest::loginThrottleRules()
{
    QFETCH(QStringList, steps);
    LoginThrottle throttle(5, 100);
    const auto start = LoginThrottle::Clock::now();
    for (const QString &step : steps) {
        const QStringList p = step.split(' ');
        const auto now = start + std::chrono::seconds(p[0].toInt());
        const QStringList who = p[2].split('@');
        if (p[1] == "fail") {
            const int times = p.size() > 3 ? p[3].mid(1).toInt() : 1;
            for (int i = 0; i < times; ++i)
                throttle.failed(
                    QString(who[0]).replace('#', QString::number(i)).toStdString(), who[1].toStdString(), now);
        } else if (p[1] == "ok") {
            throttle.succeeded(who[0].toStdString(), who[1].toStdString());
        } else {
            QVERIFY2(throttle.waitSeconds(who[0].toStdString(), who[1].toStdString(), now) == p[3].toInt(),
                qPrintable(step + ": "
                    + QString::number(throttle.waitSeconds(who[0].toStdString(), who[1].toStdString(), now))));
        }
    }
}

void ServerUnitTest::misusedStatementsFailLoudly_data()
{
    QTest::addColumn<QString>("misuse");
    QTest::newRow("column of a missing row") << "missing row";
    QTest::newRow("column after the last row") << "after last row";
    QTest::newRow("write over an open statement") << "open statement";
    QTest::newRow("write inside a snapshot") << "write in snapshot";
}

// Mistakes that an engine would answer with a crash, a made-up value or an
// occasional "busy" are an error every time.
void ServerUnitTest::misusedStatementsFailLoudly()
{
    QFETCH(QString, misuse);
    QTemporaryDir dir;
    Db db(dir.filePath("misuse.db").toStdString());
    db.exec("INSERT INTO categories(name) VALUES ('Kisten')");
    bool refused = false;
    try {
        if (misuse == "missing row") {
            auto s = db.prepare("SELECT name FROM categories WHERE id = 99");
            s.step();
            s.getText("name");
        } else if (misuse == "after last row") {
            auto s = db.prepare("SELECT name FROM categories");
            while (s.step()) { }
            s.getText(0);
        } else if (misuse == "open statement") {
            auto s = db.prepare("SELECT name FROM categories");
            QVERIFY(s.step());
            Transaction tx(db);
        } else {
            ReadTransaction snapshot(db);
            Transaction tx(db);
        }
    } catch (const DbError &) {
        refused = true;
    }
    QVERIFY(refused);
    Transaction tx(db); // nothing was left open
    tx.commit();
}

void ServerUnitTest::clientBehindTrustedProxies_data()
{
    QTest::addColumn<QString>("peer");
    QTest::addColumn<QString>("forwardedFor");
    QTest::addColumn<QString>("client");
    QTest::newRow("no proxy: the peer, whatever it claims") << "203.0.113.9"
                                                            << "10.9.9.9"
                                                            << "203.0.113.9";
    QTest::newRow("the balancer forwards") << "10.0.0.5"
                                           << "198.51.100.7"
                                           << "198.51.100.7";
    QTest::newRow("a client's own claim before it is not believed") << "10.0.0.5"
                                                                    << "1.2.3.4, 198.51.100.7"
                                                                    << "198.51.100.7";
    QTest::newRow("two trusted hops") << "10.0.0.5"
                                      << "198.51.100.7, 10.0.0.6"
                                      << "198.51.100.7";
    QTest::newRow("a broken entry ends the trust") << "10.0.0.5"
                                                   << "198.51.100.7, bogus"
                                                   << "10.0.0.5";
    QTest::newRow("nothing forwarded") << "10.0.0.5"
                                       << ""
                                       << "10.0.0.5";
    QTest::newRow("one spelling of an address") << "::ffff:10.0.0.5"
                                                << " 2001:DB8:0:0::7 "
                                                << "2001:db8::7";
}

// The client address that logins are throttled and logged by.
void ServerUnitTest::clientBehindTrustedProxies()
{
    QFETCH(QString, peer);
    QFETCH(QString, forwardedFor);
    QFETCH(QString, client);
    const std::set<std::string> trusted {"10.0.0.5", "10.0.0.6"};
    QCOMPARE(QString::fromStdString(forwardedClient(peer.toStdString(), forwardedFor.toStdString(), trusted)), client);
}

QTEST_GUILESS_MAIN(ServerUnitTest)
#include "tst_server_units.moc"
