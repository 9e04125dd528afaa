#pragma once

#include <QPoint>
#include <QSizeF>
#include <QString>
#include <QUrl>

class QDir;
class QQmlContext;

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

// Tag of the operating system the documents style themselves for.
QString getOsName();

// The main document: "./src/main.qml" below the working directory when that
// file exists (a tree on disk for development), else the one in the resources.
QUrl mainDocument(const QDir &workingDirectory);

// Publishes c_Scale, c_Width, c_Height, c_AppVersion and c_OsType, in this order.
void publishContextProperties(QQmlContext *context, int screenWidth, int screenHeight);

// Organisation, application name, display name and version.
void setApplicationIdentity();

} // namespace Startup
