#include "updateenvironment.h"

#include "packagesignature.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QProcess>

UpdateEnvironment::~UpdateEnvironment() = default;

QNetworkAccessManager *UpdateEnvironment::createNetworkAccessManager(QObject *parent)
{
    return new QNetworkAccessManager(parent);
}

QByteArray UpdateEnvironment::releaseKey() const
{
    return PackageSignature::builtInKey();
}

namespace {

UpdateEnvironment *s_current = nullptr;

DesktopEnvironment &desktop()
{
    static DesktopEnvironment environment;
    return environment;
}

} // namespace

UpdateEnvironment *UpdateEnvironment::current()
{
    return s_current ? s_current : &desktop();
}

void UpdateEnvironment::setCurrent(UpdateEnvironment *environment)
{
    s_current = environment;
}

QMessageBox::StandardButton DesktopEnvironment::showMessage(const MessageBoxRequest &request)
{
    QMessageBox box(request.parent);
    box.setIcon(request.icon);
    if (!request.title.isEmpty())
        box.setWindowTitle(request.title);
    box.setTextFormat(request.textFormat);
    box.setText(request.text);
    box.setInformativeText(request.informativeText);
    box.setStandardButtons(request.buttons);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool DesktopEnvironment::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

int DesktopEnvironment::runProgram(const QString &program, const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.start(program, arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(timeoutMs))
        return -1;
    const bool ended = process.waitForFinished(timeoutMs);
    const int exitCode = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    process.close(); // kills a process that is still running
    return exitCode;
}

void DesktopEnvironment::requestQuit()
{
    QCoreApplication::quit();
}

void DesktopEnvironment::pause(int seconds)
{
    const QDateTime until = QDateTime::currentDateTime().addSecs(seconds);
    while (QDateTime::currentDateTime() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}

QString DesktopEnvironment::platformName() const
{
    return QGuiApplication::platformName();
}

QString DesktopEnvironment::applicationDirPath() const
{
    return QCoreApplication::applicationDirPath();
}

QString DesktopEnvironment::applicationFilePath() const
{
    return QCoreApplication::applicationFilePath();
}
