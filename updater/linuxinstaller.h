#pragma once

#include <QString>

// Replaces an unpacked installation with the contents of a release package
// (a .tar.gz of the installation tree). The package is unpacked into a
// staging directory beside the installation and checked (a release tree, no
// link leading out of it); only then is the installation swapped for it, by
// renaming, so a failure at any point leaves the old installation in place
// and working. The replaced tree is kept
// beside it as "<name>.previous" for one rollback.
class LinuxInstaller
{
public:
    explicit LinuxInstaller(const QString &target);
    virtual ~LinuxInstaller();

    // Installs the package; false with error() set when nothing was changed.
    bool install(const QString &package);
    // Swaps the installation and the kept previous version.
    bool rollback();

    QString target() const { return m_target; }
    QString previous() const;
    // Why the last operation failed, in words for the user.
    QString error() const { return m_error; }

protected:
    // The one step that changes the installation; tests fail it on purpose.
    virtual bool renamePath(const QString &from, const QString &to);

private:
    bool unpack(const QString &package, const QString &into);
    bool fail(const QString &error);

    QString m_target;
    QString m_error;
};
