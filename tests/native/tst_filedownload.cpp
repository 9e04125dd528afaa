#include "cannedserver.h"
#include "downloadmanager.h"
#include "filedownload.h"
#include "qmltypes.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Signals of one element, recorded from the moment it exists.
struct Spies
{
    explicit Spies(FileDownload *download)
        : started(download, &FileDownload::started), finished(download, &FileDownload::finished),
          error(download, &FileDownload::error), running(download, &FileDownload::runningChanged),
          redirected(download, &FileDownload::redirected), update(download, &FileDownload::update)
    {
    }
    QSignalSpy started, finished, error, running, redirected, update;
};

class TestFileDownload : public QObject
{
    Q_OBJECT

private:
    CannedServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;

    // An element as a document would have it once built.
    static std::unique_ptr<FileDownload> completeDownload()
    {
        auto download = std::make_unique<FileDownload>();
        download->classBegin();
        download->componentComplete();
        return download;
    }

    QString path(const QString &name) const { return m_dir->filePath(name); }
    QUrl destination(const QString &name) const { return QUrl::fromLocalFile(path(name)); }

    static QByteArray contents(const QString &filePath)
    {
        QFile file(filePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void write(const QString &filePath, const QByteArray &data)
    {
        QFile file(filePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    // Only the named files, no leftover temporary files of the save file.
    void verifyDirectoryHolds(const QStringList &names) const
    {
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), names);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // nothing has asked for the master yet in this process
        QTest::ignoreMessage(
            QtWarningMsg, "DownloadManager::probe: Please instantiate the DownloadManager object first");
        QVERIFY(!DownloadManager::checkInstance("probe"));
        QVERIFY(DownloadManager::instance()->isReady());
        QVERIFY(DownloadManager::checkInstance("probe"));
        QVERIFY(m_server.listen());
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_server.requests.clear();
    }

    void cleanup() { m_server.dropHeld(); }

    void refusesToStartWithoutUrlOrUsableDestination_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QUrl>("destination");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no url") << QUrl() << QUrl::fromLocalFile("/tmp/x.pdf") << 1 << "Url is empty";
        QTest::newRow("no destination") << QUrl("http://127.0.0.1:1/x") << QUrl() << 2 << "Destination is empty";
        QTest::newRow("unwritable destination")
            << QUrl("http://127.0.0.1:1/x") << QUrl::fromLocalFile("/nonexistent-vendrix-dir/x.pdf") << 2 << QString();
    }
    void refusesToStartWithoutUrlOrUsableDestination()
    {
        QFETCH(QUrl, url);
        QFETCH(QUrl, destination);
        QFETCH(int, code);
        QFETCH(QString, text);
        auto download = completeDownload();
        download->setDestination(destination);
        Spies spies(download.get());

        download->start(url);

        QCOMPARE(spies.error.count(), 1);
        QCOMPARE(spies.error.at(0).at(0).toInt(), code);
        if (text.isEmpty()) // the file system's own words
            QVERIFY(!spies.error.at(0).at(1).toString().isEmpty());
        else
            QCOMPARE(spies.error.at(0).at(1).toString(), text);
        QCOMPARE(spies.started.count(), 0);
        QVERIFY(!download->running());

        // written true, the element counts as running all the same
        download->setRunning(true);
        QVERIFY(download->running());
        QCOMPARE(spies.error.count(), 2);
        QTest::qWait(50);
        QVERIFY(m_server.requests.isEmpty());
    }

    void reportsThousandsOfBytesTruncated_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("kiloBytes");
        QTest::newRow("1999") << 1999 << 1;
        QTest::newRow("2000") << 2000 << 2;
    }
    void reportsThousandsOfBytesTruncated()
    {
        QFETCH(int, size);
        QFETCH(int, kiloBytes);
        auto download = completeDownload();
        download->setDestination(destination("file.bin"));
        download->setUrl(m_server.url(QStringLiteral("/bytes/%1").arg(size)));
        Spies spies(download.get());

        download->setRunning(true);
        QVERIFY(spies.finished.wait());

        QCOMPARE(spies.update.last(), (QVariantList {kiloBytes, kiloBytes}));
        QCOMPARE(contents(path("file.bin")), QByteArray(size, 'b'));
        QCOMPARE(download->progress(), 1.0);
        QVERIFY(!download->running());
        QCOMPARE(spies.running.count(), 2); // on, then off
        QCOMPARE(spies.started.count(), 1);
        QCOMPARE(spies.error.count(), 0);
        QCOMPARE(m_server.requests, QStringList {QStringLiteral("/bytes/%1").arg(size)});
        verifyDirectoryHolds({QStringLiteral("file.bin")});
    }

    void existingDestinationIsKeptUnlessOverwriteAllowed()
    {
        write(path("report.pdf"), "old");
        auto download = completeDownload();
        download->setDestination(destination("report.pdf"));
        Spies spies(download.get());

        download->start(m_server.url("/held/4000"));
        QCOMPARE(spies.error.count(), 1);
        QCOMPARE(spies.error.at(0),
            (QVariantList {
                2, QStringLiteral("Overwriting not allowed for destination file \"%1\"").arg(path("report.pdf"))}));
        QTest::qWait(50);
        QVERIFY(m_server.requests.isEmpty());
        QCOMPARE(contents(path("report.pdf")), QByteArray("old"));

        // allowed: the old file stays whole until the last byte has arrived
        download->setOverwrite(true);
        download->start();
        QTRY_COMPARE(download->progress(), 0.5);
        QCOMPARE(spies.update.last(), (QVariantList {2, 4}));
        QCOMPARE(contents(path("report.pdf")), QByteArray("old"));
        m_server.release();
        QVERIFY(spies.finished.wait());
        QCOMPARE(contents(path("report.pdf")), QByteArray(4000, 'n'));
        verifyDirectoryHolds({QStringLiteral("report.pdf")});
    }

    // Invoices are personal data: the file is the user's alone, also when it
    // replaces a file others could read.
    void downloadedFileIsReadableByItsOwnerOnly_data()
    {
        QTest::addColumn<bool>("replacing");
        QTest::newRow("new file") << false;
        QTest::newRow("replacing a file others can read") << true;
    }
    void downloadedFileIsReadableByItsOwnerOnly()
    {
        QFETCH(bool, replacing);
        if (replacing) {
            write(path("invoice.pdf"), "old");
            QVERIFY(QFile::setPermissions(
                path("invoice.pdf"), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        auto download = completeDownload();
        download->setDestination(destination("invoice.pdf"));
        download->setOverwrite(true);
        Spies spies(download.get());
        download->start(m_server.url(QStringLiteral("/bytes/100")));
        QVERIFY(spies.finished.wait());
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther;
        QCOMPARE(QFileInfo(path("invoice.pdf")).permissions() & others, QFile::Permissions());
        QCOMPARE(contents(path("invoice.pdf")), QByteArray(100, 'b'));
    }

    void redirectIsFollowedOnlyWhenAllowed_data()
    {
        QTest::addColumn<bool>("follow");
        QTest::newRow("followed") << true;
        QTest::newRow("refused") << false;
    }
    void redirectIsFollowedOnlyWhenAllowed()
    {
        QFETCH(bool, follow);
        auto download = completeDownload();
        download->setDestination(destination("target.txt"));
        download->setFollowRedirects(follow);
        download->setUrl(m_server.url("/dir/redirect"));
        Spies spies(download.get());

        download->setRunning(true);
        QTRY_COMPARE(spies.redirected.count(), 1);
        const QUrl resolved = m_server.url("/dir/target");
        QCOMPARE(spies.redirected.at(0).at(0).toUrl(), resolved);

        if (follow) {
            QTRY_COMPARE(spies.finished.count(), 1);
            QCOMPARE(contents(path("target.txt")), QByteArray("redirected body"));
            QCOMPARE(download->url(), resolved);
            QCOMPARE(spies.running.count(), 2); // on once, off at the end: no second change for the redirect
            QCOMPARE(spies.error.count(), 0);
            QCOMPARE(m_server.requests, (QStringList {"/dir/redirect", "/dir/target"}));
        } else {
            QTRY_COMPARE(spies.error.count(), 1);
            QCOMPARE(spies.error.at(0), (QVariantList {3, QStringLiteral("Re-directs not allowed")}));
            QVERIFY(!QFile::exists(path("target.txt")));
            QVERIFY(download->running());
            QCOMPARE(m_server.requests, QStringList {"/dir/redirect"});
        }
        verifyDirectoryHolds(follow ? QStringList {"target.txt"} : QStringList());
    }

    void endlessRedirectsEndInAnError()
    {
        auto download = completeDownload();
        download->setDestination(destination("loop.txt"));
        download->setFollowRedirects(true);
        Spies spies(download.get());

        download->start(m_server.url("/loop"));
        QTRY_COMPARE_WITH_TIMEOUT(spies.error.count(), 1, 20000);
        QCOMPARE(spies.error.at(0), (QVariantList {3, QStringLiteral("Too many redirects")}));
        QCOMPARE(m_server.requests.size(), FileDownload::MaxRedirects + 1);
        verifyDirectoryHolds({});
    }

    void stopMidTransferLeavesNoFile()
    {
        auto download = completeDownload();
        download->setDestination(destination("stopped.bin"));
        Spies spies(download.get());
        download->start(m_server.url("/held/4000"));
        QTRY_VERIFY(!spies.update.isEmpty());

        download->stop();

        QVERIFY(!download->running());
        QCOMPARE(spies.running.count(), 2);
        m_server.release();
        QTest::qWait(100);
        QCOMPARE(spies.finished.count(), 0);
        QCOMPARE(spies.error.count(), 0); // a deliberate stop is not a failure
        verifyDirectoryHolds({});
    }

    void networkErrorKeepsRunningUntilStopped()
    {
        auto download = completeDownload();
        download->setDestination(destination("missing.pdf"));
        download->setUrl(m_server.url("/missing"));
        Spies spies(download.get());

        download->setRunning(true);
        QVERIFY(spies.error.wait());
        QCOMPARE(spies.error.at(0).at(0).toInt(), int(FileDownload::ErrorNetwork));
        QVERIFY2(
            spies.error.at(0).at(1).toString().contains("Not Found"), qPrintable(spies.error.at(0).at(1).toString()));
        QVERIFY(download->running());
        verifyDirectoryHolds({});

        // running true again changes nothing ...
        download->setRunning(true);
        QTest::qWait(100);
        QCOMPARE(m_server.requests.size(), 1);
        QCOMPARE(spies.started.count(), 1);
        QCOMPARE(spies.running.count(), 1);

        // ... until it has been set false
        download->stop();
        QCOMPARE(spies.running.count(), 2);
        download->setUrl(m_server.url("/bytes/10"));
        download->setRunning(true);
        QVERIFY(spies.finished.wait());
        QCOMPARE(contents(path("missing.pdf")), QByteArray(10, 'b'));
    }

    void retryFromTheErrorHandlerIsKept()
    {
        auto download = completeDownload();
        download->setDestination(destination("retry.bin"));
        Spies spies(download.get());
        FileDownload *element = download.get();
        const QUrl retry = m_server.url("/bytes/30");
        // start() after an error starts anew, even from inside the error handler
        connect(element, &FileDownload::error, this, [element, retry] {
            if (element->url() != retry)
                element->start(retry);
        });

        download->start(m_server.url("/missing"));
        QTRY_COMPARE(spies.finished.count(), 1);
        QCOMPARE(spies.error.count(), 1);
        QCOMPARE(contents(path("retry.bin")), QByteArray(30, 'b'));
    }

    void unknownTotalGivesZeroTotalAndNegativeProgress()
    {
        auto download = completeDownload();
        download->setDestination(destination("unsized.bin"));
        Spies spies(download.get());
        download->start(m_server.url("/unsized"));
        QTRY_COMPARE(download->progress(), -1500.0);
        QCOMPARE(spies.update.last(), (QVariantList {1, 0}));
        QVERIFY(!QFile::exists(path("unsized.bin")));

        m_server.release();
        QVERIFY(spies.finished.wait());
        QCOMPARE(contents(path("unsized.bin")).size(), 2000);
        QCOMPARE(download->progress(), 1.0);
    }

    void failedCommitIsReported()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("gone"));
        const QString target = path("gone/file.bin");
        auto download = completeDownload();
        download->setDestination(QUrl::fromLocalFile(target));
        Spies spies(download.get());
        download->start(m_server.url("/held/4000"));
        QTRY_VERIFY(!spies.update.isEmpty());

        QVERIFY(QDir(path("gone")).removeRecursively());
        m_server.release();

        QVERIFY(spies.error.wait());
        QCOMPARE(spies.error.at(0), (QVariantList {2, QStringLiteral("Error while writing \"%1\"").arg(target)}));
        QCOMPARE(spies.finished.count(), 0);
        QVERIFY(download->running());
    }

    void releasedManagerEndsTheDownload()
    {
        auto download = completeDownload();
        download->setDestination(destination("dropped.bin"));
        Spies spies(download.get());
        download->start(m_server.url("/held/4000"));
        QTRY_VERIFY(!spies.update.isEmpty());

        // the master lets go of the manager it created, and with it of the request
        QNetworkAccessManager replacement;
        DownloadManager::instance()->setNetworkAccessManager(&replacement);
        QVERIFY(spies.error.wait());
        QCOMPARE(spies.error.at(0), (QVariantList {3, QStringLiteral("Network reply was deleted")}));
        verifyDirectoryHolds({});

        // the given manager serves the next download
        download->stop();
        download->start(m_server.url("/bytes/5"));
        QVERIFY(spies.finished.wait());
        QCOMPARE(DownloadManager::instance()->networkAccessManager(), &replacement);

        // and without it the master creates its own again
        DownloadManager::instance()->setNetworkAccessManager(nullptr);
        QVERIFY(DownloadManager::instance()->networkAccessManager());
        QVERIFY(DownloadManager::instance()->networkAccessManager() != &replacement);
    }

    void startsOnlyOnceTheDocumentIsComplete()
    {
        // built by hand, never completed: start() does nothing
        FileDownload incomplete;
        incomplete.setDestination(destination("never.bin"));
        Spies incompleteSpies(&incomplete);
        incomplete.start(m_server.url("/bytes/5"));
        QCOMPARE(incompleteSpies.started.count() + incompleteSpies.error.count(), 0);

        QQmlEngine engine;
        QmlTypes::registerDownload();
        QQmlComponent component(&engine);
        component.setData(QStringLiteral("import example.kestrova.qml.filedownload 1.0\n"
                                         "Download { url: \"%1\"; destination: \"%2\"; running: true }\n")
                              .arg(m_server.url("/bytes/7").toString(), destination("declared.bin").toString())
                              .toUtf8(),
            QUrl());
        QVERIFY2(component.isReady(), qPrintable(component.errorString()));

        std::unique_ptr<QObject> object(component.beginCreate(engine.rootContext()));
        auto *download = qobject_cast<FileDownload *>(object.get());
        QVERIFY(download);
        Spies spies(download);
        QVERIFY(download->running());
        QTest::qWait(50);
        QVERIFY(m_server.requests.isEmpty());

        component.completeCreate();
        QCOMPARE(spies.started.count(), 1);
        QVERIFY(spies.finished.wait());
        QCOMPARE(contents(path("declared.bin")), QByteArray(7, 'b'));
        QCOMPARE(m_server.requests, QStringList {"/bytes/7"});
        QVERIFY(!QFile::exists(path("never.bin")));
    }
};

QTEST_MAIN(TestFileDownload)

#include "tst_filedownload.moc"
