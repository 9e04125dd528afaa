#include "downloader.h"
#include "fakeenvironment.h"
#include "loopbackhttps.h"
#include "packages.h"

#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The download dialog with its transfer: its texts for sizes and times,
// progress, the rules that keep anything but a whole package from being
// installed and how the dialog tells of them, and cancel. The signature's
// rules, on the transfer alone: tst_packagetransfer.
// The installation question is answered "Cancel" unless a case says else,
// so that nothing is installed here.
class UpdateDownloadTest : public QObject
{
    Q_OBJECT

private:
    LoopbackHttpsServer m_server;
    QTemporaryDir m_home;
    std::unique_ptr<FakeEnvironment> m_environment;
    std::unique_ptr<Downloader> m_dialog;

    QString temp(const QString &name) const { return m_home.path() + QStringLiteral("/.vendrixtemp/") + name; }

    template<typename T>
    T *widget(const char *name) const
    {
        return m_dialog->findChild<T *>(QLatin1String(name));
    }
    QString label(const char *name) const { return widget<QLabel>(name)->text(); }

    // Downloads path as fileName; package is what the feed's signature is
    // made for (the release 1.2 for Linux, signed with the release key).
    void start(const QString &fileName, const QString &path, const QByteArray &package = QByteArray())
    {
        const Packages::Signature signature = Packages::sign(package, QStringLiteral("1.2"));
        m_dialog->setUrlId(QStringLiteral("feed-id"));
        m_dialog->setFileName(fileName);
        m_dialog->setSignature(QStringLiteral("linux"), QStringLiteral("1.2"), signature.signature, signature.keyId);
        m_dialog->startDownload(m_server.url(path));
    }

    // The boxes' headlines so far.
    QStringList headlines() const
    {
        QStringList result;
        for (const MessageBoxRequest &box : qAsConst(m_environment->boxes))
            result << box.text;
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        QVERIFY(m_server.start());
        QDir().mkpath(QStringLiteral("screenshots"));
    }

    void init()
    {
        m_server.clear();
        m_environment = std::make_unique<FakeEnvironment>(&m_server);
        m_environment->answers = {QMessageBox::Cancel};
        m_dialog = std::make_unique<Downloader>();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_environment.reset();
        QDir(m_home.path() + QStringLiteral("/.vendrixtemp")).removeRecursively();
    }

    void sizes_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("received");
        QTest::addColumn<QString>("total");
        QTest::newRow("1023") << qint64(1023) << "1023 bytes"
                              << "1023 bytes";
        QTest::newRow("1024") << qint64(1024) << "1 KB"
                              << "1 KB";
        QTest::newRow("1048575") << qint64(1048575) << "1023 KB"
                                 << "1023 KB";
        QTest::newRow("1048576") << qint64(1048576) << "1 MB"
                                 << "1 MB";
        QTest::newRow("12.9 MB") << qint64(13526630) << "12 MB"
                                 << "12 MB";
        QTest::newRow("5 GB") << qint64(5368709120) << "5120 MB"
                              << "5120 MB";
    }

    void sizes()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, received);
        QFETCH(QString, total);
        QCOMPARE(Downloader::sizeText(bytes, false), received);
        QCOMPARE(Downloader::sizeText(bytes, true), total);
    }

    void timeRemaining_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        // 100 bytes in 1 s: the rest takes (total - 100) / 100 seconds
        QTest::newRow("60 s") << qint64(100) << qint64(100 + 6000) << qint64(1) << "60 Sekunden";
        QTest::newRow("61 s") << qint64(100) << qint64(100 + 6100) << qint64(1) << "1 Minute";
        QTest::newRow("90 s rounds up") << qint64(100) << qint64(100 + 9000) << qint64(1) << "2 Minuten";
        QTest::newRow("7200 s") << qint64(100) << qint64(100 + 720000) << qint64(1) << "120 Minuten";
        QTest::newRow("7201 s") << qint64(100) << qint64(100 + 720100) << qint64(1) << "etwa 2 Stunden";
        QTest::newRow("1 s") << qint64(100) << qint64(200) << qint64(1) << "1 Sekunde";
        QTest::newRow("done") << qint64(100) << qint64(100) << qint64(1) << "1 Sekunde";
        QTest::newRow("no time passed") << qint64(100) << qint64(1000) << qint64(0) << "";
        QTest::newRow("slower than a byte a second") << qint64(5) << qint64(1000) << qint64(10) << "Unbekannt";
    }

    void timeRemaining()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, total);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(Downloader::timeRemainingText(received, total, elapsed), text);
    }

    void wholePackageIsRenamedAndOffered()
    {
        const QByteArray package = Packages::bytes(300000);
        m_server.answer(QStringLiteral("/p/app-1.2.tar.gz"), package);
        // a part file left over from an interrupted download is not extended
        Packages::write(temp(QStringLiteral("app-1.2.tar.gz.part")), "left over");
        m_dialog->setExpectedSha256(
            QString::fromLatin1(QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex()).toUpper());
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);

        start(QStringLiteral("app-1.2.tar.gz"), QStringLiteral("/p/app-1.2.tar.gz"), package);
        QVERIFY(m_dialog->isVisible());
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().value(0).toString(), QStringLiteral("feed-id"));
        QCOMPARE(finished.first().value(1).toString(), temp(QStringLiteral("app-1.2.tar.gz")));
        QCOMPARE(Packages::read(temp(QStringLiteral("app-1.2.tar.gz"))), package);
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app-1.2.tar.gz.part"))));

        // the installation question, declined: the dialog waits with "Open"
        QCOMPARE(m_environment->boxes.size(), 1);
        const MessageBoxRequest question = m_environment->boxes.first();
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::Ok);
        QCOMPARE(question.text,
            QStringLiteral("<h3>Damit die Update Änderungen übernommen werden starten Sie nach dem Update die "
                           "Anwendung neu</h3>"));
        QCOMPARE(question.informativeText,
            QStringLiteral("Klicken Sie auf \"OK\", um mit der Installation des Updates zu beginnen."));
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(label("downloadLabel"), QStringLiteral("Download abgeschlossen!"));
        QCOMPARE(label("timeLabel"),
            QStringLiteral("Klicken Sie auf die Schaltfläche \"Öffnen\", um die Aktualisierung zu übernehmen."));
        QCOMPARE(widget<QPushButton>("stopButton")->text(), QStringLiteral("Schließen"));
        QPushButton *open = widget<QPushButton>("openButton");
        QVERIFY(open->isEnabled() && open->isVisible());
        QCOMPARE(open->text(), QStringLiteral("Öffnen")); // the button the text above names
        QTRY_VERIFY(widget<QLabel>("timeLabel")->width() >= widget<QLabel>("timeLabel")->sizeHint().width());
        QVERIFY(m_dialog->grab().save(QStringLiteral("screenshots/download-dialog-declined.png")));

        // "Open" asks again; "Schließen" then closes without a question
        m_environment->answers = {QMessageBox::Cancel};
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(m_environment->boxes.size(), 2);
        QTest::mouseClick(widget<QPushButton>("stopButton"), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_environment->boxes.size(), 2);
        QCOMPARE(m_environment->quitRequests, 0);
    }

    void customInstallProceduresOnlyReport()
    {
        m_server.answer(QStringLiteral("/p/app.tar.gz"), Packages::bytes(1000));
        m_dialog->setUseCustomInstallProcedures(true);
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);
        start(QStringLiteral("app.tar.gz"), QStringLiteral("/p/app.tar.gz"), Packages::bytes(1000));
        QVERIFY(finished.wait(10000));
        QVERIFY(m_environment->boxes.isEmpty());
        QVERIFY(!m_dialog->isVisible());
    }

    void progressMidTransfer()
    {
        LoopbackHttpsServer::Answer held;
        held.body = Packages::bytes(1048576);
        held.holdAfter = 524288;
        m_server.answer(QStringLiteral("/p/app-0.9.7.tar.gz"), held);
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);
        start(QStringLiteral("app-0.9.7.tar.gz"), QStringLiteral("/p/app-0.9.7.tar.gz"), held.body);
        QCOMPARE(label("downloadLabel"), QStringLiteral("Updates werden heruntergeladen"));
        QCOMPARE(label("timeLabel"), QStringLiteral("Verbleibende Zeit: Unbekannt"));

        QProgressBar *bar = widget<QProgressBar>("progressBar");
        QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 50, 10000);
        QCOMPARE(label("downloadLabel"), QStringLiteral("Downloading updates (512 KB of 1 MB)"));
        QVERIFY(label("timeLabel").startsWith(QStringLiteral("Verbleibende Zeit: ")));
        QVERIFY(m_dialog->grab().save(QStringLiteral("screenshots/download-dialog-mid-transfer.png")));

        m_server.release();
        QVERIFY(finished.wait(10000));
        QCOMPARE(Packages::read(temp(QStringLiteral("app-0.9.7.tar.gz"))), held.body);
    }

    void brokenTransfersAreNeverOffered_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("dialogLabel"); // the dialog's, while the box is open
        QTest::addColumn<int>("bar");
        const QString failed = QStringLiteral("Download fehlgeschlagen");
        QTest::newRow("dropped mid-body") << "/p/dropped.tar.gz"
                                          << "" << failed << 0;
        QTest::newRow("not found") << "/p/missing.tar.gz"
                                   << "" << failed << 0;
        QTest::newRow("wrong digest") << "/p/app.tar.gz"
                                      << "Prüfsumme"
                                      << "Update abgelehnt: Prüfsumme falsch" << 100;
        QTest::newRow("redirect to plain http") << "/p/insecure.tar.gz"
                                                << "http://updates.invalid" << failed << 0;
        QTest::newRow("redirect loop") << "/p/loop.tar.gz"
                                       << "weiter" << failed << 0;
    }

    void brokenTransfersAreNeverOffered()
    {
        QFETCH(QString, path);
        QFETCH(QString, detail);
        QFETCH(QString, dialogLabel);
        QFETCH(int, bar);
        LoopbackHttpsServer::Answer dropped;
        dropped.body = Packages::bytes(400000);
        dropped.dropAfter = 200000;
        m_server.answer(QStringLiteral("/p/dropped.tar.gz"), dropped);
        m_server.answer(QStringLiteral("/p/app.tar.gz"), Packages::bytes(1000));
        m_server.redirect(QStringLiteral("/p/insecure.tar.gz"), "http://updates.invalid/app.tar.gz");
        m_server.redirect(QStringLiteral("/p/loop.tar.gz"), m_server.url(QStringLiteral("/p/loop.tar.gz")).toEncoded());
        m_dialog->setExpectedSha256(
            QString::fromLatin1(QCryptographicHash::hash("other", QCryptographicHash::Sha256).toHex()));
        if (!path.contains(QStringLiteral("app.tar.gz")))
            m_dialog->setExpectedSha256(QString());
        QStringList shown;
        m_environment->whileOpen = [&](const MessageBoxRequest &) {
            shown << label("downloadLabel") << QString::number(widget<QProgressBar>("progressBar")->value());
            m_dialog->layout()->activate();
            if (bar == 100)
                m_dialog->grab().save(QStringLiteral("screenshots/download-dialog-rejected.png"));
        };
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);

        start(QStringLiteral("app.tar.gz"), path, Packages::bytes(1000));
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isVisible(), 10000);
        QCOMPARE(headlines(), QStringList {dialogLabel.section(QLatin1Char(':'), 0, 0)});
        QCOMPARE(shown, (QStringList {dialogLabel, QString::number(bar)}));
        QCOMPARE(m_environment->boxes.first().icon, QMessageBox::Critical);
        QVERIFY2(m_environment->boxes.first().informativeText.contains(detail),
            qPrintable(m_environment->boxes.first().informativeText));
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz"))));
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz.part"))));
        if (path.endsWith(QStringLiteral("loop.tar.gz")))
            QCOMPARE(m_server.requests.size(), 6);
    }

    void redirectedPackageArrivesOnce()
    {
        m_server.redirect(QStringLiteral("/p/latest.tar.gz"), "/p/app-1.3.tar.gz"); // relative
        m_server.answer(QStringLiteral("/p/app-1.3.tar.gz"), Packages::bytes(5000));
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);
        start(QStringLiteral("latest.tar.gz"), QStringLiteral("/p/latest.tar.gz"), Packages::bytes(5000));
        QVERIFY(finished.wait(10000));
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(Packages::read(temp(QStringLiteral("latest.tar.gz"))), Packages::bytes(5000));
        QCOMPARE(m_environment->boxes.size(), 1);
    }

    void unsafeNameIsNotDownloaded()
    {
        m_server.answer(QStringLiteral("/p/x"), Packages::bytes(10));
        start(QStringLiteral("%2E%2E"), QStringLiteral("/p/x"));
        QCOMPARE(headlines(), QStringList {QStringLiteral("Download fehlgeschlagen")});
        QVERIFY(m_server.requests.isEmpty());
    }

    void cancel_data()
    {
        QTest::addColumn<bool>("mandatory");
        QTest::newRow("optional") << false;
        QTest::newRow("mandatory") << true;
    }

    void cancel()
    {
        QFETCH(bool, mandatory);
        LoopbackHttpsServer::Answer held;
        held.body = Packages::bytes(400000);
        held.holdAfter = 100000;
        m_server.answer(QStringLiteral("/p/app.tar.gz"), held);
        m_dialog->setMandatoryUpdate(mandatory);
        QSignalSpy finished(m_dialog.get(), &Downloader::downloadFinished);
        start(QStringLiteral("app.tar.gz"), QStringLiteral("/p/app.tar.gz"));
        QTRY_COMPARE_WITH_TIMEOUT(widget<QProgressBar>("progressBar")->value(), 25, 10000);

        // "No" goes on
        m_environment->answers = {QMessageBox::No};
        QTest::mouseClick(widget<QPushButton>("stopButton"), Qt::LeftButton);
        QCOMPARE(m_environment->boxes.size(), 1);
        const MessageBoxRequest question = m_environment->boxes.first();
        QCOMPARE(question.title, QStringLiteral("Updater"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.text.contains(QStringLiteral("notwendiges Update")), mandatory);
        QVERIFY(question.text.startsWith(QStringLiteral("Sind Sie sicher, dass Sie den Download abbrechen wollen?")));
        QVERIFY(m_dialog->isVisible());

        // "Yes" stops it: nothing kept, nothing offered
        m_environment->answers = {QMessageBox::Yes};
        QTest::mouseClick(widget<QPushButton>("stopButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(headlines().value(2), QStringLiteral("Download abgebrochen"), 10000);
        QCOMPARE(m_environment->boxes.size(), 3);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(finished.count(), 0);
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz"))));
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz.part"))));
        QCOMPARE(m_environment->quitRequests, mandatory ? 1 : 0);
        m_server.release();
    }
};

QTEST_MAIN(UpdateDownloadTest)
#include "tst_updatedownload.moc"
