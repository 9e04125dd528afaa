#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QQmlContext>

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
    return QStringLiteral("macos");
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
}

void setApplicationIdentity()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrova.example"));
    QCoreApplication::setApplicationName(QStringLiteral("Vendrix"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vendrix"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VENDRIX_VERSION));
}

} // namespace Startup
