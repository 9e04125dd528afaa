#include "draftstore.h"

#include "backendconfig.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr QFileDevice::Permissions OwnerDirectory = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
constexpr QFileDevice::Permissions OwnerFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

QString effectiveOrigin()
{
    const QString named = qEnvironmentVariable(BackendConfig::OriginVariable);
    if (!named.isEmpty()) {
        const BackendConfig::OriginCheck check = BackendConfig::checkOrigin(named);
        if (check.error.isEmpty())
            return check.origin.toString();
    }
    return BackendConfig::compiledOrigin().toString();
}

bool makeOwnerDirectory(const QString &path)
{
    if (!QDir().mkpath(path) || !QFile::setPermissions(path, OwnerDirectory)) {
        qWarning() << "Drafts: cannot make" << path << "private";
        return false;
    }
    return true;
}

} // namespace

DraftStore::DraftStore(QObject *parent)
    : QObject(parent), m_origin(effectiveOrigin()),
      m_enabled(qEnvironmentVariable(SwitchVariable).compare(QLatin1String("off"), Qt::CaseInsensitive) != 0)
{
}

QString DraftStore::rootDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("drafts"));
}

bool DraftStore::isDraftName(const QString &name)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    return plain.match(name).hasMatch();
}

QString DraftStore::path(const QString &owner, const QString &name) const
{
    if (owner.isEmpty() || !isDraftName(name))
        return {};
    // user names may hold anything; the hash is a plain directory name
    const QByteArray key = (m_origin + QLatin1Char('\n') + owner).toUtf8();
    const QString ownerDirectory =
        QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32));
    return QDir(rootDirectory()).filePath(ownerDirectory + QLatin1Char('/') + name + QStringLiteral(".json"));
}

bool DraftStore::write(const QString &owner, const QString &name, const QString &json) const
{
    const QString file = path(owner, name);
    if (file.isEmpty() || !m_enabled)
        return false;
    const QString directory = QFileInfo(file).path();
    if (!makeOwnerDirectory(rootDirectory()) || !makeOwnerDirectory(directory))
        return false;
    QSaveFile out(file);
    out.setDirectWriteFallback(false);
    const QByteArray bytes = json.toUtf8();
    if (!out.open(QIODevice::WriteOnly) || !out.setPermissions(OwnerFile) || out.write(bytes) != bytes.size()
        || !out.commit()) {
        qWarning() << "Drafts: could not write" << file << ":" << out.errorString();
        return false;
    }
    return true;
}

QString DraftStore::read(const QString &owner, const QString &name) const
{
    QFile in(path(owner, name));
    if (!m_enabled || in.fileName().isEmpty() || !in.exists() || in.size() > MaxSize || !in.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(in.readAll());
}

bool DraftStore::remove(const QString &owner, const QString &name) const
{
    const QString file = path(owner, name);
    return file.isEmpty() || !QFile::exists(file) || QFile::remove(file);
}
