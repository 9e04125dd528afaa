#include "passwordstore.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTest>

// A keyring that takes requests and never answers, on a private session bus
// whose secret service is this process itself. (The keyring against a real
// gnome-keyring, and without any bus, is tested through the login panel.)
class TestPasswordStore : public QObject
{
    Q_OBJECT

private:
    // Reads the password of "anna"; the status and the milliseconds until the answer.
    static QPair<PasswordStore::Status, qint64> timedRead(PasswordStore &store)
    {
        auto answer = std::make_shared<PasswordStore::Status>(PasswordStore::Ok);
        auto answered = std::make_shared<bool>(false);
        QElapsedTimer clock;
        clock.start();
        store.read(QStringLiteral("anna"), [answer, answered](PasswordStore::Status status, const QString &) {
            *answer = status;
            *answered = true;
        });
        if (*answered)
            return {PasswordStore::Ok, -1}; // answered before the request returned
        static_cast<void>(QTest::qWaitFor([answered] { return *answered; }, 10000));
        return {*answer, *answered ? clock.elapsed() : 10000};
    }

private Q_SLOTS:
    void silentKeyringCountsAsUnavailable()
    {
        // static: the bus may still hand it a message after a failed check
        static struct Silent : QDBusVirtualObject
        {
            QString introspect(const QString &) const override { return {}; }
            bool handleMessage(const QDBusMessage &, const QDBusConnection &) override { return true; }
        } silent;
        QDBusConnection bus = QDBusConnection::sessionBus();
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.secrets")));
        QVERIFY(bus.registerVirtualObject(QStringLiteral("/"), &silent, QDBusConnection::SubPath));

        PasswordStore store;
        store.setTimeout(400);
        const auto first = timedRead(store);
        QCOMPARE(first.first, PasswordStore::Unavailable);
        // (coarse timers may fire a little early)
        QVERIFY2(first.second >= 300 && first.second < 3000, qPrintable(QString::number(first.second)));
        // the keyring still sits on the first request: the next one is not queued behind it
        const auto second = timedRead(store);
        QCOMPARE(second.first, PasswordStore::Unavailable);
        QVERIFY2(second.second >= 0 && second.second < 200, qPrintable(QString::number(second.second)));
    }
};

QTEST_GUILESS_MAIN(TestPasswordStore)

#include "tst_passwordstore.moc"
