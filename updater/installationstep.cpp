#include "installationstep.h"

#include "installation.h"
#include "linuxinstaller.h"
#include "updateenvironment.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QUrl>

namespace {

// Copy attempts before the installation gives up.
constexpr int kCopyAttempts = 3;
// How long one external program may run, in milliseconds.
constexpr int kProgramTimeout = 30000;

UpdateEnvironment *environment()
{
    return UpdateEnvironment::current();
}

bool onMacOs()
{
    return environment()->platformName().contains(QLatin1String("cocoa"));
}

} // namespace

InstallationStep::InstallationStep(QWidget *boxParent) : QObject(nullptr), m_boxParent(boxParent)
{
}

QString InstallationStep::installTarget()
{
    return QDir::homePath() + QStringLiteral("/Applications/Vendrix.app/Contents/");
}

QString InstallationStep::nextStepText() const
{
    // macOS: the desktop unpacks the package before it is copied.
    if (onMacOs())
        return tr("Das Installationsprogramm wird separat geöffnet") + QStringLiteral("...");
    const Installation installation = Installation::detect(environment()->applicationDirPath());
    if (!installation.updatableInPlace)
        return tr("Diese Kopie von Vendrix kann das Update nicht selbst installieren.");
    return tr("Die neue Version ersetzt die Installation in %1; die bisherige bleibt als %2 erhalten.")
        .arg(installation.root, QFileInfo(installation.root).fileName() + QStringLiteral(".previous"));
}

void InstallationStep::run(const PackageFiles &files)
{
    m_files = files;
    if (m_files.fileName.isEmpty()) {
        MessageBoxRequest box;
        box.icon = QMessageBox::Critical;
        box.title = tr("Error");
        box.text = tr("Kann das heruntergeladene Update nicht finden!");
        box.buttons = QMessageBox::Close;
        box.parent = m_boxParent;
        environment()->showMessage(box);
        return;
    }
    if (!packageNamesAreSafe())
        return;
    if (!onMacOs()) {
        installOnLinux();
        return;
    }
    environment()->openUrl(QUrl::fromLocalFile(m_files.packagePath()));
    m_copyAttempts = 0;
    copyContents();
}

bool InstallationStep::packageNamesAreSafe()
{
    // The folder name ends in the "/" that replaced ".tar.gz".
    QString folder = m_files.fileNameNoExt;
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    bool safe = PackageFiles::isSafeName(m_files.fileName) && (!onMacOs() || PackageFiles::isSafeName(folder));
    if (safe && onMacOs()) {
        const QString temporary = QFileInfo(m_files.temporaryDir).canonicalFilePath();
        const QString package = QFileInfo(m_files.packagePath()).canonicalFilePath();
        safe = !temporary.isEmpty() && package.startsWith(temporary + QLatin1Char('/'));
    }
    if (!safe)
        fail(tr("Der Name des heruntergeladenen Updates ist ungültig: %1").arg(m_files.fileName));
    return safe;
}

void InstallationStep::copyContents()
{
    copyWithShell(m_files.unpackedFolder(), installTarget());
}

void InstallationStep::copyWithShell(const QString &source, const QString &target)
{
    ++m_copyAttempts;
    const int exitCode =
        environment()->runProgram(QStringLiteral("cp"), {QStringLiteral("-r"), source, target}, kProgramTimeout);
    isCopyFinished(exitCode);
}

void InstallationStep::removeWithShell(const QString &path)
{
    environment()->runProgram(QStringLiteral("rm"), {QStringLiteral("-r"), path}, kProgramTimeout);
}

void InstallationStep::delay(int seconds)
{
    environment()->pause(seconds);
}

void InstallationStep::isCopyFinished(int exitCode)
{
    if (exitCode == 1) {
        // Typically the desktop has not finished unpacking yet.
        if (m_copyAttempts < kCopyAttempts) {
            delay(2);
            copyContents();
        } else {
            fail(tr("Das Update konnte nach %1 Versuchen nicht in die Anwendung kopiert werden.").arg(kCopyAttempts));
        }
        return;
    }
    if (exitCode != 0) {
        fail(tr("Das Update konnte nicht in die Anwendung kopiert werden."));
        return;
    }
    if (!onMacOs())
        return;
    removeInTemporaryDir(m_files.packagePath(), false);
    delay(2);
    removeInTemporaryDir(m_files.unpackedFolder(), false);
    delay(2);
    removeInTemporaryDir(m_files.partFilePath(), false);
    delay(2);
    removeInTemporaryDir(m_files.temporaryDir, true);
}

void InstallationStep::removeInTemporaryDir(const QString &path, bool isTemporaryDir)
{
    const QString temporary = QFileInfo(m_files.temporaryDir).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (temporary.isEmpty() || canonical.isEmpty())
        return; // gone already, or a link to nowhere
    const bool inside = isTemporaryDir ? canonical == temporary : canonical.startsWith(temporary + QLatin1Char('/'));
    if (!inside) {
        qWarning() << "Updater: not removing" << canonical << "outside of" << temporary;
        return;
    }
    removeWithShell(canonical);
}

void InstallationStep::installOnLinux()
{
    const Installation::Obstacle obstacle = Installation::obstacle(environment());
    if (obstacle != Installation::Obstacle::None) {
        fail(Installation::explain(obstacle, QCoreApplication::applicationName(), environment()));
        return;
    }
    LinuxInstaller installer(Installation::detect(environment()->applicationDirPath()).root);
    const bool installed = installer.install(m_files.packagePath());
    QFile::remove(m_files.packagePath());
    QDir().rmdir(m_files.temporaryDir); // only when nothing else is left in it
    if (!installed) {
        fail(installer.error() + QLatin1Char('\n') + tr("Die bisherige Version bleibt installiert."));
        return;
    }
    MessageBoxRequest box;
    box.icon = QMessageBox::Information;
    box.title = tr("Updater");
    box.text = tr("Update installiert");
    box.informativeText = tr("Starten Sie Vendrix neu, um die neue Version zu verwenden.");
    box.buttons = QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    environment()->showMessage(box);
}

void InstallationStep::fail(const QString &detail)
{
    emit failed();
    MessageBoxRequest box;
    box.icon = QMessageBox::Critical;
    box.title = tr("Updater");
    box.text = tr("Installation fehlgeschlagen");
    box.informativeText = detail;
    box.buttons = QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    environment()->showMessage(box);
}
