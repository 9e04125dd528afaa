#include "packages.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryFile>

#include <archive.h>
#include <archive_entry.h>

namespace Packages {

namespace {

// Collects the written archive in memory.
struct Sink
{
    QByteArray data;
};

la_ssize_t writeToSink(archive *, void *client, const void *buffer, size_t length)
{
    static_cast<Sink *>(client)->data.append(static_cast<const char *>(buffer), static_cast<int>(length));
    return static_cast<la_ssize_t>(length);
}

archive *openWriter(Sink *sink)
{
    archive *a = archive_write_new();
    archive_write_add_filter_gzip(a);
    archive_write_set_format_pax_restricted(a);
    archive_write_set_bytes_in_last_block(a, 1);
    archive_write_open(a, sink, nullptr, writeToSink, nullptr);
    return a;
}

// content is the link's target for a symbolic link
void addEntry(archive *a, const QByteArray &name, mode_t type, int permissions, const QByteArray &content)
{
    archive_entry *entry = archive_entry_new();
    archive_entry_set_pathname(entry, name.constData());
    archive_entry_set_filetype(entry, type);
    archive_entry_set_perm(entry, permissions);
    archive_entry_set_size(entry, type == AE_IFREG ? content.size() : 0);
    if (type == AE_IFLNK)
        archive_entry_set_symlink(entry, content.constData());
    archive_write_header(a, entry);
    if (type == AE_IFREG)
        archive_write_data(a, content.constData(), content.size());
    archive_entry_free(entry);
}

QByteArray closeWriter(archive *a, Sink *sink)
{
    archive_write_close(a);
    archive_write_free(a);
    return sink->data;
}

QByteArray openssl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(OPENSSL_EXECUTABLE), arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        qWarning() << "openssl" << arguments << "failed:" << process.readAllStandardError();
    return process.readAllStandardOutput();
}

} // namespace

QByteArray bytes(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = static_cast<char>('a' + i % 26);
    return data;
}

QString releaseSigningKey()
{
    return QStringLiteral(UPDATER_TEST_SIGNING_KEY);
}

QString otherSigningKey()
{
    return QStringLiteral(UPDATER_TEST_OTHER_SIGNING_KEY);
}

Signature sign(const QByteArray &package, const QString &version, const QString &keyFile, const QString &platform)
{
    QTemporaryFile statement;
    statement.open();
    statement.write(QStringLiteral("Vendrix update\nplatform: %1\nversion: %2\nsha256: %3\n")
                        .arg(platform, version,
                            QString::fromLatin1(QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex()))
                        .toUtf8());
    statement.flush();
    const QByteArray signature = openssl({QStringLiteral("pkeyutl"), QStringLiteral("-sign"), QStringLiteral("-rawin"),
        QStringLiteral("-inkey"), keyFile, QStringLiteral("-in"), statement.fileName()});
    const QByteArray publicKey = openssl({QStringLiteral("pkey"), QStringLiteral("-in"), keyFile,
        QStringLiteral("-pubout"), QStringLiteral("-outform"), QStringLiteral("DER")});
    return Signature {QString::fromLatin1(signature.toBase64()),
        QString::fromLatin1(QCryptographicHash::hash(publicKey, QCryptographicHash::Sha256).toHex().left(16))};
}

void write(const QString &file, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray read(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void makeTree(const QString &dir, const QString &version)
{
    write(dir + QStringLiteral("/bin/vendrix"), "#!/bin/sh\necho " + version.toUtf8() + "\n");
    QFile::setPermissions(dir + QStringLiteral("/bin/vendrix"),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
    write(dir + QStringLiteral("/vendrix.release"), "Vendrix " + version.toUtf8() + "\n");
    write(dir + QStringLiteral("/only-in-") + version, version.toUtf8());
}

QByteArray tarGz(const QString &sourceDir, const QString &prefix)
{
    Sink sink;
    archive *a = openWriter(&sink);
    const QDir root(sourceDir);
    const QByteArray base = prefix.isEmpty() ? QByteArray() : prefix.toUtf8() + '/';
    if (!base.isEmpty())
        addEntry(a, base, AE_IFDIR, 0755, QByteArray());
    QStringList paths;
    QDirIterator it(sourceDir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    for (const QString &path : qAsConst(paths)) {
        const QFileInfo info(path);
        const QByteArray name = base + root.relativeFilePath(path).toUtf8();
        if (info.isDir())
            addEntry(a, name + '/', AE_IFDIR, 0755, QByteArray());
        else
            addEntry(a, name, AE_IFREG, info.isExecutable() ? 0755 : 0644, read(path));
    }
    return closeWriter(a, &sink);
}

QByteArray tarGzOf(const QList<QPair<QByteArray, QByteArray>> &files, const QList<QPair<QByteArray, QByteArray>> &links)
{
    Sink sink;
    archive *a = openWriter(&sink);
    for (const auto &file : files)
        addEntry(a, file.first, AE_IFREG, 0755, file.second);
    for (const auto &link : links)
        addEntry(a, link.first, AE_IFLNK, 0777, link.second);
    return closeWriter(a, &sink);
}

QStringList snapshot(const QString &dir)
{
    QStringList lines;
    const QDir root(dir);
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        lines << root.relativeFilePath(path) + QLatin1Char('=') + QString::fromUtf8(read(path));
    }
    lines.sort();
    return lines;
}

} // namespace Packages
