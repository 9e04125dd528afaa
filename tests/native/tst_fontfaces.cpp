#include "fontfaces.h"
#include "startup.h"

#include <QDirIterator>
#include <QFontDatabase>
#include <QResource>
#include <QSet>
#include <QtTest>

// The embedded typefaces: every face is in the resources uncompressed (so it
// is registered without a copy), reports the family CustomFonts names it by,
// and is registered exactly once, in the stages the window starts in.
class TestFontFaces : public QObject
{
    Q_OBJECT

private:
    // the family CustomFonts gives the faces of this resource path
    static QString expectedFamily(const QString &path)
    {
        if (path.contains(QLatin1String("Brands")))
            return QStringLiteral("Font Awesome 5 Brands");
        if (path.contains(QLatin1String("fontAwesome/")))
            return QStringLiteral("Font Awesome 5 Free");
        if (path.contains(QLatin1String("Nunito_Sans/")))
            return QStringLiteral("Nunito Sans");
        return path.section(QLatin1Char('/'), 2, 2);
    }

private Q_SLOTS:
    void initTestCase() { Startup::registerFontResources(); }

    void stagesRegisterEachFaceOnceUpToCompletion()
    {
        FontFaces faces;
        QSignalSpy drawn(&faces, &FontFaces::drawnReadyChanged);
        QSignalSpy complete(&faces, &FontFaces::completeChanged);
        QCOMPARE(FontFaces::registerFaces(FontFaces::loginFaces()), FontFaces::loginFaces().size());
        QCOMPARE(FontFaces::registerFaces(FontFaces::loginFaces()), 0);
        QVERIFY(!faces.drawnReady());
        QVERIFY(!faces.complete());
        faces.registerDrawn();
        QVERIFY(faces.drawnReady());
        QVERIFY(!faces.complete());
        QCOMPARE(drawn.count(), 1);
        faces.registerDrawn();
        QCOMPARE(drawn.count(), 1);
        faces.registerUndrawn();
        QVERIFY(faces.complete());
        QCOMPARE(complete.count(), 1);
    }

    void everyFaceIsUncompressedAndCarriesItsFamily()
    {
        const QStringList all = FontFaces::loginFaces() + FontFaces::drawnFaces() + FontFaces::undrawnFaces();
        QCOMPARE(all.size(), 65);
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), all.size());
        for (const QString &path : all) {
            const QResource resource(path);
            QVERIFY2(resource.isValid(), qPrintable(path));
            QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
            // registering the same bytes again hands back the family
            const QByteArray data =
                QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), int(resource.size()));
            const int id = QFontDatabase::addApplicationFontFromData(data);
            QVERIFY2(id >= 0, qPrintable(path));
            QVERIFY2(QFontDatabase::applicationFontFamilies(id).contains(expectedFamily(path)),
                qPrintable(
                    path + QLatin1String(": ") + QFontDatabase::applicationFontFamilies(id).join(QLatin1Char(','))));
            QFontDatabase::removeApplicationFont(id);
            QVERIFY2(FontFaces::isRegistered(path), qPrintable(path));
        }
        // nothing under fonts/ is forgotten but the web-font copies the icon tables load by file
        QDirIterator files(QStringLiteral(":/fonts"), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            if (!path.contains(QLatin1String("/fa-")) && !path.contains(QLatin1String("fontawesome-webfont")))
                QVERIFY2(all.contains(path), qPrintable(path));
        }
    }
};

QTEST_MAIN(TestFontFaces)
#include "tst_fontfaces.moc"
