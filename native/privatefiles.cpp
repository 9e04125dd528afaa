#include "privatefiles.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString userName()
{
#ifdef Q_OS_UNIX
    if (const passwd *entry = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::geteuid());
#else
    const QString name = qEnvironmentVariable("USERNAME");
    return name.isEmpty() ? QStringLiteral("user") : name;
#endif
}

} // namespace

PrivateFiles::PrivateFiles(QObject *parent) : QObject(parent)
{
}

QString PrivateFiles::directory() const
{
    const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("vendrix-") + userName());
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        qWarning() << "Private directory" << path << "cannot be created:" << qt_error_string(errno);
        return {};
    }
    // lstat: a link planted under our name is refused, not followed. The
    // sticky temporary location keeps others from replacing the directory
    // once it is ours.
    struct stat info;
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        qWarning() << "Private directory" << path << "is not a directory of this user; nothing is written there";
        return {};
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0) {
        qWarning() << "Private directory" << path << "cannot be closed to other users";
        return {};
    }
#else
    if (!QDir().mkpath(path))
        return {};
#endif
    return path;
}

QUrl PrivateFiles::fileUrl(const QString &fileName) const
{
    if (!isPlainFileName(fileName))
        return {};
    const QString dir = directory();
    if (dir.isEmpty())
        return {};
    return QUrl::fromLocalFile(QDir(dir).filePath(fileName));
}

QString PrivateFiles::fileNameOfLink(const QString &link) const
{
    // Only a document the backend links to absolutely is fetched; a relative
    // link has no origin to come from.
    const QUrl url(link, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")) || url.host().isEmpty())
        return {};
    // The segment is taken before decoding, so an encoded separator stays
    // inside it and makes it unusable instead of shortening the path.
    const QString segment = url.path(QUrl::FullyEncoded).section(QLatin1Char('/'), -1);
    const QString name = QUrl::fromPercentEncoding(segment.toUtf8());
    return isPlainFileName(name) ? name : QString();
}

QUrl PrivateFiles::save(const QString &fileName, const QByteArray &bytes) const
{
    const QUrl url = fileUrl(fileName);
    if (url.isEmpty())
        return {};
    const QString path = url.toLocalFile();
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
        || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) || !file.commit()) {
        qWarning() << "Could not write" << path << ":" << file.errorString();
        return {};
    }
    return url;
}

bool PrivateFiles::isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}
