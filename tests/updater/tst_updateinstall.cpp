#include "downloader.h"
#include "fakeenvironment.h"
#include "installation.h"
#include "linuxinstaller.h"
#include "packages.h"

#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Fails the rename with the given number (1 = the first).
class FailingInstaller : public LinuxInstaller
{
public:
    FailingInstaller(const QString &target, int failAt) : LinuxInstaller(target), m_failAt(failAt) { }

protected:
    bool renamePath(const QString &from, const QString &to) override
    {
        if (++m_renames == m_failAt)
            return false;
        return LinuxInstaller::renamePath(from, to);
    }

private:
    int m_failAt;
    int m_renames = 0;
};

} // namespace

// Installing a downloaded package: replacing an unpacked Linux installation
// (whole or not at all, with one rollback), and the macOS steps with the
// desktop's archive handler and the copy and remove programs.
class UpdateInstallTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_place;
    std::unique_ptr<FakeEnvironment> m_environment;

    // An installed 0.9.6 in <place>/vendrix.
    QString installed() const { return m_place->path() + QStringLiteral("/vendrix"); }
    QString package(const QString &name) const { return m_place->path() + QLatin1Char('/') + name; }

    QString newPackage(const QString &version, const QString &prefix = QStringLiteral("vendrix-1.0.0"))
    {
        QTemporaryDir tree;
        Packages::makeTree(tree.path(), version);
        const QString file = package(QStringLiteral("vendrix-%1.tar.gz").arg(version));
        Packages::write(file, Packages::tarGz(tree.path(), prefix));
        return file;
    }

    // Everything beside the installation, apart from the packages.
    QStringList around() const
    {
        QStringList names = QDir(m_place->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names = names.filter(QRegularExpression(QStringLiteral("^(?!vendrix-.*\\.tar\\.gz$)")));
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", m_home.path().toUtf8());
    }

    void init()
    {
        m_place = std::make_unique<QTemporaryDir>();
        Packages::makeTree(installed(), QStringLiteral("0.9.6"));
        m_environment = std::make_unique<FakeEnvironment>();
    }

    void cleanup()
    {
        m_environment.reset();
        m_place.reset();
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
    }

    // ---------------------------------------------------------- Linux

    void installationIsFoundByItsMarker()
    {
        const Installation tarball = Installation::detect(installed() + QStringLiteral("/bin"));
        QCOMPARE(tarball.root, installed());
        QVERIFY(tarball.updatableInPlace);
        QFile::remove(installed() + QStringLiteral("/vendrix.release"));
        QVERIFY(!Installation::detect(installed() + QStringLiteral("/bin")).updatableInPlace);
        QVERIFY(!Installation::detect(QStringLiteral("/usr/bin")).updatableInPlace);
        QVERIFY(!Installation::detect(installed()).updatableInPlace); // not a bin directory
    }

    void packageReplacesTheWholeTree_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("one top directory") << "vendrix-1.0.0";
        QTest::newRow("bare tree") << "";
    }

    void packageReplacesTheWholeTree()
    {
        QFETCH(QString, prefix);
        const QStringList before = Packages::snapshot(installed());
        LinuxInstaller installer(installed());
        QVERIFY2(installer.install(newPackage(QStringLiteral("1.0.0"), prefix)), qPrintable(installer.error()));

        QTemporaryDir expected;
        Packages::makeTree(expected.path(), QStringLiteral("1.0.0"));
        QCOMPARE(Packages::snapshot(installed()), Packages::snapshot(expected.path()));
        QVERIFY(QFileInfo(installed() + QStringLiteral("/bin/vendrix")).isExecutable());
        QCOMPARE(Packages::snapshot(installer.previous()), before);
        QCOMPARE(around(), (QStringList {QStringLiteral("vendrix"), QStringLiteral("vendrix.previous")}));

        // one step back, and forth again
        QVERIFY(installer.rollback());
        QCOMPARE(Packages::snapshot(installed()), before);
        QCOMPARE(Packages::snapshot(installer.previous()), Packages::snapshot(expected.path()));
        QCOMPARE(around(), (QStringList {QStringLiteral("vendrix"), QStringLiteral("vendrix.previous")}));
    }

    void nothingChangesWhenAnythingFails_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("truncated package") << "truncated";
        QTest::newRow("not an archive") << "garbage";
        QTest::newRow("no installation inside") << "empty tree";
        QTest::newRow("member escaping upwards") << "escape";
        QTest::newRow("absolute member") << "absolute";
        QTest::newRow("setting the old tree aside fails") << "rename 1";
        QTest::newRow("moving the new tree in fails") << "rename 2";
        QTest::newRow("missing package") << "missing";
    }

    void nothingChangesWhenAnythingFails()
    {
        QFETCH(QString, kind);
        const QStringList before = Packages::snapshot(installed());
        QString file = newPackage(QStringLiteral("1.0.0"));
        if (kind == QLatin1String("truncated")) {
            const QByteArray whole = Packages::read(file);
            Packages::write(file, whole.left(whole.size() / 2));
        } else if (kind == QLatin1String("garbage")) {
            Packages::write(file, "<html>not found</html>");
        } else if (kind == QLatin1String("empty tree")) {
            Packages::write(file, Packages::tarGzOf({{"vendrix-1.0.0/README", "hello"}}));
        } else if (kind == QLatin1String("escape")) {
            Packages::write(
                file, Packages::tarGzOf({{"vendrix.release", "x"}, {"bin/vendrix", "x"}, {"../escaped", "out"}}));
        } else if (kind == QLatin1String("absolute")) {
            Packages::write(file,
                Packages::tarGzOf({{"vendrix.release", "x"}, {"bin/vendrix", "x"},
                    {(m_place->path() + QStringLiteral("/absolute")).toUtf8(), "out"}}));
        } else if (kind == QLatin1String("missing")) {
            file = package(QStringLiteral("nothing.tar.gz"));
        }
        const int failAt = kind.startsWith(QLatin1String("rename")) ? kind.right(1).toInt() : 0;

        FailingInstaller installer(installed(), failAt);
        QVERIFY(!installer.install(file));
        QVERIFY(!installer.error().isEmpty());
        QCOMPARE(Packages::snapshot(installed()), before);
        QCOMPARE(around(), QStringList {QStringLiteral("vendrix")}); // no staging left behind
        QVERIFY(!QFileInfo::exists(m_place->path() + QStringLiteral("/escaped")));
        QVERIFY(!QFileInfo::exists(m_place->path() + QStringLiteral("/absolute")));
    }

    void linksStayInsideTheInstallation_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("installed");
        QTest::newRow("inside") << QByteArray("share/bin") << QByteArray("../bin") << true;
        QTest::newRow("absolute") << QByteArray("share") << QByteArray("/outside/path") << false;
        QTest::newRow("the executable to /bin/sh") << QByteArray("bin/vendrix") << QByteArray("/bin/sh") << false;
        QTest::newRow("upwards") << QByteArray("share") << QByteArray("../../outside") << false;
        QTest::newRow("to the directory around") << QByteArray("share") << QByteArray("..") << false;
        // lib/up is the tree itself, so lib/up/.. is the directory around it
        QTest::newRow("through another link") << QByteArray("share") << QByteArray("lib/up/..") << false;
    }

    void linksStayInsideTheInstallation()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, target);
        QFETCH(bool, installed);
        const QStringList before = Packages::snapshot(this->installed());
        const QString file = package(QStringLiteral("vendrix-1.0.0.tar.gz"));
        QList<QPair<QByteArray, QByteArray>> files {{"vendrix-1.0.0/vendrix.release", "Vendrix 1.0.0"}};
        if (name != "bin/vendrix")
            files.append(qMakePair(QByteArray("vendrix-1.0.0/bin/vendrix"), QByteArray("#!/bin/sh\n")));
        Packages::write(
            file, Packages::tarGzOf(files, {{"vendrix-1.0.0/lib/up", ".."}, {"vendrix-1.0.0/" + name, target}}));

        LinuxInstaller installer(this->installed());
        QCOMPARE(installer.install(file), installed);
        if (installed) {
            QCOMPARE(QFileInfo(this->installed() + QLatin1Char('/') + QString::fromUtf8(name)).symLinkTarget(),
                this->installed() + QStringLiteral("/bin"));
            return;
        }
        QVERIFY2(installer.error().contains(QString::fromUtf8(name)), qPrintable(installer.error()));
        QCOMPARE(Packages::snapshot(this->installed()), before);
        QCOMPARE(around(), QStringList {QStringLiteral("vendrix")});
    }

    void rollbackNeedsAPreviousVersion()
    {
        LinuxInstaller installer(installed());
        QVERIFY(!installer.rollback());
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral("/only-in-0.9.6")));
    }

    void copiesThatCannotUpdateThemselvesAreLeftAlone_data()
    {
        QTest::addColumn<bool>("inDpkg");
        QTest::addColumn<QString>("reason");
        QTest::newRow("system installation") << true << "Paketverwaltung";
        QTest::newRow("build tree") << false << "nicht aus einem Release-Paket";
    }

    void copiesThatCannotUpdateThemselvesAreLeftAlone()
    {
        QFETCH(bool, inDpkg);
        QFETCH(QString, reason);
        m_environment->appDir = inDpkg ? QStringLiteral("/usr/bin") : m_place->path() + QStringLiteral("/build");
        m_environment->exitCodes = {inDpkg ? 0 : 1};
        m_environment->answers = {QMessageBox::Ok};
        Downloader dialog;
        dialog.setFileName(QStringLiteral("vendrix-1.0.0.tar.gz"));
        Packages::write(dialog.packagePath(), Packages::read(newPackage(QStringLiteral("1.0.0"))));
        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));
        QCOMPARE(m_environment->boxes.size(), 2);
        QCOMPARE(m_environment->boxes.at(1).text, QStringLiteral("Installation fehlgeschlagen"));
        QVERIFY2(m_environment->boxes.at(1).informativeText.contains(reason),
            qPrintable(m_environment->boxes.at(1).informativeText));
        QCOMPARE(m_environment->runs.size(), 1); // dpkg -S, nothing else
        QCOMPARE(m_environment->runs.first().program, QStringLiteral("dpkg"));
    }

    void installationSaysWhatHappensNext()
    {
        m_environment->appDir = installed() + QStringLiteral("/bin");
        m_environment->answers = {QMessageBox::Ok};
        Downloader dialog;
        QString shown;
        m_environment->whileOpen = [&](const MessageBoxRequest &) {
            if (shown.isEmpty())
                shown = dialog.findChild<QLabel *>(QStringLiteral("timeLabel"))->text();
        };
        dialog.setFileName(QStringLiteral("vendrix-1.0.0.tar.gz"));
        Packages::write(dialog.packagePath(), Packages::read(newPackage(QStringLiteral("1.0.0"))));
        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));
        QCOMPARE(shown,
            QStringLiteral("Die neue Version ersetzt die Installation in %1; die bisherige bleibt als "
                           "vendrix.previous erhalten.")
                .arg(installed()));
        QCOMPARE(m_environment->texts().value(2), QStringLiteral("Update installiert"));
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral("/only-in-1.0.0")));
    }

    // ---------------------------------------------------------- macOS

    // A downloaded package as the macOS steps find it, unpacked beside itself.
    void prepareMacPackage(Downloader &dialog, const QString &fileName, bool unpacked = true)
    {
        m_environment->platform = QStringLiteral("cocoa");
        dialog.setFileName(fileName);
        Packages::write(dialog.packagePath(), "package");
        if (unpacked)
            Packages::write(dialog.unpackedFolder() + QStringLiteral("/MacOS/Vendrix"), "binary");
    }

    void macCopiesIntoTheBundleThenCleansUp()
    {
        m_environment->answers = {QMessageBox::Ok};
        Downloader dialog;
        prepareMacPackage(dialog, QStringLiteral("app-1.2.tar.gz"));
        Packages::write(dialog.partFilePath(), "part");
        const QString temp = QDir(m_home.path() + QStringLiteral("/.vendrixtemp")).canonicalPath();

        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));
        QCOMPARE(m_environment->opened, QList<QUrl> {QUrl::fromLocalFile(dialog.packagePath())});
        QCOMPARE(m_environment->runs.size(), 5);
        QCOMPARE(m_environment->runs.at(0).program, QStringLiteral("cp"));
        QCOMPARE(m_environment->runs.at(0).arguments,
            (QStringList {QStringLiteral("-r"), dialog.downloadDir() + QStringLiteral("/app-1.2/"),
                m_home.path() + QStringLiteral("/Applications/Vendrix.app/Contents/")}));
        const QStringList removed {temp + QStringLiteral("/app-1.2.tar.gz"), temp + QStringLiteral("/app-1.2"),
            temp + QStringLiteral("/app-1.2.tar.gz.part"), temp};
        for (int i = 0; i < removed.size(); ++i) {
            QCOMPARE(m_environment->runs.at(i + 1).program, QStringLiteral("rm"));
            QCOMPARE(m_environment->runs.at(i + 1).arguments, (QStringList {QStringLiteral("-r"), removed.at(i)}));
        }
        QCOMPARE(m_environment->pauses, (QList<int> {2, 2, 2}));
        QCOMPARE(m_environment->boxes.size(), 1);
    }

    void macCopyIsRetriedAFewTimes_data()
    {
        QTest::addColumn<QList<int>>("exitCodes");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("installed");
        QTest::newRow("second attempt works") << QList<int> {1, 0} << 2 << true;
        QTest::newRow("third attempt works") << QList<int> {1, 1, 0} << 3 << true;
        QTest::newRow("never works") << QList<int> {1, 1, 1, 0} << 3 << false;
        QTest::newRow("other failure") << QList<int> {2} << 1 << false;
        QTest::newRow("timed out") << QList<int> {-1} << 1 << false;
    }

    void macCopyIsRetriedAFewTimes()
    {
        QFETCH(QList<int>, exitCodes);
        QFETCH(int, copies);
        QFETCH(bool, installed);
        m_environment->answers = {QMessageBox::Ok};
        m_environment->exitCodes = exitCodes;
        Downloader dialog;
        prepareMacPackage(dialog, QStringLiteral("app-1.2.tar.gz"));
        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));

        int copied = 0;
        for (const FakeEnvironment::Run &run : qAsConst(m_environment->runs))
            copied += run.program == QLatin1String("cp") ? 1 : 0;
        QCOMPARE(copied, copies);
        QCOMPARE(m_environment->runs.size() > copies, installed);
        QCOMPARE(m_environment->pauses.mid(0, copies - 1), QVector<int>(copies - 1, 2).toList());
        QCOMPARE(m_environment->boxes.last().text == QLatin1String("Installation fehlgeschlagen"), !installed);
    }

    void macRefusesUnsafeNames_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("no folder name") << ".tar.gz";
        QTest::newRow("folder name with a separator") << "a.tar.gzb.tar.gz";
        QTest::newRow("folder name with an encoded separator") << "..%2F..%2Fx.tar.gz";
        QTest::newRow("dot-dot folder") << "...tar.gz";
        QTest::newRow("package is a link out of the directory") << "link.tar.gz";
    }

    void macRefusesUnsafeNames()
    {
        QFETCH(QString, fileName);
        m_environment->answers = {QMessageBox::Ok};
        Downloader dialog;
        prepareMacPackage(dialog, fileName, false);
        if (fileName == QLatin1String("link.tar.gz")) {
            QFile::remove(dialog.packagePath());
            QVERIFY(QFile::link(m_place->path(), dialog.packagePath()));
        }
        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));
        QVERIFY(m_environment->runs.isEmpty());
        QVERIFY(m_environment->opened.isEmpty());
        QCOMPARE(m_environment->boxes.last().text, QStringLiteral("Installation fehlgeschlagen"));
        QVERIFY(QFileInfo::exists(installed() + QStringLiteral("/only-in-0.9.6")));
    }

    void macDeclinedMandatoryUpdateQuits()
    {
        m_environment->answers = {QMessageBox::Cancel};
        Downloader dialog;
        prepareMacPackage(dialog, QStringLiteral("app-1.2.tar.gz"));
        dialog.setMandatoryUpdate(true);
        QVERIFY(QMetaObject::invokeMethod(&dialog, "installUpdate"));
        QCOMPARE(m_environment->quitRequests, 1);
        QVERIFY(m_environment->boxes.first().text.contains(QStringLiteral("notwendige Aktualisierung")));
        QVERIFY(m_environment->runs.isEmpty());
    }
};

QTEST_MAIN(UpdateInstallTest)
#include "tst_updateinstall.moc"
