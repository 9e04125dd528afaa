#include "fakeenvironment.h"
#include "loopbackhttps.h"
#include "packages.h"
#include "packagetransfer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The transfer of a package on its own, without a dialog or any widget: the
// names of its files, and the checks that keep a package that is not the
// release's from ever getting its name.
class PackageTransferTest : public QObject
{
    Q_OBJECT

private:
    LoopbackHttpsServer m_server;
    QTemporaryDir m_home;
    std::unique_ptr<FakeEnvironment> m_environment;

    QString temp(const QString &name) const { return m_home.path() + QStringLiteral("/.vendrixtemp/") + name; }

    static PackageFiles files(const QString &fileName)
    {
        PackageFiles files;
        files.setFileName(fileName);
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
        QVERIFY(m_server.start());
    }

    void init()
    {
        m_server.clear();
        m_environment = std::make_unique<FakeEnvironment>(&m_server);
    }

    void cleanup()
    {
        m_environment.reset();
        QDir(m_home.path() + QStringLiteral("/.vendrixtemp")).removeRecursively();
    }

    void fileNames()
    {
        PackageFiles named = files(QStringLiteral("app-1.2.tar.gz"));
        QCOMPARE(named.fileNameNoExt, QStringLiteral("app-1.2/"));
        QCOMPARE(named.partFilePath(), temp(QStringLiteral("app-1.2.tar.gz.part")));
        named.setFileName(QString());
        QCOMPARE(named.fileName, QStringLiteral("Update.bin"));
        QCOMPARE(named.fileNameNoExt, QString());
    }

    void packageWithoutSizeIsKept()
    {
        LoopbackHttpsServer::Answer unsized;
        unsized.body = Packages::bytes(200000);
        unsized.withLength = false;
        m_server.answer(QStringLiteral("/p/app.tar.gz"), unsized);
        const Packages::Signature signature = Packages::sign(unsized.body, QStringLiteral("1.2"));
        PackageTransfer transfer;
        transfer.setSignature(QStringLiteral("linux"), QStringLiteral("1.2"), signature.signature, signature.keyId);
        QSignalSpy finished(&transfer, &PackageTransfer::finished);
        transfer.start(m_server.url(QStringLiteral("/p/app.tar.gz")), files(QStringLiteral("app.tar.gz")));
        QVERIFY(transfer.isRunning());
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toString(), temp(QStringLiteral("app.tar.gz")));
        QCOMPARE(Packages::read(temp(QStringLiteral("app.tar.gz"))), unsized.body);
        QVERIFY(!transfer.isRunning());
    }

    void onlyTheReleaseKeyMakesAnUpdate_data()
    {
        QTest::addColumn<QString>("signedBy"); // the release key, another one, or none
        QTest::addColumn<QString>("keyIdSaid"); // the feed's "signature-key": as made, or the release key's
        QTest::addColumn<QByteArray>("signedFor");
        QTest::addColumn<QString>("signedVersion");
        QTest::addColumn<bool>("clientHasKey");
        QTest::addColumn<QString>("refusal"); // empty: kept
        const QByteArray package = Packages::bytes(2000);
        const QString altered = QStringLiteral("Die Signatur gehört nicht zu diesem Paket");
        QTest::newRow("release key") << "release"
                                     << "made" << package << "1.2" << true << "";
        QTest::newRow("unsigned") << "none"
                                  << "made" << package << "1.2" << true << "Das Paket ist nicht signiert.";
        QTest::newRow("another key") << "other"
                                     << "made" << package << "1.2" << true << "mit einem anderen Schlüssel signiert";
        QTest::newRow("another key, said to be the release key") << "other"
                                                                 << "release" << package << "1.2" << true << altered;
        QTest::newRow("other bytes") << "release"
                                     << "made" << Packages::bytes(1999) << "1.2" << true << altered;
        QTest::newRow("an older version served as newer") << "release"
                                                          << "made" << package << "1.1" << true << altered;
        QTest::newRow("client without a key") << "release"
                                              << "made" << package << "1.2" << false << "ohne Release-Schlüssel gebaut";
    }

    void onlyTheReleaseKeyMakesAnUpdate()
    {
        QFETCH(QString, signedBy);
        QFETCH(QString, keyIdSaid);
        QFETCH(QByteArray, signedFor);
        QFETCH(QString, signedVersion);
        QFETCH(bool, clientHasKey);
        QFETCH(QString, refusal);
        m_server.answer(QStringLiteral("/p/app.tar.gz"), Packages::bytes(2000));
        if (!clientHasKey)
            m_environment->releaseKeyBase64.clear();
        Packages::Signature signature = Packages::sign(signedFor, signedVersion,
            signedBy == QLatin1String("other") ? Packages::otherSigningKey() : Packages::releaseSigningKey());
        if (keyIdSaid == QLatin1String("release"))
            signature.keyId = Packages::sign(QByteArray(), signedVersion).keyId;
        if (signedBy == QLatin1String("none"))
            signature = Packages::Signature();
        PackageTransfer transfer;
        QSignalSpy finished(&transfer, &PackageTransfer::finished);
        QSignalSpy failed(&transfer, &PackageTransfer::failed);
        transfer.setSignature(QStringLiteral("linux"), QStringLiteral("1.2"), signature.signature, signature.keyId);
        transfer.start(m_server.url(QStringLiteral("/p/app.tar.gz")), files(QStringLiteral("app.tar.gz")));

        if (refusal.isEmpty()) {
            QVERIFY(finished.wait(10000));
            return;
        }
        QVERIFY(failed.wait(10000));
        QCOMPARE(finished.count(), 0);
        QCOMPARE(failed.first().value(0).value<PackageTransfer::Failure>(), PackageTransfer::Failure::Rejected);
        QVERIFY2(failed.first().value(1).toString().contains(refusal), qPrintable(failed.first().value(1).toString()));
        QCOMPARE(failed.first().value(2).toString(), QStringLiteral("Signatur nicht bestätigt"));
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz"))));
        QVERIFY(!QFileInfo::exists(temp(QStringLiteral("app.tar.gz.part"))));
    }
};

QTEST_GUILESS_MAIN(PackageTransferTest)
#include "tst_packagetransfer.moc"
