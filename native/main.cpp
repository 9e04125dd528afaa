#include "backendconfig.h"
#include "fontfaces.h"
#include "networkaccess.h"
#include "offlinestorage.h"
#include "qmltypes.h"
#include "startup.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QScreen>

// Runs while the application object is constructed, ahead of every other registration.
static void registerDownloadAtStartup()
{
    QmlTypes::registerDownload();
}
Q_COREAPP_STARTUP_FUNCTION(registerDownloadAtStartup)

int main(int argc, char *argv[])
{
    Startup::registerFontResources();
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    Startup::answerWithoutDisplay(argc, argv);
    QApplication app(argc, argv);
    // the login panel's faces now, the others once the first frame is out
    FontFaces::registerFaces(FontFaces::loginFaces());
    Startup::setApplicationIdentity();

    const QPoint cursor = QCursor::pos();
    qDebug() << cursor;

    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *screen = screens.value(Startup::screenIndexForCursor(cursor, screens.size()));
    const QRect geometry = screen ? screen->geometry() : QRect();
    qDebug() << geometry.width() << geometry.height();

    QCommandLineParser parser;
    Startup::describeCommandLine(parser);
    parser.process(app);
    // Qt's standard buttons and dialogs in the client's language; the command
    // line above stays in English, as it reads without a display too
    if (!Startup::installQtTranslations(QLocale::system()))
        qWarning() << "Qt's translations are not installed (qttranslations5-l10n): its dialogs speak English";

    // the office's server and its CA, before anything can send a request
    const QString environmentError = BackendConfig::applyEnvironment();
    if (!environmentError.isEmpty()) {
        qCritical().noquote() << environmentError;
        return 1;
    }

    // the icon the launcher shows, once the application is installed
    QApplication::setWindowIcon(QIcon::fromTheme(Startup::desktopEntryName()));
    QmlTypes::registerAll();
    QQuickStyle::setStyle(QStringLiteral("Material"));
    Startup::chooseRenderLoop();
    qDebug() << QDir::currentPath();

    NetworkAccessManagerFactory networkFactory; // outlives the engine below
    QQmlApplicationEngine engine;
    OfflineStorage::restrictToOwner(&engine); // the settings database holds the password
    engine.setNetworkAccessManagerFactory(&networkFactory);
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.addImportPath(QStringLiteral("."));
    engine.addImportPath(QStringLiteral("qrc:/"));
    Startup::publishContextProperties(engine.rootContext(), geometry.width(), geometry.height());

    engine.load(Startup::mainDocument(QDir::current()));
    if (engine.rootObjects().isEmpty())
        return -1;
    Startup::keepRendererOf(qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst()));
    return app.exec();
}
