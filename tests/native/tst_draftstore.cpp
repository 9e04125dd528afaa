#include "draftstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

// Drafts hold what a user typed (addresses, prices): only their owner may
// read them, one user's never turns up for another, and a draft on disk is
// always a whole one.
class TestDraftStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_data;

    static int modeOf(const QString &path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_data.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrova"));
        QCoreApplication::setApplicationName(QStringLiteral("Vendrix"));
    }

    void draftIsPrivateWholeAndTheOwnersAlone()
    {
        DraftStore store;
        QVERIFY(store.write(QStringLiteral("demo"), QStringLiteral("order-17"), QStringLiteral("{\"a\":\"Köln\"}")));
        const QString file = store.path(QStringLiteral("demo"), QStringLiteral("order-17"));
        QVERIFY(file.startsWith(m_data.path()));
        QCOMPARE(modeOf(file), 0600);
        QCOMPARE(modeOf(QFileInfo(file).path()), 0700);
        QCOMPARE(modeOf(DraftStore::rootDirectory()), 0700);
        QCOMPARE(store.read(QStringLiteral("demo"), QStringLiteral("order-17")), QStringLiteral("{\"a\":\"Köln\"}"));

        // another user, or another office's server, has drafts of its own
        QCOMPARE(store.read(QStringLiteral("anna"), QStringLiteral("order-17")), QString());
        qputenv("VENDRIX_API_URL", "https://other.office.example");
        QCOMPARE(DraftStore().read(QStringLiteral("demo"), QStringLiteral("order-17")), QString());
        qunsetenv("VENDRIX_API_URL");

        // a rewrite replaces the file whole and leaves nothing beside it
        QVERIFY(store.write(QStringLiteral("demo"), QStringLiteral("order-17"), QStringLiteral("{}")));
        QCOMPARE(store.read(QStringLiteral("demo"), QStringLiteral("order-17")), QStringLiteral("{}"));
        QCOMPARE(QDir(QFileInfo(file).path()).entryList(QDir::Files | QDir::Hidden),
            QStringList {QStringLiteral("order-17.json")});
        QCOMPARE(modeOf(file), 0600);

        // switched off, nothing is read or written
        qputenv(DraftStore::SwitchVariable, "off");
        DraftStore off;
        QCOMPARE(off.read(QStringLiteral("demo"), QStringLiteral("order-17")), QString());
        QVERIFY(!off.write(QStringLiteral("demo"), QStringLiteral("order-18"), QStringLiteral("{}")));
        QVERIFY(!QFile::exists(store.path(QStringLiteral("demo"), QStringLiteral("order-18"))));
        qunsetenv(DraftStore::SwitchVariable);

        QVERIFY(store.remove(QStringLiteral("demo"), QStringLiteral("order-17")));
        QVERIFY(!QFile::exists(file));
        QCOMPARE(store.read(QStringLiteral("demo"), QStringLiteral("order-17")), QString());
    }

    void namesThatLeaveTheDirectoryAreRefused_data()
    {
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("name");
        QTest::newRow("parent") << QStringLiteral("demo") << QStringLiteral("..");
        QTest::newRow("separator") << QStringLiteral("demo") << QStringLiteral("../order");
        QTest::newRow("empty name") << QStringLiteral("demo") << QString();
        QTest::newRow("no owner") << QString() << QStringLiteral("new-order");
        QTest::newRow("too long") << QStringLiteral("demo") << QString(65, QLatin1Char('a'));
    }

    void namesThatLeaveTheDirectoryAreRefused()
    {
        QFETCH(QString, owner);
        QFETCH(QString, name);
        DraftStore store;
        QCOMPARE(store.path(owner, name), QString());
        QVERIFY(!store.write(owner, name, QStringLiteral("{}")));
        QCOMPARE(store.read(owner, name), QString());
    }
};

QTEST_GUILESS_MAIN(TestDraftStore)

#include "tst_draftstore.moc"
