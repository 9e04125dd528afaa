#include "accessibilityprobe.h"
#include "cannedserver.h"
#include "fontfaces.h"
#include "logcapture.h"
#include "networkaccess.h"
#include "offlinestorage.h"
#include "qmltypes.h"
#include "redirectingnetwork.h"
#include "startup.h"
#include "testserver.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QScreen>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <memory>

// Lets a test lay the documents out for another screen: publishes the
// context properties the host publishes for a screen of that size (c_Scale,
// c_Width, c_Height, ...). Bindings on them follow at once.
class TestScreen : public QObject
{
    Q_OBJECT

public:
    explicit TestScreen(QQmlContext *context) : m_context(context) { }

    Q_INVOKABLE void use(int width, int height) { Startup::publishContextProperties(m_context, width, height); }

private:
    QQmlContext *m_context;
};

// Prepares the engine of every QML test process the way the application
// prepares its own: the same native types, context properties, style and
// network factory, except that the production origin is redirected to a
// reference server started for this process (or, path by path, to a server
// with canned answers), and that the settings database lives in a fresh
// temporary directory.
class Setup : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void applicationAvailable()
    {
        // the application's data directory (drafts) lies in the temporary
        // directory too, never in the home of whoever runs the tests
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_storage.filePath(QStringLiteral("data"))));
        Startup::setApplicationIdentity();
        Startup::registerFontResources();
        // documents under test are drawn without the root panel that registers
        // the later faces, so every face is there from the start
        FontFaces::registerFaces(FontFaces::loginFaces() + FontFaces::drawnFaces() + FontFaces::undrawnFaces());
        Startup::chooseRenderLoop();
        QmlTypes::registerDownload();
        QmlTypes::registerAll();
        QQuickStyle::setStyle(QStringLiteral("Material"));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        m_server = std::make_unique<TestServer>();
        if (qEnvironmentVariableIsEmpty("VENDRIX_TEST_NO_SERVER"))
            m_server->start();
        m_canned = std::make_unique<CannedServer>();
        m_canned->listen();
        m_networkFactory = std::make_unique<RedirectingNetworkFactory>(m_server.get(), m_canned.get());
        engine->setNetworkAccessManagerFactory(m_networkFactory.get());
        engine->setOfflineStoragePath(m_storage.filePath(QStringLiteral("storage")));
        OfflineStorage::restrictToOwner(engine);
        // the source tree plays the part of "qrc:/" for modules such as FontAwesome
        engine->addImportPath(QStringLiteral(VENDRIX_SOURCE_DIR));

        const QScreen *screen = QGuiApplication::primaryScreen();
        const QRect geometry = screen ? screen->geometry() : QRect(0, 0, 1440, 900);
        Startup::publishContextProperties(engine->rootContext(), geometry.width(), geometry.height());
        m_screen = std::make_unique<TestScreen>(engine->rootContext());
        engine->rootContext()->setContextProperty(QStringLiteral("testScreen"), m_screen.get());
        engine->rootContext()->setContextProperty(QStringLiteral("testServer"), m_server.get());
        engine->rootContext()->setContextProperty(QStringLiteral("cannedServer"), m_canned.get());
        engine->rootContext()->setContextProperty(QStringLiteral("testLog"), &m_log);
        engine->rootContext()->setContextProperty(QStringLiteral("accessibility"), &m_accessibility);
        // pictures a person can look at after the run, kept beside the runner
        QDir().mkpath(QStringLiteral("screenshots"));
        engine->rootContext()->setContextProperty(
            QStringLiteral("screenshotDirectory"), QDir(QStringLiteral("screenshots")).absolutePath());
        engine->rootContext()->setContextProperty(
            QStringLiteral("testStoragePath"), m_storage.filePath(QStringLiteral("storage")));
    }

    void cleanupTestCase()
    {
        if (m_server)
            m_server->stop();
    }

private:
    QTemporaryDir m_storage;
    LogCapture m_log;
    AccessibilityProbe m_accessibility;
    std::unique_ptr<TestServer> m_server;
    std::unique_ptr<CannedServer> m_canned;
    std::unique_ptr<RedirectingNetworkFactory> m_networkFactory;
    std::unique_ptr<TestScreen> m_screen;
};

QUICK_TEST_MAIN_WITH_SETUP(vendrix_qml, Setup)

#include "setup.moc"
