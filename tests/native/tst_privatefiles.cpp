#include "privatefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

// The private directory lies below the temporary location that TMPDIR names,
// so each case gets a temporary location of its own.
class TestPrivateFiles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QByteArray m_savedTmpDir;

private Q_SLOTS:
    void init()
    {
        m_savedTmpDir = qgetenv("TMPDIR");
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp->path()));
    }

    void cleanup()
    {
        qputenv("TMPDIR", m_savedTmpDir);
        m_tmp.reset();
    }

    void directoryIsClosedToOthers()
    {
        const QString dir = PrivateFiles().directory();
        QVERIFY(dir.startsWith(m_tmp->path() + QStringLiteral("/vendrix-")));
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(dir).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));

        // a directory left open by someone is closed again
        QVERIFY(::chmod(QFile::encodeName(dir).constData(), 0777) == 0);
        QCOMPARE(PrivateFiles().directory(), dir);
        QCOMPARE(::lstat(QFile::encodeName(dir).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }

    void plantedLinkOrForeignDirectoryIsRefused()
    {
        const QString dir = PrivateFiles().directory();
        QVERIFY(QDir(dir).removeRecursively());
        QTemporaryDir elsewhere;
        QVERIFY(QFile::link(elsewhere.path(), dir));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a directory of this user"));
        QCOMPARE(PrivateFiles().directory(), QString());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a directory of this user"));
        QVERIFY(PrivateFiles().save(QStringLiteral("R-1.pdf"), "%PDF").isEmpty());
        QVERIFY(!QFile::exists(elsewhere.filePath(QStringLiteral("R-1.pdf"))));
        QVERIFY(QFile::remove(dir));

        if (::geteuid() != 0)
            QSKIP("only root can hand a directory to another user");
        QVERIFY(QDir().mkdir(dir));
        QVERIFY(::chown(QFile::encodeName(dir).constData(), 65534, 65534) == 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is not a directory of this user"));
        QCOMPARE(PrivateFiles().directory(), QString());
    }

    void linksGivePlainFileNamesOnly_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "http://127.0.0.1:8470/files/R-17.pdf"
                               << "R-17.pdf";
        QTest::newRow("encoded blank") << "https://api.example/files/Rechnung%2017.pdf"
                                       << "Rechnung 17.pdf";
        QTest::newRow("query dropped") << "https://api.example/files/R-2.pdf?sig=abc"
                                       << "R-2.pdf";
        QTest::newRow("dot dot") << "https://api.example/files/.."
                                 << "";
        QTest::newRow("relative climb") << "../x.pdf"
                                        << "";
        QTest::newRow("no scheme") << "R-3.pdf"
                                   << "";
        QTest::newRow("file scheme") << "file:///etc/passwd"
                                     << "";
        QTest::newRow("encoded climb") << "https://api.example/files/%2e%2e%2fx.pdf"
                                       << "";
        QTest::newRow("encoded backslash") << "https://api.example/files/..%5cx.pdf"
                                           << "";
        QTest::newRow("encoded NUL") << "https://api.example/files/x.pdf%00.txt"
                                     << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("directory") << "a/b/"
                                   << "";
        QTest::newRow("dot") << "https://api.example/files/."
                             << "";
    }

    void linksGivePlainFileNamesOnly()
    {
        QFETCH(QString, link);
        QFETCH(QString, name);
        QCOMPARE(PrivateFiles().fileNameOfLink(link), name);
    }

    void savedFileIsWholeAndPrivate()
    {
        PrivateFiles files;
        const QByteArray bytes("%PDF-1.4\n\x00\x01 binary", 20);
        const QUrl first = files.save(QStringLiteral("R-17.pdf"), "old");
        const QUrl url = files.save(QStringLiteral("R-17.pdf"), bytes);
        QCOMPARE(url, first);
        QCOMPARE(url, files.fileUrl(QStringLiteral("R-17.pdf")));
        QFile file(url.toLocalFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QCOMPARE(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());
        QCOMPARE(QFileInfo(url.toLocalFile()).absolutePath(), files.directory());

        QVERIFY(files.save(QStringLiteral("../x.pdf"), bytes).isEmpty());
        QVERIFY(files.fileUrl(QStringLiteral("..")).isEmpty());
        QVERIFY(!QFile::exists(m_tmp->filePath(QStringLiteral("x.pdf"))));
    }
};

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_privatefiles.moc"
