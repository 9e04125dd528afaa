#include "offlinestorage.h"

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <sys/types.h>

// The settings database (with the remembered password) must stay private to the user.
class OfflineStorageTest : public QObject
{
    Q_OBJECT

private:
    static mode_t modeOf(const QString &path)
    {
        struct stat st
        { };
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return 0;
        return st.st_mode & 07777;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // the way a careless desktop session starts processes
        m_oldMask = ::umask(022);
    }

    void cleanupTestCase() { ::umask(m_oldMask); }

    void tightensWhatExistsAlready()
    {
        QTemporaryDir dir;
        const QString databases = dir.filePath(QStringLiteral("Databases"));
        QVERIFY(QDir().mkpath(databases));
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(databases, QFile::permissions(databases) | QFile::ReadOther | QFile::ExeOther);
        const QString file = databases + QStringLiteral("/0123.sqlite");
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(modeOf(file) & S_IROTH);

        QVERIFY(OfflineStorage::restrictToOwner(dir.path()));
        QCOMPARE(modeOf(dir.path()), mode_t(0700));
        QCOMPARE(modeOf(databases), mode_t(0700));
        QCOMPARE(modeOf(file), mode_t(0600));
    }

    void databaseWrittenLaterIsOutOfReachOfOthers()
    {
        QTemporaryDir dir;
        const QString storage = dir.filePath(QStringLiteral("storage"));
        QQmlEngine engine;
        engine.setOfflineStoragePath(storage);
        QVERIFY(OfflineStorage::restrictToOwner(&engine));

        QQmlComponent component(&engine);
        component.setData(
            "import QtQml 2.15\n"
            "import QtQuick.LocalStorage 2.12\n"
            "QtObject { Component.onCompleted: LocalStorage.openDatabaseSync("
            "\"Vendrix\", \"0.9.6\", \"VendrixDatabase\", 100).transaction(function (tx) {"
            " tx.executeSql(\"CREATE TABLE IF NOT EXISTS settings(setting TEXT UNIQUE, value TEXT)\") }) }",
            QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));

        const QFileInfoList files =
            QDir(storage + QStringLiteral("/Databases")).entryInfoList({QStringLiteral("*.sqlite")}, QDir::Files);
        QCOMPARE(files.size(), 1);
        // sqlite follows the umask, so the file itself may be world-readable;
        // the directory around it is what keeps others out
        QCOMPARE(modeOf(storage + QStringLiteral("/Databases")), mode_t(0700));
        QCOMPARE(modeOf(storage), mode_t(0700));
    }

private:
    mode_t m_oldMask = 022;
};

QTEST_GUILESS_MAIN(OfflineStorageTest)

#include "tst_offlinestorage.moc"
