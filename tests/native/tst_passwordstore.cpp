#include "passwordstore.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <memory>

// The keyring behind the remembered password. Each function runs in the
// setting its ctest gives it: roundTrip against a private gnome-keyring,
// withoutSessionBus with no bus at all, silentKeyring on a private bus whose
// secret service takes requests and never answers.
class TestPasswordStore : public QObject
{
    Q_OBJECT

private:
    struct Outcome {
        PasswordStore::Status status = PasswordStore::Unavailable;
        QString password;
        bool answered = false;
        // the answer came while the request was still being made
        bool beforeReturn = false;
        qint64 milliseconds = 0;
    };

    // Makes a request and waits for its answer (`answered` tells whether it came).
    static Outcome ask(const std::function<void(PasswordStore::Answer)> &request)
    {
        auto outcome = std::make_shared<Outcome>();
        auto returned = std::make_shared<bool>(false);
        QElapsedTimer clock;
        clock.start();
        request([outcome, returned, clock](PasswordStore::Status status, const QString &password) {
            outcome->status = status;
            outcome->password = password;
            outcome->beforeReturn = !*returned;
            outcome->answered = true;
            outcome->milliseconds = clock.elapsed();
        });
        *returned = true;
        static_cast<void>(QTest::qWaitFor([outcome] { return outcome->answered; }, 10000));
        return *outcome;
    }

    static Outcome read(PasswordStore &store, const QString &user)
    {
        return ask([&](PasswordStore::Answer answer) { store.read(user, std::move(answer)); });
    }
    static Outcome write(PasswordStore &store, const QString &user, const QString &password)
    {
        return ask([&](PasswordStore::Answer answer) { store.store(user, password, std::move(answer)); });
    }
    static Outcome remove(PasswordStore &store, const QString &user)
    {
        return ask([&](PasswordStore::Answer answer) { store.remove(user, std::move(answer)); });
    }

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << "anna"
                               << "geheim";
        QTest::newRow("umlauts, blanks and quotes") << "jürgen"
                                                    << "pä ss\"wört' €\\";
        QTest::newRow("long") << "kurt" << QString(300, QLatin1Char('k'));
    }

    void roundTrip()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        PasswordStore store;
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        const Outcome stored = write(store, user, password);
        QVERIFY(stored.answered);
        QVERIFY(!stored.beforeReturn);
        QCOMPARE(stored.status, PasswordStore::Ok);
        Outcome found = read(store, user);
        QCOMPARE(found.status, PasswordStore::Ok);
        QVERIFY(!found.beforeReturn);
        QCOMPARE(found.password, password);

        // a second store replaces the first; other users keep theirs
        QCOMPARE(write(store, user, password + "2").status, PasswordStore::Ok);
        QCOMPARE(write(store, "nachbar", "fremd").status, PasswordStore::Ok);
        QCOMPARE(read(store, user).password, password + "2");

        QCOMPARE(remove(store, user).status, PasswordStore::Ok);
        found = read(store, user);
        QCOMPARE(found.status, PasswordStore::NotFound);
        QCOMPARE(found.password, QString());
        QCOMPARE(read(store, "nachbar").password, QString("fremd"));
    }

    void withoutSessionBus_data()
    {
        QTest::addColumn<QString>("request");
        QTest::newRow("read") << "read";
        QTest::newRow("store") << "store";
        QTest::newRow("remove") << "remove";
    }

    void withoutSessionBus()
    {
        QFETCH(QString, request);
        QVERIFY(!QDBusConnection::sessionBus().isConnected());
        PasswordStore store;
        const Outcome outcome = request == "read" ? read(store, "anna")
            : request == "store"                  ? write(store, "anna", "geheim")
                                                  : remove(store, "anna");
        QVERIFY(outcome.answered);
        QVERIFY(!outcome.beforeReturn);
        QCOMPARE(outcome.status, PasswordStore::Unavailable);
        QVERIFY2(outcome.milliseconds < 1000, qPrintable(QString::number(outcome.milliseconds)));
    }

    void silentKeyring()
    {
        // takes every message to the secret service and answers none
        // (static: the bus may still hand it a message after a failed check)
        static struct Silent : QDBusVirtualObject {
            QString introspect(const QString &) const override { return {}; }
            bool handleMessage(const QDBusMessage &, const QDBusConnection &) override { return true; }
        } silent;
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerService("org.freedesktop.secrets"));
        QVERIFY(bus.registerVirtualObject("/", &silent, QDBusConnection::SubPath));

        PasswordStore store;
        store.setTimeout(400);
        const Outcome first = write(store, "anna", "geheim");
        QVERIFY(first.answered);
        QCOMPARE(first.status, PasswordStore::Unavailable);
        QVERIFY2(first.milliseconds >= 400 && first.milliseconds < 3000, qPrintable(QString::number(first.milliseconds)));
        // the keyring still sits on the first request: the next is not queued behind it
        const Outcome second = read(store, "anna");
        QCOMPARE(second.status, PasswordStore::Unavailable);
        QVERIFY(!second.beforeReturn);
        QVERIFY2(second.milliseconds < 200, qPrintable(QString::number(second.milliseconds)));
    }
};

QTEST_GUILESS_MAIN(TestPasswordStore)

#include "tst_passwordstore.moc"
