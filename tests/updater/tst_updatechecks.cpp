#include "downloader.h"
#include "fakeenvironment.h"
#include "loopbackhttps.h"
#include "packages.h"
#include "startup.h"
#include "updateinstance.h"
#include "updatenetwork.h"
#include "updater.h"
#include "updateregistry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Checking a feed: the version comparison, the registry of checkers, every
// shape of feed and answer, the address rules, and the QML facade on top.
class UpdateChecksTest : public QObject
{
    Q_OBJECT

private:
    LoopbackHttpsServer m_server;
    QTemporaryDir m_home;
    std::unique_ptr<FakeEnvironment> m_environment;
    int m_cases = 0;

    UpdateRegistry *registry() { return UpdateRegistry::getInstance(); }

    // A feed URL no earlier case has used, so each case gets a fresh checker.
    QString freshFeed(const QString &path = QStringLiteral("/vendrix/updates.json"))
    {
        return m_server.url(path).toString() + QStringLiteral("?case=%1").arg(++m_cases);
    }

    static QByteArray feed(const QJsonObject &entry, const QString &platform = Updater::defaultPlatformKey())
    {
        return QJsonDocument(QJsonObject {{QStringLiteral("updates"), QJsonObject {{platform, entry}}}}).toJson();
    }

    static QJsonObject entry(const QString &latest, const QString &downloadUrl = QString())
    {
        return QJsonObject {{QStringLiteral("latest-version"), latest},
            {QStringLiteral("changelog"), QStringLiteral("Neu in ") + latest},
            {QStringLiteral("download-url"), downloadUrl}};
    }

    // Runs one check of url through the registry; true once it finished.
    bool check(const QString &url)
    {
        QSignalSpy finished(registry(), &UpdateRegistry::checkingFinished);
        registry()->checkForUpdates(url);
        return finished.wait(10000) && finished.count() == 1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        Startup::setApplicationIdentity();
        QVERIFY2(m_server.start(), "the loopback server needs its certificate");
    }

    void init()
    {
        m_server.clear();
        m_environment = std::make_unique<FakeEnvironment>(&m_server);
    }

    void cleanup() { m_environment.reset(); }

    void compare_data()
    {
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<bool>("newer");
        QTest::newRow("numeric, not textual") << "0.9.10"
                                              << "0.9.6" << true;
        QTest::newRow("older part") << "0.9.6"
                                    << "0.9.10" << false;
        QTest::newRow("more parts are newer") << "1.0.0"
                                              << "1.0" << true;
        QTest::newRow("fewer parts are not") << "1.0"
                                             << "1.0.0" << false;
        QTest::newRow("equal") << "1.0"
                               << "1.0" << false;
        QTest::newRow("suffix counts 0") << "1.0-beta"
                                         << "1.0" << false;
        QTest::newRow("suffix against 1") << "1.1-rc1"
                                          << "1.0" << false;
        QTest::newRow("empty never newer") << ""
                                           << "0.9.6" << false;
        QTest::newRow("empty against empty") << ""
                                             << "" << false;
        QTest::newRow("empty middle part counts 0") << "1..2"
                                                    << "1.0.1" << true;
        QTest::newRow("out of range counts 0") << "99999999999.0"
                                               << "1.0" << false;
        QTest::newRow("major wins") << "2.0"
                                    << "1.99.99" << true;
    }

    void compare()
    {
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(bool, newer);
        QCOMPARE(Updater::compare(x, y), newer);
    }

    void onlyHttpsOrThisMachine_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("permitted");
        QTest::newRow("https") << "https://updates.kestrova.example/vendrix/updates.json" << true;
        QTest::newRow("http") << "http://updates.kestrova.example/vendrix/updates.json" << false;
        QTest::newRow("http loopback") << "http://127.0.0.1:8471/vendrix/updates.json" << true;
        QTest::newRow("http localhost") << "http://localhost:8471/x" << true;
        QTest::newRow("http ipv6 loopback") << "http://[::1]:8471/x" << true;
        QTest::newRow("http private address") << "http://192.168.1.10/x" << false;
        QTest::newRow("http host named like loopback") << "http://127.0.0.1.example.org/x" << false;
        QTest::newRow("file") << "file:///tmp/updates.json" << false;
    }

    void onlyHttpsOrThisMachine()
    {
        QFETCH(QString, url);
        QFETCH(bool, permitted);
        QCOMPARE(UpdateNetwork::isPermitted(QUrl(url)), permitted);
    }

    // ---------------------------------------------------------- registry

    void registryKeepsOneCheckerPerExactUrl()
    {
        const QString url = freshFeed();
        Updater *first = registry()->getUpdater(url);
        QCOMPARE(registry()->getUpdater(url), first);
        QCOMPARE(first->url(), url);
        Updater *slash = registry()->getUpdater(url + QLatin1Char('/'));
        Updater *upper = registry()->getUpdater(url.toUpper());
        QVERIFY(slash != first && upper != first && slash != upper);

        registry()->setModuleName(url, QStringLiteral("Andere"));
        registry()->setNotifyOnFinish(slash->url(), true);
        QCOMPARE(registry()->getModuleName(url), QStringLiteral("Andere"));
        QCOMPARE(registry()->getModuleName(slash->url()), QStringLiteral("Vendrix"));
        QVERIFY(registry()->getNotifyOnFinish(slash->url()));
        QVERIFY(!registry()->getNotifyOnFinish(url));
    }

    void registryQueriesRegisterWithDefaults()
    {
        const QString url = freshFeed();
        QCOMPARE(registry()->getChangelog(url), QString());
        Updater *checker = registry()->getUpdater(url);
        QCOMPARE(registry()->getModuleVersion(url), QStringLiteral("0.9.6"));
        QCOMPARE(registry()->getPlatformKey(url), Updater::defaultPlatformKey());
        QVERIFY(registry()->getNotifyOnUpdate(url) && !registry()->getNotifyOnFinish(url));

        // the check after the query runs on the same checker, with its settings
        registry()->setModuleVersion(url, QStringLiteral("0.9.9"));
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(entry(QStringLiteral("0.9.7"))));
        QVERIFY(check(url));
        QCOMPARE(registry()->getUpdater(url), checker);
        QVERIFY(!registry()->getUpdateAvailable(url));
        QCOMPARE(m_server.lastUserAgent, QByteArray("Vendrix/0.9.6 (Qt; Updater)"));
    }

    // ---------------------------------------------------------- feeds

    void newerVersionAsksAndReportsAfterTheAnswer()
    {
        const QString url = freshFeed();
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(entry(QStringLiteral("0.9.7"))));
        QSignalSpy finished(registry(), &UpdateRegistry::checkingFinished);
        int finishedWhileOpen = -1;
        m_environment->whileOpen = [&](const MessageBoxRequest &) { finishedWhileOpen = finished.count(); };
        m_environment->answers = {QMessageBox::No};

        registry()->checkForUpdates(url);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finishedWhileOpen, 0);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), url);

        QCOMPARE(m_environment->boxes.size(), 1);
        const MessageBoxRequest box = m_environment->boxes.first();
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.textFormat, Qt::RichText);
        QCOMPARE(box.text, QStringLiteral("<h3>Version 0.9.7 of Vendrix wurde freigegeben!</h3>"));
        QCOMPARE(box.informativeText, QStringLiteral("Möchten Sie das Update jetzt herunterladen?"));
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::Yes);
        QVERIFY(registry()->getUpdateAvailable(url));
        QCOMPARE(registry()->getChangelog(url), QStringLiteral("Neu in 0.9.7"));
        QCOMPARE(m_environment->quitRequests, 0);
        QVERIFY(m_environment->opened.isEmpty());
    }

    void yesDownloadsThePackageWithItsName()
    {
        const QString url = freshFeed();
        const QByteArray package("package bytes");
        m_server.answer(QStringLiteral("/packages/app-1.2.tar.gz"), package);
        QJsonObject newer =
            entry(QStringLiteral("1.2"), m_server.url(QStringLiteral("/packages/app-1.2.tar.gz")).toString());
        newer.insert(QStringLiteral("sha256"),
            QString::fromLatin1(QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex()));
        const Packages::Signature signature = Packages::sign(
            package, QStringLiteral("1.2"), Packages::releaseSigningKey(), Updater::defaultPlatformKey());
        newer.insert(QStringLiteral("signature"), signature.signature);
        newer.insert(QStringLiteral("signature-key"), signature.keyId);
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(newer));
        m_environment->platform = QStringLiteral("cocoa");
        m_environment->answers = {QMessageBox::Yes, QMessageBox::Cancel};
        QSignalSpy downloaded(registry(), &UpdateRegistry::downloadFinished);

        QVERIFY(check(url));
        QVERIFY(downloaded.wait(10000));
        const QString path = m_home.path() + QStringLiteral("/.vendrixtemp/app-1.2.tar.gz");
        QCOMPARE(downloaded.first().value(0).toString(), url);
        QCOMPARE(downloaded.first().value(1).toString(), path);
        QCOMPARE(QFileInfo(path).size(), package.size());
        Downloader *dialog = registry()->getUpdater(url)->downloader();
        QCOMPARE(dialog->fileNameNoExt(), QStringLiteral("app-1.2/"));
        QVERIFY(dialog->isVisible()); // the installation was declined: "Open" waits
        dialog->hide();
        QFile::remove(path);
    }

    void copiesThatCannotUpdateThemselvesOfferTheDownloadPage_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("inDpkg");
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("reason");
        const QString byHand = QStringLiteral("<h3>Version 0.9.7 muss von Hand installiert werden</h3>");
        QTest::newRow("system installation")
            << "xcb" << true << true << "<h3>Version 0.9.7 wird über die Paketverwaltung installiert</h3>"
            << "wurde über die Paketverwaltung des Systems installiert";
        QTest::newRow("build tree") << "xcb" << false << true << byHand
                                    << "(/work/build/native/vendrix) wurde nicht aus einem Release-Paket installiert";
        QTest::newRow("client without a release key")
            << "cocoa" << false << false << byHand << "ohne Release-Schlüssel gebaut";
    }

    void copiesThatCannotUpdateThemselvesOfferTheDownloadPage()
    {
        QFETCH(QString, platform);
        QFETCH(bool, inDpkg);
        QFETCH(bool, withKey);
        QFETCH(QString, headline);
        QFETCH(QString, reason);
        const QString url = freshFeed();
        m_server.answer(QStringLiteral("/vendrix/updates.json"),
            feed(entry(QStringLiteral("0.9.7"), m_server.url(QStringLiteral("/vendrix/app.tar.gz")).toString())));
        m_environment->platform = platform;
        m_environment->appDir = inDpkg ? QStringLiteral("/usr/bin") : QStringLiteral("/work/build/native");
        m_environment->exitCodes = {inDpkg ? 0 : 1}; // dpkg -S
        if (!withKey)
            m_environment->releaseKeyBase64.clear();
        m_environment->answers = {QMessageBox::Yes, QMessageBox::Open};

        QVERIFY(check(url));
        QCOMPARE(m_environment->boxes.size(), 2);
        QCOMPARE(m_environment->boxes.at(1).text, headline);
        QCOMPARE(m_environment->boxes.at(1).buttons, QMessageBox::Open | QMessageBox::Close);
        QVERIFY2(m_environment->boxes.at(1).informativeText.contains(reason),
            qPrintable(m_environment->boxes.at(1).informativeText));
        // dpkg is asked about the executable on Linux only
        QCOMPARE(m_environment->runs.size(), platform == QLatin1String("xcb") ? 1 : 0);
        if (!m_environment->runs.isEmpty())
            QCOMPARE(m_environment->runs.first().arguments,
                (QStringList {QStringLiteral("-S"), m_environment->appDir + QStringLiteral("/vendrix")}));
        QCOMPARE(m_environment->opened, QList<QUrl> {m_server.url(QStringLiteral("/vendrix/"))});
        QCOMPARE(m_server.requests.size(), 1); // nothing downloaded
        QVERIFY(!registry()->getUpdater(url)->downloader()->isVisible());
    }

    void yesOpensThePageOrThePackageAddress_data()
    {
        QTest::addColumn<QString>("openUrl");
        QTest::addColumn<bool>("downloader");
        QTest::addColumn<QString>("opened");
        QTest::newRow("open-url given") << "https://kestrova.example/neu" << true << "https://kestrova.example/neu";
        QTest::newRow("downloader disabled") << "" << false << "https://kestrova.example/app.tar.gz";
        QTest::newRow("open-url wins") << "https://kestrova.example/neu" << false << "https://kestrova.example/neu";
    }

    void yesOpensThePageOrThePackageAddress()
    {
        QFETCH(QString, openUrl);
        QFETCH(bool, downloader);
        QFETCH(QString, opened);
        const QString url = freshFeed();
        QJsonObject newer = entry(QStringLiteral("0.9.7"), QStringLiteral("https://kestrova.example/app.tar.gz"));
        newer.insert(QStringLiteral("open-url"), openUrl);
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(newer));
        registry()->setDownloaderEnabled(url, downloader);
        m_environment->platform = QStringLiteral("cocoa");
        m_environment->answers = {QMessageBox::Yes};

        QVERIFY(check(url));
        QCOMPARE(m_environment->opened, QList<QUrl> {QUrl(opened)});
        QCOMPARE(m_server.requests.size(), 1);
        QVERIFY(!registry()->getUpdater(url)->downloader()->isVisible());
    }

    void mandatoryUpdate_data()
    {
        QTest::addColumn<QJsonValue>("flag"); // Undefined: not in the feed
        QTest::addColumn<bool>("setBefore");
        QTest::addColumn<bool>("mandatory");
        QTest::newRow("feed says true") << QJsonValue(true) << false << true;
        QTest::newRow("feed says false") << QJsonValue(false) << true << false;
        QTest::newRow("absent keeps the client's true") << QJsonValue(QJsonValue::Undefined) << true << true;
        QTest::newRow("a string is false") << QJsonValue(QStringLiteral("true")) << true << false;
    }

    void mandatoryUpdate()
    {
        QFETCH(QJsonValue, flag);
        QFETCH(bool, setBefore);
        QFETCH(bool, mandatory);
        const QString url = freshFeed();
        QJsonObject newer = entry(QStringLiteral("0.9.7"));
        if (!flag.isUndefined())
            newer.insert(QStringLiteral("mandatory-update"), flag);
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(newer));
        registry()->setMandatoryUpdate(url, setBefore);
        m_environment->answers = {QMessageBox::No};

        QVERIFY(check(url));
        QCOMPARE(registry()->getUpdater(url)->mandatoryUpdate(), mandatory);
        QCOMPARE(m_environment->quitRequests, mandatory ? 1 : 0);
        QCOMPARE(
            m_environment->boxes.first().informativeText.contains(QStringLiteral("notwendiges Update")), mandatory);
    }

    void sameVersionWithNotifyOnFinishSaysSo()
    {
        const QString url = freshFeed();
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(entry(QStringLiteral("0.9.6"))));
        registry()->setNotifyOnFinish(url, true);

        QVERIFY(check(url));
        QCOMPARE(m_environment->boxes.size(), 1);
        const MessageBoxRequest box = m_environment->boxes.first();
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Close));
        QCOMPARE(box.informativeText, QStringLiteral("Momentan sind keine Updates verfügbar."));
        QCOMPARE(box.text, QStringLiteral("<h3>Sie benutzen die neueste Version von Vendrix</h3>"));
        QVERIFY(!registry()->getUpdateAvailable(url));
    }

    void customAppcastHandsOverTheRawFeed()
    {
        const QString url = freshFeed();
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(entry(QStringLiteral("0.9.7"))));
        m_environment->answers = {QMessageBox::No};
        QVERIFY(check(url));
        QVERIFY(registry()->getUpdateAvailable(url));

        const QByteArray raw("not even JSON \x01");
        m_server.answer(QStringLiteral("/vendrix/updates.json"), raw);
        registry()->setUseCustomAppcast(url, true);
        registry()->setNotifyOnFinish(url, true);
        m_environment->boxes.clear();
        QSignalSpy appcast(registry(), &UpdateRegistry::appcastDownloaded);
        QSignalSpy finished(registry(), &UpdateRegistry::checkingFinished);
        QList<QByteArray> order;
        connect(registry(), &UpdateRegistry::appcastDownloaded, this, [&] { order << "appcast"; });
        connect(registry(), &UpdateRegistry::checkingFinished, this, [&] { order << "finished"; });
        registry()->checkForUpdates(url);
        QVERIFY(finished.wait(10000));
        disconnect(registry(), nullptr, this, nullptr);

        QCOMPARE(order, (QList<QByteArray> {"appcast", "finished"}));
        QCOMPARE(appcast.first().value(0).toString(), url);
        QCOMPARE(appcast.first().value(1).toByteArray(), raw);
        QVERIFY(m_environment->boxes.isEmpty());
        QVERIFY(registry()->getUpdateAvailable(url)); // kept from the check before
    }

    void redirectIsFollowedAndReportedWithTheTarget()
    {
        const QString url = freshFeed(QStringLiteral("/old/updates.json"));
        const QString target = m_server.url(QStringLiteral("/vendrix/updates.json")).toString();
        m_server.redirect(QStringLiteral("/old/updates.json"), target.toUtf8());
        m_server.answer(QStringLiteral("/vendrix/updates.json"), feed(entry(QStringLiteral("0.9.6"))));
        QSignalSpy finished(registry(), &UpdateRegistry::checkingFinished);

        registry()->checkForUpdates(url);
        QVERIFY(finished.wait(10000));
        QTest::qWait(50); // no second report follows
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), target);
        QCOMPARE(registry()->getUpdater(url)->url(), target);
        QCOMPARE(registry()->getChangelog(url), QStringLiteral("Neu in 0.9.6"));
    }

    void redirectLoopIsStopped()
    {
        const QString url = freshFeed(QStringLiteral("/loop"));
        m_server.redirect(QStringLiteral("/loop"), m_server.url(QStringLiteral("/loop")).toString().toUtf8());
        registry()->setNotifyOnFinish(url, true);

        QVERIFY(check(url));
        QCOMPARE(m_server.requests.size(), UpdateNetwork::kMaxRedirects + 1);
        QCOMPARE(m_environment->boxes.size(), 1);
        QCOMPARE(m_environment->boxes.first().icon, QMessageBox::Warning);
        QVERIFY(!registry()->getUpdateAvailable(url));
    }

    void redirectToPlainHttpIsRefused()
    {
        const QString url = freshFeed(QStringLiteral("/moved"));
        m_server.redirect(QStringLiteral("/moved"), "http://updates.invalid/vendrix/updates.json");
        registry()->setNotifyOnFinish(url, true);

        QVERIFY(check(url));
        QCOMPARE(m_server.requests.size(), 1);
        QCOMPARE(registry()->getUpdater(url)->url(), url);
        QCOMPARE(m_environment->boxes.size(), 1);
        QVERIFY(m_environment->boxes.first().informativeText.contains(QStringLiteral("http://updates.invalid")));
    }

    void plainHttpFeedIsRefused()
    {
        const QString url = QStringLiteral("http://updates.invalid/vendrix/updates.json?case=%1").arg(++m_cases);
        registry()->setNotifyOnFinish(url, true);
        QSignalSpy finished(registry(), &UpdateRegistry::checkingFinished);
        registry()->checkForUpdates(url);
        QCOMPARE(finished.count(), 0); // reported once the caller has returned
        QVERIFY(finished.wait(10000));
        QCOMPARE(m_environment->boxes.size(), 1);
        QCOMPARE(m_environment->boxes.first().icon, QMessageBox::Warning);
    }

    void failedChecksWarnInsteadOfClaimingNoUpdate_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("notifyOnFinish");
        QTest::newRow("not found") << "/missing.json" << true;
        QTest::newRow("not JSON") << "/broken.json" << true;
        QTest::newRow("not found, nobody to tell") << "/missing.json" << false;
    }

    void failedChecksWarnInsteadOfClaimingNoUpdate()
    {
        QFETCH(QString, path);
        QFETCH(bool, notifyOnFinish);
        m_server.answer(QStringLiteral("/broken.json"), QByteArray("{\"updates\": "));
        const QString url = freshFeed(path);
        registry()->setNotifyOnFinish(url, notifyOnFinish);
        QVERIFY(check(url));
        QVERIFY(!registry()->getUpdateAvailable(url));
        if (!notifyOnFinish) {
            QVERIFY(m_environment->boxes.isEmpty());
            return;
        }
        QCOMPARE(m_environment->boxes.size(), 1);
        const MessageBoxRequest box = m_environment->boxes.first();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.text, QStringLiteral("<h3>Die Update-Informationen konnten nicht geladen werden</h3>"));
        QVERIFY(!box.informativeText.contains(QStringLiteral("keine Updates")));
    }

    // ---------------------------------------------------------- facade

    void facadeAppliesFlagsAndPublishesTheOutcome()
    {
        const QString path = QUrl(UpdateInstance::feedUrl()).path();
        m_server.answer(path, feed(entry(QStringLiteral("0.9.6"))));
        UpdateInstance facade;
        QSignalSpy changed(&facade, &UpdateInstance::updateAvailableChanged);
        QStringList changelogWhenSignalled;
        connect(&facade, &UpdateInstance::updateAvailableChanged, this,
            [&] { changelogWhenSignalled << facade.Changelog(); });

        QTest::ignoreMessage(QtDebugMsg, "false true true true false");
        QTest::ignoreMessage(QtDebugMsg, "Settings applied");
        facade.checkForUpdates(QStringLiteral("0.9.6"), false, true, true, true, false);
        QVERIFY(changed.wait(10000));
        QCOMPARE(m_server.requests, QStringList {path});
        QVERIFY(!facade.UpdateAvailable());
        QCOMPARE(changelogWhenSignalled, QStringList {QStringLiteral("Neu in 0.9.6")});
        QCOMPARE(m_environment->boxes.size(), 1); // notify on finish: the no-updates box

        // signalled again although the value stays false
        QTest::ignoreMessage(QtDebugMsg, "false true false false false");
        QTest::ignoreMessage(QtDebugMsg, "Settings applied");
        facade.checkForUpdates(QStringLiteral("0.9.6"), false, true, false, false, false);
        QVERIFY(changed.wait(10000));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(UpdateRegistry::getInstance()->getModuleVersion(UpdateInstance::feedUrl()), QStringLiteral("0.9.6"));

        // a failed check keeps the changelog
        m_server.clear();
        QTest::ignoreMessage(QtDebugMsg, "false true false false false");
        QTest::ignoreMessage(QtDebugMsg, "Settings applied");
        facade.checkForUpdates(QStringLiteral("0.9.6"), false, true, false, false, false);
        QVERIFY(changed.wait(10000));
        QCOMPARE(facade.Changelog(), QStringLiteral("Neu in 0.9.6"));
        QVERIFY(!facade.UpdateAvailable());
    }

    void facadeShowsCustomAppcastAndBothFacadesHearIt()
    {
        const QString path = QUrl(UpdateInstance::feedUrl()).path();
        m_server.answer(path, QByteArray("{\"mine\": 1}\0tail", 16));
        UpdateInstance first;
        UpdateInstance second;
        first.setUpdateAvailable(true);
        QSignalSpy changed(&second, &UpdateInstance::updateAvailableChanged);
        QTest::ignoreMessage(QtDebugMsg, "true true false false false");
        QTest::ignoreMessage(QtDebugMsg, "Settings applied");
        first.checkForUpdates(QStringLiteral("0.9.6"), true, true, false, false, false);
        QVERIFY(changed.wait(10000));
        const QString expected = QStringLiteral("This is the downloaded appcast: <p><pre>{\"mine\": 1}</pre></p>");
        QVERIFY2(first.Appcast().startsWith(expected), qPrintable(first.Appcast()));
        QVERIFY(first.Appcast().endsWith(QStringLiteral("instead of the built-in reader.</p>")));
        QCOMPARE(second.Appcast(), first.Appcast());
        // the checker's previous result, which a custom appcast leaves alone
        QCOMPARE(first.UpdateAvailable(), UpdateRegistry::getInstance()->getUpdateAvailable(UpdateInstance::feedUrl()));
        UpdateRegistry::getInstance()->setUseCustomAppcast(UpdateInstance::feedUrl(), false);
    }

    // Last: afterwards the registry starts afresh.
    void destroyingTheRegistryDeletesEveryChecker()
    {
        const QString a = freshFeed();
        const QString b = freshFeed();
        QList<QPointer<Updater>> checkers {registry()->getUpdater(a), registry()->getUpdater(b)};
        QStringList deleted;
        for (Updater *checker : {checkers.at(0).data(), checkers.at(1).data()})
            connect(checker, &QObject::destroyed, this, [&deleted, url = checker->url()] { deleted << url; });

        delete UpdateRegistry::getInstance();
        QVERIFY(checkers.at(0) && checkers.at(1)); // scheduled, not yet gone
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!checkers.at(0) && !checkers.at(1));
        QCOMPARE(deleted, (QStringList {a, b}));
        QVERIFY(registry()->getUpdater(a) != nullptr); // a new registry, a new checker
        QCOMPARE(registry()->getModuleVersion(a), QStringLiteral("0.9.6"));
    }
};

QTEST_MAIN(UpdateChecksTest)
#include "tst_updatechecks.moc"
