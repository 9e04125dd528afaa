#include "generatepdf.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The PDF writer stores what it is given in "report.pdf" of the working directory.
class TestGeneratePDF : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previousDirectory;

    static QByteArray report()
    {
        QFile file(QStringLiteral("report.pdf"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_previousDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }

    void cleanupTestCase() { QDir::setCurrent(m_previousDirectory); }

    void init() { QFile::remove(QStringLiteral("report.pdf")); }

    void writesExactlyTheBytesGiven()
    {
        GeneratePDF writer;
        QSignalSpy changed(&writer, &GeneratePDF::ResponseChanged);
        QByteArray pdf("%PDF-1.4\n");
        pdf.append('\0').append("\xff\xfe binary\r\n", 12);

        writer.setResponse(pdf);
        QCOMPARE(report(), pdf);

        // a second write leaves only the second content
        writer.setResponse("short");
        QCOMPARE(report(), QByteArray("short"));

        // reading gives nothing back, and nothing is announced
        QVERIFY(writer.Response().isEmpty());
        QVERIFY(writer.property("Response").toByteArray().isEmpty());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList {"report.pdf"});
    }

    void emptyWriteLeavesAnEmptyFile()
    {
        GeneratePDF writer;
        writer.setResponse(QByteArray());
        QCOMPARE(report(), QByteArray());

        writer.setResponse("content");
        writer.setResponse(QByteArray());
        QVERIFY(QFile::exists(QStringLiteral("report.pdf")));
        QCOMPARE(report(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestGeneratePDF)

#include "tst_generatepdf.moc"
