#include "linuxinstaller.h"

#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <memory>

namespace {

struct ReadArchiveDeleter
{
    void operator()(archive *a) const { archive_read_free(a); }
};
struct WriteArchiveDeleter
{
    void operator()(archive *a) const { archive_write_free(a); }
};

// A member name that stays inside the directory it is unpacked into:
// relative, and without a ".." component.
bool isContainedName(const QByteArray &name)
{
    if (name.isEmpty() || name.startsWith('/'))
        return false;
    for (const QByteArray &part : name.split('/')) {
        if (part == "..")
            return false;
    }
    return true;
}

bool removeTree(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isFile())
        return QFile::remove(path);
    if (info.isDir())
        return QDir(path).removeRecursively();
    return !info.exists();
}

// The first symbolic link below tree whose target, followed as the system
// follows it (through other links too), is not inside tree or does not exist;
// its path relative to tree, or empty when every link stays inside. A link
// out of the installation would let a package reach any file the user can.
QString linkLeavingTree(const QString &tree)
{
    const QString root = QFileInfo(tree).canonicalFilePath();
    QDirIterator it(
        tree, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!entry.isSymLink())
            continue;
        const QString target = entry.canonicalFilePath();
        if (target.isEmpty() || (target != root && !target.startsWith(root + QLatin1Char('/'))))
            return QDir(tree).relativeFilePath(entry.filePath());
    }
    return QString();
}

QString tr(const char *text)
{
    return QCoreApplication::translate("LinuxInstaller", text);
}

} // namespace

LinuxInstaller::LinuxInstaller(const QString &target) : m_target(QFileInfo(target).absoluteFilePath())
{
}

LinuxInstaller::~LinuxInstaller() = default;

QString LinuxInstaller::previous() const
{
    return m_target + QStringLiteral(".previous");
}

bool LinuxInstaller::fail(const QString &error)
{
    m_error = error;
    return false;
}

bool LinuxInstaller::renamePath(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool LinuxInstaller::install(const QString &package)
{
    m_error.clear();
    const QFileInfo target(m_target);
    if (!target.isDir() || target.isSymLink())
        return fail(tr("Das Installationsverzeichnis %1 wurde nicht gefunden.").arg(m_target));
    const QDir around = target.absoluteDir();

    // Beside the target, so that the final rename stays on one file system.
    QTemporaryDir staging(around.filePath(QStringLiteral(".%1.staging-XXXXXX").arg(target.fileName())));
    if (!staging.isValid())
        return fail(tr("Im Verzeichnis %1 kann nichts angelegt werden.").arg(around.absolutePath()));
    if (!unpack(package, staging.path()))
        return false;

    // The package holds the tree itself or one directory with it.
    QString tree = staging.path();
    const QFileInfoList top =
        QDir(tree).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (top.size() == 1 && top.first().isDir() && !top.first().isSymLink())
        tree = top.first().absoluteFilePath();
    const QString link = linkLeavingTree(tree);
    if (!link.isEmpty())
        return fail(
            tr("Das heruntergeladene Paket enthält einen Verweis, der aus der Installation hinausführt: %1").arg(link));
    const QFileInfo executable(QDir(tree).filePath(Installation::executable()));
    if (!QFileInfo::exists(QDir(tree).filePath(Installation::markerFile())) || !executable.isFile()
        || !executable.isExecutable())
        return fail(tr("Das heruntergeladene Paket enthält keine Vendrix-Installation."));

    if (!removeTree(previous()))
        return fail(tr("Die ältere Version in %1 kann nicht entfernt werden.").arg(previous()));
    if (!renamePath(m_target, previous()))
        return fail(tr("Die installierte Version kann nicht beiseitegelegt werden."));
    if (!renamePath(tree, m_target)) {
        if (!renamePath(previous(), m_target))
            return fail(tr("Die neue Version konnte nicht an ihren Platz gebracht werden; die bisherige liegt in %1.")
                            .arg(previous()));
        return fail(tr("Die neue Version konnte nicht an ihren Platz gebracht werden."));
    }
    return true;
}

bool LinuxInstaller::rollback()
{
    m_error.clear();
    const QFileInfo kept(previous());
    if (!kept.isDir() || kept.isSymLink())
        return fail(tr("Es ist keine frühere Version vorhanden."));
    const QString aside =
        QFileInfo(m_target).absoluteDir().filePath(QStringLiteral(".%1.rollback").arg(QFileInfo(m_target).fileName()));
    if (!removeTree(aside))
        return fail(tr("%1 kann nicht entfernt werden.").arg(aside));
    if (!renamePath(m_target, aside))
        return fail(tr("Die installierte Version kann nicht beiseitegelegt werden."));
    if (!renamePath(previous(), m_target)) {
        renamePath(aside, m_target);
        return fail(tr("Die frühere Version konnte nicht an ihren Platz gebracht werden."));
    }
    // The version rolled back from becomes the one kept.
    if (!renamePath(aside, previous()))
        removeTree(aside);
    return true;
}

bool LinuxInstaller::unpack(const QString &package, const QString &into)
{
    std::unique_ptr<archive, ReadArchiveDeleter> in(archive_read_new());
    archive_read_support_filter_gzip(in.get());
    archive_read_support_format_tar(in.get());
    std::unique_ptr<archive, WriteArchiveDeleter> out(archive_write_disk_new());
    // No owners, no set-id bits, nothing written through a link. The member
    // names are checked below and joined to the staging directory, which
    // makes them absolute.
    archive_write_disk_set_options(
        out.get(), ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT);

    const QString broken = tr("Das heruntergeladene Paket ist beschädigt oder unvollständig.");
    if (archive_read_open_filename(in.get(), QFile::encodeName(package).constData(), 64 * 1024) != ARCHIVE_OK)
        return fail(broken);

    const QByteArray base = QFile::encodeName(into) + '/';
    int entries = 0;
    for (;;) {
        archive_entry *entry = nullptr;
        const int next = archive_read_next_header(in.get(), &entry);
        if (next == ARCHIVE_EOF)
            break;
        if (next < ARCHIVE_WARN)
            return fail(broken);
        const QByteArray name = archive_entry_pathname(entry);
        const mode_t type = archive_entry_filetype(entry);
        if (!isContainedName(name) || (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK))
            return fail(tr("Das heruntergeladene Paket enthält unzulässige Einträge."));
        archive_entry_copy_pathname(entry, (base + name).constData());
        if (const char *link = archive_entry_hardlink(entry)) {
            if (!isContainedName(link))
                return fail(tr("Das heruntergeladene Paket enthält unzulässige Einträge."));
            archive_entry_copy_hardlink(entry, (base + link).constData());
        }
        if (archive_write_header(out.get(), entry) < ARCHIVE_WARN)
            return fail(broken);
        if (archive_entry_size(entry) > 0) {
            const void *block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            for (;;) {
                const int read = archive_read_data_block(in.get(), &block, &size, &offset);
                if (read == ARCHIVE_EOF)
                    break;
                if (read < ARCHIVE_WARN || archive_write_data_block(out.get(), block, size, offset) < ARCHIVE_WARN)
                    return fail(broken);
            }
        }
        if (archive_write_finish_entry(out.get()) < ARCHIVE_WARN)
            return fail(broken);
        ++entries;
    }
    if (archive_write_close(out.get()) != ARCHIVE_OK || entries == 0)
        return fail(broken);
    return true;
}
