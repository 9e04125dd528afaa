#include "downloader.h"
#include "fakeenvironment.h"
#include "packages.h"
#include "startup.h"
#include "testserver.h"
#include "updater.h"
#include "updateregistry.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// A whole update as a user runs it against the reference server: the server
// serves the feed and the packages from a directory without a session, and
// an unpacked installation of 0.9.6 replaces itself with 1.0.0 - unless the
// package is broken, in which case 0.9.6 stays.
class UpdateServerTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_updates;
    QTemporaryDir m_place;
    TestServer m_server;
    int m_cases = 0;

    QString installed() const { return m_place.path() + QStringLiteral("/vendrix"); }

    QByteArray package(const QString &version)
    {
        QTemporaryDir tree;
        Packages::makeTree(tree.path(), version);
        return Packages::tarGz(tree.path(), QStringLiteral("vendrix-") + version);
    }

    // Writes the feed's entry for this platform, with the digest and the
    // release signature of digestOf.
    void publish(const QString &version, const QString &file, const QByteArray &digestOf)
    {
        const Packages::Signature signature =
            Packages::sign(digestOf, version, Packages::releaseSigningKey(), Updater::defaultPlatformKey());
        const QJsonObject entry {{QStringLiteral("latest-version"), version},
            {QStringLiteral("download-url"), m_server.origin() + QStringLiteral("/vendrix/") + file},
            {QStringLiteral("sha256"),
                QString::fromLatin1(QCryptographicHash::hash(digestOf, QCryptographicHash::Sha256).toHex())},
            {QStringLiteral("signature"), signature.signature}, {QStringLiteral("signature-key"), signature.keyId},
            {QStringLiteral("changelog"), QStringLiteral("Neu")}};
        Packages::write(m_updates.path() + QStringLiteral("/updates.json"),
            QJsonDocument(
                QJsonObject {{QStringLiteral("updates"), QJsonObject {{Updater::defaultPlatformKey(), entry}}}})
                .toJson());
    }

    QString feedUrl() { return m_server.origin() + QStringLiteral("/vendrix/updates.json?case=%1").arg(++m_cases); }

    // Runs a check with the answers of a user who wants the update, until
    // the installation has ended.
    FakeEnvironment *update(FakeEnvironment *environment)
    {
        environment->appDir = installed() + QStringLiteral("/bin");
        environment->answers = {QMessageBox::Yes, QMessageBox::Ok};
        const QString url = feedUrl();
        UpdateRegistry *registry = UpdateRegistry::getInstance();
        registry->setNotifyOnFinish(url, true);
        registry->checkForUpdates(url);
        const QStringList endings {QStringLiteral("Update installiert"), QStringLiteral("Installation fehlgeschlagen"),
            QStringLiteral("Download fehlgeschlagen"), QStringLiteral("Update abgelehnt")};
        const bool ended = QTest::qWaitFor(
            [&] { return !environment->boxes.isEmpty() && endings.contains(environment->boxes.last().text); }, 20000);
        if (!ended)
            qWarning() << "the update did not end:" << environment->texts();
        return environment;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid() && m_updates.isValid() && m_place.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        Startup::setApplicationIdentity();
        Packages::write(
            m_updates.path() + QStringLiteral("/vendrix-1.0.0-linux-x86_64.tar.gz"), package(QStringLiteral("1.0.0")));
        const QByteArray whole = package(QStringLiteral("1.0.1"));
        Packages::write(
            m_updates.path() + QStringLiteral("/vendrix-1.0.1-linux-x86_64.tar.gz"), whole.left(whole.size() / 2));
        Packages::write(m_updates.path() + QStringLiteral("/.hidden"), "private");
        Packages::write(m_updates.path() + QStringLiteral("/updates.json"), "{}");
        QVERIFY(m_server.start({QStringLiteral("--updates"), m_updates.path()}));
    }

    void init()
    {
        QDir(installed()).removeRecursively();
        QDir(installed() + QStringLiteral(".previous")).removeRecursively();
        Packages::makeTree(installed(), QStringLiteral("0.9.6"));
    }

    void servesTheFeedAndItsPackagesWithoutASession()
    {
        QNetworkAccessManager network;
        auto get = [&](const QString &path) {
            std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(QUrl(m_server.origin() + path))));
            QSignalSpy finished(reply.get(), &QNetworkReply::finished);
            finished.wait(10000);
            return qMakePair(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll());
        };
        QCOMPARE(get(QStringLiteral("/vendrix/updates.json")), qMakePair(200, QByteArray("{}")));
        QCOMPARE(get(QStringLiteral("/vendrix/vendrix-1.0.0-linux-x86_64.tar.gz")).second,
            Packages::read(m_updates.path() + QStringLiteral("/vendrix-1.0.0-linux-x86_64.tar.gz")));
        QVERIFY(get(QStringLiteral("/vendrix/")).second.contains("vendrix-1.0.0-linux-x86_64.tar.gz"));
        QCOMPARE(get(QStringLiteral("/vendrix/.hidden")).first, 401); // not served; everything else needs a login
        QCOMPARE(get(QStringLiteral("/me")).first, 401);
    }

    void newerPackageReplacesTheInstallation()
    {
        publish(QStringLiteral("1.0.0"), QStringLiteral("vendrix-1.0.0-linux-x86_64.tar.gz"),
            Packages::read(m_updates.path() + QStringLiteral("/vendrix-1.0.0-linux-x86_64.tar.gz")));
        FakeEnvironment environment;
        update(&environment);
        QCOMPARE(environment.texts().value(4), QStringLiteral("Update installiert"));
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral("/only-in-1.0.0")));
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral(".previous/only-in-0.9.6")));
    }

    void truncatedPackageLeavesTheOldVersion_data()
    {
        QTest::addColumn<bool>("withDigest");
        QTest::newRow("refused by its digest") << true;
        QTest::newRow("refused when unpacking") << false;
    }

    void truncatedPackageLeavesTheOldVersion()
    {
        QFETCH(bool, withDigest);
        const QString file = QStringLiteral("vendrix-1.0.1-linux-x86_64.tar.gz");
        publish(QStringLiteral("1.0.1"), file,
            withDigest ? package(QStringLiteral("1.0.1")) : Packages::read(m_updates.path() + QLatin1Char('/') + file));
        FakeEnvironment environment;
        update(&environment);
        const QStringList texts = environment.texts();
        QVERIFY2(texts.contains(
                     withDigest ? QStringLiteral("Update abgelehnt") : QStringLiteral("Installation fehlgeschlagen")),
            qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral("/only-in-0.9.6")));
        QVERIFY(!QFileInfo::exists(installed() + QStringLiteral(".previous")));
    }
};

QTEST_MAIN(UpdateServerTest)
#include "tst_updateserver.moc"
