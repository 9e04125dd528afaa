#include "offlinestorage.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QQmlEngine>

namespace {

constexpr QFileDevice::Permissions OwnerDirectory = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
constexpr QFileDevice::Permissions OwnerFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

bool makePrivateDirectory(const QString &path)
{
    if (!QDir().mkpath(path)) {
        qWarning() << "Offline storage: cannot create" << path;
        return false;
    }
    if (!QFile::setPermissions(path, OwnerDirectory)) {
        qWarning() << "Offline storage: cannot restrict" << path;
        return false;
    }
    return true;
}

} // namespace

bool OfflineStorage::restrictToOwner(QQmlEngine *engine)
{
    return engine && restrictToOwner(engine->offlineStoragePath());
}

bool OfflineStorage::restrictToOwner(const QString &offlineStoragePath)
{
    if (offlineStoragePath.isEmpty())
        return false;
    const QString databases = QDir(offlineStoragePath).filePath(QStringLiteral("Databases"));
    bool ok = makePrivateDirectory(offlineStoragePath) && makePrivateDirectory(databases);

    // databases (and their .ini descriptions) written before this ran
    const QFileInfoList files = QDir(databases).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &file : files) {
        if (!QFile::setPermissions(file.absoluteFilePath(), OwnerFile)) {
            qWarning() << "Offline storage: cannot restrict" << file.absoluteFilePath();
            ok = false;
        }
    }
    return ok;
}
