#include "startup.h"

#include "backendconfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQmlContext>
#include <QQuickWindow>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTranslator>

#include <algorithm>
#include <memory>

// Outside the namespace: the macro declares the bundle's init function.
static void initFontBundle()
{
    Q_INIT_RESOURCE(fonts);
}

namespace {

// The renderer string of the default OpenGL, or empty when there is none.
QString openGlRenderer()
{
    QOpenGLContext context;
    if (!context.create())
        return QString();
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return QString();
    const auto renderer = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QString result = QString::fromLatin1(renderer);
    context.doneCurrent();
    return result;
}

// The lines of the renderer file ("display key<TAB>renderer"), none when it is missing.
QStringList keptRendererLines(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Where the renderer of each display is kept between starts.
QString rendererCacheFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/opengl-renderer");
}

} // namespace

namespace Startup {

double scaleForWidth(int screenWidth)
{
    static const double scales[2] = {1.0, 0.7};
    const bool mediumScreen = screenWidth >= 1280 && screenWidth < 1920;
    return scales[mediumScreen ? 1 : 0];
}

int screenIndexForCursor(const QPoint &cursor, int screenCount)
{
    const bool onFirst = cursor.x() >= 0 && cursor.y() >= 0;
    if (onFirst || screenCount < 2)
        return 0;
    return 1;
}

QSizeF windowSize(int screenWidth, int screenHeight)
{
    return QSizeF(0.85 * screenWidth, 0.85 * screenHeight);
}

QString getOsName()
{
    // the documents draw macOS's dark drop-down lists only there
#if defined(Q_OS_MACOS)
    return QStringLiteral("macos");
#elif defined(Q_OS_WIN)
    return QStringLiteral("windows");
#else
    return QStringLiteral("linux");
#endif
}

QUrl mainDocument(const QDir &workingDirectory)
{
    const QString srcDir = QStringLiteral("./src/");
    const QString document = QStringLiteral("main.qml");
    if (QFileInfo::exists(workingDirectory.filePath(srcDir + document)))
        return QUrl::fromLocalFile(workingDirectory.filePath(srcDir + document));
    return QUrl(QStringLiteral("qrc:/src/") + document);
}

void publishContextProperties(QQmlContext *context, int screenWidth, int screenHeight)
{
    const QSizeF size = windowSize(screenWidth, screenHeight);
    context->setContextProperty(QStringLiteral("c_Scale"), scaleForWidth(screenWidth));
    context->setContextProperty(QStringLiteral("c_Width"), size.width());
    context->setContextProperty(QStringLiteral("c_Height"), size.height());
    context->setContextProperty(QStringLiteral("c_AppVersion"), QCoreApplication::applicationVersion());
    context->setContextProperty(QStringLiteral("c_OsType"), getOsName());
    context->setContextProperty(QStringLiteral("c_SoftwareScene"), softwareSceneGraph());
}

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrova.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Vendrix"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vendrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VENDRIX_VERSION));
    // lets a Wayland desktop match the window to its launcher and icon
    QGuiApplication::setDesktopFileName(desktopEntryName());
}

QString desktopEntryName()
{
    return QStringLiteral("example.kestrova.vendrix");
}

void registerFontResources()
{
    initFontBundle();
}

bool isSoftwareRenderer(const QString &glRenderer)
{
    static const char *const softwareNames[] = {
        "llvmpipe", "softpipe", "swrast", "software", "gdi generic", "basic render"};
    const QString renderer = glRenderer.toLower();
    for (const char *name : softwareNames) {
        if (renderer.contains(QLatin1String(name)))
            return true;
    }
    return false;
}

bool softwareSceneGraph()
{
    const QLatin1String software("software");
    return QQuickWindow::sceneGraphBackend() == software || qEnvironmentVariable("QT_QUICK_BACKEND") == software
        || qEnvironmentVariable("QMLSCENE_DEVICE") == software;
}

QString rendererCacheKey()
{
    QStringList parts {QGuiApplication::platformName()};
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
        parts << qEnvironmentVariable(name);
    return parts.join(QLatin1Char('|'));
}

QString cachedRenderer(const QString &file, const QString &key)
{
    const QString prefix = key + QLatin1Char('\t');
    for (const QString &line : keptRendererLines(file)) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return QString();
}

bool rememberRenderer(const QString &file, const QString &key, const QString &renderer)
{
    if (key.contains(QLatin1Char('\n')) || renderer.contains(QLatin1Char('\n')) || renderer.isEmpty())
        return false;
    const QString prefix = key + QLatin1Char('\t');
    const QString kept = prefix + renderer;
    QStringList lines;
    for (const QString &line : keptRendererLines(file)) {
        if (line == kept)
            return true; // kept already: nothing to write
        if (!line.startsWith(prefix))
            lines << line;
    }
    // displays met long ago (test servers, old remote sessions) make way
    constexpr int kDisplaysKept = 16;
    lines = lines.mid(qMax(0, lines.size() - (kDisplaysKept - 1)));
    lines << kept;
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    out.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return out.commit();
}

void chooseRenderLoop()
{
    if (qEnvironmentVariableIsSet("QSG_RENDER_LOOP"))
        return;
    // the software scene graph has a loop of its own, and draws without OpenGL
    if (softwareSceneGraph())
        return;
    const QString file = rendererCacheFile();
    const QString key = rendererCacheKey();
    QString renderer = cachedRenderer(file, key);
    if (renderer.isEmpty()) {
        renderer = openGlRenderer();
        rememberRenderer(file, key, renderer);
    }
    if (isSoftwareRenderer(renderer))
        qputenv("QSG_RENDER_LOOP", "basic");
}

void keepRendererOf(QQuickWindow *window)
{
    if (!window || softwareSceneGraph())
        return;
    const QString file = rendererCacheFile();
    const QString key = rendererCacheKey();
    // the scene graph's own context is current while it starts: no context
    // of our own, and the answer is what this display gives now
    QObject::connect(
        window, &QQuickWindow::sceneGraphInitialized, window,
        [file, key] {
            QOpenGLContext *context = QOpenGLContext::currentContext();
            if (!context)
                return;
            rememberRenderer(file, key,
                QString::fromLatin1(reinterpret_cast<const char *>(context->functions()->glGetString(GL_RENDERER))));
        },
        Qt::DirectConnection);
}

void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("application for vendrix\n\n") + BackendConfig::environmentHelp());
    parser.addHelpOption();
    parser.addVersionOption();
}

void answerWithoutDisplay(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    describeCommandLine(parser);
    if (!parser.parse(arguments))
        return;
    const QStringList given = parser.optionNames();
    const QStringList answered {QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?"),
        QStringLiteral("help-all"), QStringLiteral("v"), QStringLiteral("version")};
    if (std::none_of(given.begin(), given.end(), [&](const QString &name) { return answered.contains(name); }))
        return;
    // an application object without a window system, for the texts only
    QCoreApplication application(argc, argv);
    setApplicationIdentity();
    parser.process(application); // prints and ends the process
}

QTranslator *installQtTranslations(const QLocale &system)
{
    const QLocale german = system.language() == QLocale::German ? system : QLocale(QLocale::German, QLocale::Germany);
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!translator->load(
            german, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::location(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator.release();
}

} // namespace Startup
