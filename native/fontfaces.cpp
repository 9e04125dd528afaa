#include "fontfaces.h"

#include <QByteArray>
#include <QDebug>
#include <QFontDatabase>
#include <QHash>
#include <QResource>
#include <algorithm>

namespace {

// every face registered so far, by resource path
QHash<QString, int> &registered()
{
    static QHash<QString, int> ids;
    return ids;
}

QStringList pairs(const QString &dir, const QString &prefix, const QStringList &weights, bool italic)
{
    QStringList paths;
    for (const QString &weight : weights)
        paths << QStringLiteral(":/fonts/%1/%2-%3%4.ttf")
                     .arg(dir, prefix, weight, italic ? QStringLiteral("Italic") : QString());
    return paths;
}

const QStringList &nineWeights()
{
    static const QStringList weights = {QStringLiteral("Thin"), QStringLiteral("ExtraLight"), QStringLiteral("Light"),
        QStringLiteral("Regular"), QStringLiteral("Medium"), QStringLiteral("SemiBold"), QStringLiteral("Bold"),
        QStringLiteral("ExtraBold"), QStringLiteral("Black")};
    return weights;
}

const QStringList &nunitoWeights()
{
    static const QStringList weights = {QStringLiteral("ExtraLight"), QStringLiteral("Light"),
        QStringLiteral("Regular"), QStringLiteral("SemiBold"), QStringLiteral("Bold"), QStringLiteral("ExtraBold"),
        QStringLiteral("Black")};
    return weights;
}

const QStringList &robotoWeights()
{
    static const QStringList weights = {QStringLiteral("Thin"), QStringLiteral("Light"), QStringLiteral("Regular"),
        QStringLiteral("Medium"), QStringLiteral("Bold"), QStringLiteral("Black")};
    return weights;
}

} // namespace

FontFaces::FontFaces(QObject *parent) : QObject(parent)
{
}

QStringList FontFaces::loginFaces()
{
    // the company box and the button (Material draws button text in Medium);
    // the field icons are bold, which picks the solid Font Awesome face
    return {QStringLiteral(":/fonts/Montserrat/Montserrat-Regular.ttf"),
        QStringLiteral(":/fonts/Montserrat/Montserrat-Medium.ttf"),
        QStringLiteral(":/fonts/fontAwesome/FontAwesome5FreeRegular400.otf"),
        QStringLiteral(":/fonts/fontAwesome/FontAwesome5Solid900.otf")};
}

QStringList FontFaces::drawnFaces()
{
    QStringList paths = pairs(QStringLiteral("Montserrat"), QStringLiteral("Montserrat"), nineWeights(), false)
        + pairs(QStringLiteral("Nunito_Sans"), QStringLiteral("NunitoSans"), nunitoWeights(), false)
        + pairs(QStringLiteral("Roboto"), QStringLiteral("Roboto"), robotoWeights(), false);
    paths << QStringLiteral(":/fonts/fontAwesome/FontAwesome5Brands400.otf");
    const QStringList login = loginFaces();
    paths.erase(
        std::remove_if(paths.begin(), paths.end(), [&](const QString &p) { return login.contains(p); }), paths.end());
    return paths;
}

QStringList FontFaces::undrawnFaces()
{
    return pairs(QStringLiteral("Montserrat"), QStringLiteral("Montserrat"), nineWeights(), true)
        + pairs(QStringLiteral("Nunito_Sans"), QStringLiteral("NunitoSans"), nunitoWeights(), true)
        + pairs(QStringLiteral("Roboto"), QStringLiteral("Roboto"), robotoWeights(), true)
        + pairs(QStringLiteral("Raleway"), QStringLiteral("Raleway"), nineWeights(), false)
        + pairs(QStringLiteral("Raleway"), QStringLiteral("Raleway"), nineWeights(), true);
}

int FontFaces::registerFaces(const QStringList &resourcePaths)
{
    int added = 0;
    for (const QString &path : resourcePaths) {
        if (registered().contains(path))
            continue;
        const QResource resource(path);
        if (!resource.isValid() || resource.size() == 0) {
            qWarning() << "font face missing from the resources:" << path;
            registered().insert(path, -1);
            continue;
        }
        // raw data: the database keeps a reference to the mapped bytes, no copy
        const QByteArray data = resource.compressionAlgorithm() == QResource::NoCompression
            ? QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()), int(resource.size()))
            : resource.uncompressedData();
        const int id = QFontDatabase::addApplicationFontFromData(data);
        if (id < 0)
            qWarning() << "font face not accepted:" << path;
        registered().insert(path, id);
        ++added;
    }
    return added;
}

bool FontFaces::isRegistered(const QString &resourcePath)
{
    return registered().value(resourcePath, -1) >= 0;
}

bool FontFaces::complete() const
{
    for (const QString &path : undrawnFaces()) {
        if (!registered().contains(path))
            return false;
    }
    return drawnReady();
}

bool FontFaces::drawnReady() const
{
    for (const QString &path : loginFaces() + drawnFaces()) {
        if (!registered().contains(path))
            return false;
    }
    return true;
}

void FontFaces::registerDrawn()
{
    const bool before = drawnReady();
    registerFaces(loginFaces() + drawnFaces());
    if (!before)
        emit drawnReadyChanged();
}

void FontFaces::registerUndrawn()
{
    registerDrawn();
    const bool before = complete();
    registerFaces(undrawnFaces());
    if (!before)
        emit completeChanged();
}
