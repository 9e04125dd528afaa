#pragma once

#include <QPoint>
#include <QSizeF>
#include <QString>
#include <QUrl>

class QCommandLineParser;
class QDir;
class QLocale;
class QQmlContext;
class QQuickWindow;
class QTranslator;

// The start-up decisions of the host, kept free of global state so that tests
// can call them with any screen and cursor.
namespace Startup {

// Scale factor of every pixel size in the documents for a screen of this width:
// 0.7 for widths from 1280 up to but excluding 1920, otherwise 1.0.
double scaleForWidth(int screenWidth);

// Index of the screen to open on: the first for a cursor at non-negative
// coordinates, otherwise the second. With a single screen the first is taken,
// since there is no second one.
int screenIndexForCursor(const QPoint &cursor, int screenCount);

// Initial size of the main window: 0.85 of the screen in each direction, unrounded.
QSizeF windowSize(int screenWidth, int screenHeight);

// Tag of the operating system the documents style themselves for: "macos",
// "windows", or "linux" for every other system.
QString getOsName();

// The main document: "./src/main.qml" below the working directory when that
// file exists (a tree on disk for development), else the one in the resources.
QUrl mainDocument(const QDir &workingDirectory);

// Publishes c_Scale, c_Width, c_Height, c_AppVersion, c_OsType and
// c_SoftwareScene (softwareSceneGraph()), in this order.
void publishContextProperties(QQmlContext *context, int screenWidth, int screenHeight);

// Organisation, application name, display name, version and desktop entry.
void setApplicationIdentity();

// The name of the installed desktop entry (without ".desktop") and of the
// application's icon in the icon theme.
QString desktopEntryName();

// Makes the fonts of the core library reachable under qrc:/fonts/ and
// qrc:/FontAwesome/, where the documents load them from.
void registerFontResources();

// True for the renderer string of an OpenGL that rasterises in software
// (Mesa's llvmpipe, softpipe and swrast, and the like).
bool isSoftwareRenderer(const QString &glRenderer);

// True when Qt Quick was asked to draw with its software scene graph
// (QT_QUICK_BACKEND=software, as offscreen runs do). It has no shaders: the
// style's elevation shadows show nothing there, yet each still costs its
// layers' images, so the documents leave them off.
bool softwareSceneGraph();

// Picks the scene graph's render loop before the first window exists. Where
// OpenGL rasterises in software (Xvfb, virtual machines, remote desktops) a
// buffer swap does not wait for a vertical sync, and the threaded loop, which
// advances the animation clock by one display refresh per frame, would run
// animations and QML timers fast; there the basic loop is taken, whose clock
// is the wall clock. A loop the user chose with QSG_RENDER_LOOP is kept.
// Asking OpenGL for its renderer costs a context of its own before the
// first frame, so the answer is kept per display in the cache directory
// ("opengl-renderer"); only a display not met before is asked at once.
// Needs the application object.
void chooseRenderLoop();

// Keeps the renderer that `window`'s scene graph meets when it starts, for
// the next start's chooseRenderLoop() (a new driver, a remote session).
void keepRendererOf(QQuickWindow *window);

// What identifies the display a renderer was found on: the platform and
// the display and session variables.
QString rendererCacheKey();

// The renderer kept in `file` for `key`; empty when none is kept.
QString cachedRenderer(const QString &file, const QString &key);

// Keeps `renderer` for `key` in `file`, in place of what was kept for it;
// the others stay; a file that holds it already is left as it is. False when
// it cannot be written or there is nothing to keep.
bool rememberRenderer(const QString &file, const QString &key, const QString &renderer);

// The command line: the description with the environment variables an
// office may set, --help and --version.
void describeCommandLine(QCommandLineParser &parser);

// Answers --help and --version, and ends the process, before anything needs a
// display, so that both work on a server or in a terminal over SSH. Returns
// for every other command line, which the application object then reads
// (with Qt's own options such as -platform, which only it knows).
void answerWithoutDisplay(int &argc, char **argv);

// Loads Qt's translations of its own texts (standard buttons, the file
// dialog) in the client's language and installs them in the application:
// German, in the system's variant when the system speaks German. Every text of
// the client is German, so a system in another language gets German too
// rather than Qt's texts in a language the rest of the window does not speak.
// Returns the installed translator (owned by the application), or nullptr
// when Qt's translations are not installed.
QTranslator *installQtTranslations(const QLocale &system);

} // namespace Startup
