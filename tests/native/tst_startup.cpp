#include "startup.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

// The start-up decisions: scale, screen, window size and main document; Qt's
// own texts in German; and the command line answered without a display.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scaleFollowsOnlyTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<double>("scale");
        QTest::newRow("1279") << 1279 << 1.0;
        QTest::newRow("1280") << 1280 << 0.7;
        QTest::newRow("1440") << 1440 << 0.7;
        QTest::newRow("1919") << 1919 << 0.7;
        QTest::newRow("1920") << 1920 << 1.0;
        QTest::newRow("2560") << 2560 << 1.0;
        QTest::newRow("800") << 800 << 1.0;
    }
    void scaleFollowsOnlyTheWidth()
    {
        QFETCH(int, width);
        QFETCH(double, scale);
        QCOMPARE(Startup::scaleForWidth(width), scale);
    }

    void windowIsEightyFivePercentUnrounded()
    {
        QCOMPARE(Startup::windowSize(1440, 900), QSizeF(1224.0, 765.0));
        const QSizeF odd = Startup::windowSize(1281, 1023);
        QCOMPARE(odd.width(), 0.85 * 1281);
        QCOMPARE(odd.height(), 0.85 * 1023);
        QVERIFY(odd.width() != qRound(odd.width()));
    }

    void screenFollowsTheCursor_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<int>("screens");
        QTest::addColumn<int>("expected");
        QTest::newRow("origin") << QPoint(0, 0) << 2 << 0;
        QTest::newRow("positive") << QPoint(300, 200) << 2 << 0;
        QTest::newRow("negative x") << QPoint(-10, 200) << 2 << 1;
        QTest::newRow("negative y") << QPoint(300, -1) << 2 << 1;
        QTest::newRow("negative, one screen") << QPoint(-10, 200) << 1 << 0;
        QTest::newRow("negative, no screen list") << QPoint(-5, -5) << 0 << 0;
    }
    void screenFollowsTheCursor()
    {
        QFETCH(QPoint, cursor);
        QFETCH(int, screens);
        QFETCH(int, expected);
        QCOMPARE(Startup::screenIndexForCursor(cursor, screens), expected);
    }

    void mainDocumentPrefersTheWorkingDirectory()
    {
        QTemporaryDir dir;
        QCOMPARE(Startup::mainDocument(QDir(dir.path())), QUrl(QStringLiteral("qrc:/src/main.qml")));

        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("src")));
        QFile main(dir.filePath(QStringLiteral("src/main.qml")));
        QVERIFY(main.open(QIODevice::WriteOnly));
        main.close();
        const QUrl url = Startup::mainDocument(QDir(dir.path()));
        QVERIFY(url.isLocalFile());
        QCOMPARE(QFileInfo(url.toLocalFile()).canonicalFilePath(), QFileInfo(main).canonicalFilePath());
    }

    // The renderer found on one display must never decide another display's
    // render loop, and keeping one must not lose the others.
    void rendererIsKeptPerDisplay_data()
    {
        QTest::addColumn<QString>("keep");
        QTest::addColumn<QString>("ask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file yet") << QString() << "xcb|:0||x11" << QString();
        QTest::newRow("same display") << "xcb|:0||x11"
                                      << "xcb|:0||x11"
                                      << "llvmpipe (LLVM 15.0.6, 256 bits)";
        QTest::newRow("another display") << "xcb|:0||x11"
                                         << "xcb|:10||x11" << QString();
        QTest::newRow("line break in a name") << "xcb|:0\nxcb|:1"
                                              << "xcb|:1" << QString();
    }
    void rendererIsKeptPerDisplay()
    {
        QFETCH(QString, keep);
        QFETCH(QString, ask);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("cache/opengl-renderer"));
        QVERIFY(Startup::rememberRenderer(file, QStringLiteral("wayland|||wayland"), QStringLiteral("Mesa Intel")));
        if (!keep.isEmpty())
            Startup::rememberRenderer(file, keep, QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)"));
        QCOMPARE(Startup::cachedRenderer(file, ask), expected);
        // a newer answer replaces the old one for its display only
        QVERIFY(Startup::rememberRenderer(file, ask, QStringLiteral("AMD Radeon")));
        QCOMPARE(Startup::cachedRenderer(file, ask), QStringLiteral("AMD Radeon"));
        QCOMPARE(Startup::cachedRenderer(file, QStringLiteral("wayland|||wayland")), QStringLiteral("Mesa Intel"));
    }

    // the dark drop-down lists of macOS only there
    void osTagNamesThisSystem()
    {
#if defined(Q_OS_MACOS)
        QCOMPARE(Startup::getOsName(), QStringLiteral("macos"));
#elif defined(Q_OS_WIN)
        QCOMPARE(Startup::getOsName(), QStringLiteral("windows"));
#else
        QCOMPARE(Startup::getOsName(), QStringLiteral("linux"));
#endif
    }

    void standardButtonsSpeakGerman_data()
    {
        QTest::addColumn<QLocale>("system");
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates);
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("Austrian German") << QLocale(QLocale::German, QLocale::Austria);
    }
    void standardButtonsSpeakGerman()
    {
        QFETCH(QLocale, system);
        std::unique_ptr<QTranslator> translator(Startup::installQtTranslations(system));
        QVERIFY2(translator, "Qt's translations (qttranslations5-l10n) are missing");
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Close
            | QMessageBox::Open | QMessageBox::Ok);
        QStringList texts;
        for (const auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Close,
                 QMessageBox::Open, QMessageBox::Ok})
            texts << box.button(button)->text().remove(QLatin1Char('&'));
        QCOMPARE(texts,
            (QStringList {QStringLiteral("Ja"), QStringLiteral("Nein"), QStringLiteral("Abbrechen"),
                QStringLiteral("Schließen"), QStringLiteral("Öffnen"), QStringLiteral("OK")}));
    }

    // On a server, or in a terminal over SSH, there is no display to connect to.
    void commandLineIsAnsweredWithoutADisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("answer");
        QTest::newRow("--help") << "--help"
                                << "VENDRIX_API_URL";
        QTest::newRow("--version") << "--version"
                                   << "Vendrix 0.9.6";
    }
    void commandLineIsAnsweredWithoutADisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, answer);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        QProcess vendrix;
        vendrix.setProcessEnvironment(environment);
        vendrix.setProcessChannelMode(QProcess::MergedChannels);
        vendrix.start(QStringLiteral(VENDRIX_BINARY), {option});
        QVERIFY(vendrix.waitForFinished(20000));
        const QString output = QString::fromLocal8Bit(vendrix.readAll());
        QVERIFY2(vendrix.exitStatus() == QProcess::NormalExit && vendrix.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(answer), qPrintable(output));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
