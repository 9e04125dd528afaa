#pragma once

#include "packagefiles.h"

#include <QObject>

class QWidget;

// Installs a downloaded package, once the user agreed. On Linux an unpacked
// installation owned by the user is replaced by the package's tree
// (LinuxInstaller). On macOS the package is opened by the desktop, whose
// archive handler unpacks it beside itself; the unpacked folder is copied into
// the bundle in ~/Applications (a few attempts, as unpacking takes a moment)
// and the download directory is cleaned up. Every outcome is told in a
// message box; the programs, the desktop and the boxes are the
// UpdateEnvironment's.
class InstallationStep : public QObject
{
    Q_OBJECT

public:
    // Boxes that belong to the dialog are shown over boxParent.
    explicit InstallationStep(QWidget *boxParent);

    // Installs the package that files describe.
    void run(const PackageFiles &files);
    // What run() will do, in words for the user who is asked to agree.
    QString nextStepText() const;
    // Where the macOS bundle's contents go.
    static QString installTarget();

    // The macOS steps, in the order they run.
    void copyContents();
    void copyWithShell(const QString &source, const QString &target);
    void removeWithShell(const QString &path);
    void delay(int seconds);

Q_SIGNALS:
    // The installation failed; its box follows.
    void failed();

public Q_SLOTS:
    // The end of one copy: retried a few times on exit code 1, then the
    // download directory is cleaned up (macOS).
    void isCopyFinished(int exitCode);

private:
    bool packageNamesAreSafe();
    void installOnLinux();
    void fail(const QString &detail);
    void removeInTemporaryDir(const QString &path, bool isTemporaryDir);

    QWidget *m_boxParent;
    PackageFiles m_files;
    int m_copyAttempts = 0;
};
