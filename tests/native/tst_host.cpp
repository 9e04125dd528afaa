#include "startup.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The real executable, started as a user would start it.
class TestHost : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = 0;
        bool finished = false;
        QString output; // standard output and standard error together
    };

    static Run run(const QString &workingDirectory, const QStringList &arguments, int waitMs = 20000,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(VENDRIX_BINARY), arguments);
        Run result;
        result.finished = process.waitForFinished(waitMs);
        if (!result.finished) {
            process.kill();
            process.waitForFinished();
        }
        result.exitCode = process.exitCode();
        result.output = QString::fromUtf8(process.readAll());
        return result;
    }

    static void write(const QString &path, const QByteArray &contents)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    // A tree on disk whose main document writes a marker file and quits.
    static void writeMarkerTree(const QString &root)
    {
        write(root + QStringLiteral("/static/origin.js"), ".pragma library\nvar place = \"disk\"\n");
        write(root + QStringLiteral("/src/main.qml"),
            "import QtQuick 2.15\n"
            "import QtQuick.Window 2.15\n"
            "import \"../static/origin.js\" as Origin\n"
            "Window {\n"
            "    Component.onCompleted: {\n"
            "        console.log(\"documents from \" + Origin.place, c_Scale, c_Width, c_Height, c_AppVersion, "
            "c_OsType)\n"
            "        Qt.quit()\n"
            "    }\n"
            "}\n");
    }

private Q_SLOTS:
    void helpPrintsTheDescriptionAndStartsNothing()
    {
        QTemporaryDir dir;
        writeMarkerTree(dir.path());
        const Run result = run(dir.path(), {QStringLiteral("--help")});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.output.contains(QStringLiteral("application for vendrix")), qPrintable(result.output));
        QVERIFY(result.output.contains(QStringLiteral("--help")));
        QVERIFY2(!result.output.contains(QStringLiteral("documents from")), "the main document was loaded");
        // what an office may set instead of options
        QVERIFY(result.output.contains(QStringLiteral("VENDRIX_API_URL")));
        QVERIFY(result.output.contains(QStringLiteral("VENDRIX_CA_FILE")));
    }

    void refusedEnvironmentSaysWhyAndStartsNothing()
    {
        QTemporaryDir dir;
        writeMarkerTree(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VENDRIX_API_URL"), QStringLiteral("http://vendrix.example.com"));
        const Run result = run(dir.path(), {}, 20000, environment);
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.output.contains(QStringLiteral("plain http")), qPrintable(result.output));
        QVERIFY(!result.output.contains(QStringLiteral("documents from")));
    }

    void unknownOptionEndsWithTheParsersError()
    {
        QTemporaryDir dir;
        writeMarkerTree(dir.path());
        const Run result = run(dir.path(), {QStringLiteral("--frobnicate")});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.output.contains(QStringLiteral("Unknown option 'frobnicate'")), qPrintable(result.output));
        QVERIFY(!result.output.contains(QStringLiteral("documents from")));
    }

    void treeOnDiskIsLoadedWithTheContextProperties()
    {
        QTemporaryDir dir;
        writeMarkerTree(dir.path());
        const Run result = run(dir.path(), {});
        QVERIFY2(result.finished, qPrintable(result.output));
        QCOMPARE(result.exitCode, 0);
        // offscreen has one 800 x 600 screen: scale 1, window 0.85 of it
        QVERIFY2(result.output.contains(QStringLiteral("documents from disk 1 680 510 0.9.6 ") + Startup::getOsName()),
            qPrintable(result.output));

        // diagnostics come in order: cursor, screen size, working directory
        const int cursor = result.output.indexOf(QStringLiteral("QPoint("));
        const int size = result.output.indexOf(QStringLiteral("800 600"));
        const int directory = result.output.indexOf(QDir(dir.path()).canonicalPath());
        QVERIFY2(cursor >= 0 && size > cursor && directory > size, qPrintable(result.output));
    }

    void brokenMainDocumentExitsWithMinusOne()
    {
        QTemporaryDir dir;
        write(dir.filePath(QStringLiteral("src/main.qml")), "import QtQuick 2.15\nItem { this is not qml }\n");
        const Run result = run(dir.path(), {});
        QVERIFY(result.finished);
        QCOMPARE(result.exitCode, 255); // -1 as the process reports it
        QVERIFY2(result.output.contains(QStringLiteral("main.qml")), qPrintable(result.output));
    }

    void embeddedDocumentsLoadWithoutWarnings()
    {
        // no ./src/main.qml here: the compiled resources are used, and the
        // window stays open until we end the process
        QTemporaryDir dir;
        const Run result = run(dir.path(), {}, 4000);
        QVERIFY2(!result.finished, qPrintable(result.output));
        QVERIFY2(!result.output.contains(QStringLiteral("qrc:/")), qPrintable(result.output));
    }
};

QTEST_GUILESS_MAIN(TestHost)
#include "tst_host.moc"
