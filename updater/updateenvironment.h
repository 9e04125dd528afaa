#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;
class QObject;
class QWidget;

// Everything a message box needs; the update machinery describes its boxes
// with it so that a test can read them and answer in place of a user.
struct MessageBoxRequest
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QString informativeText;
    Qt::TextFormat textFormat = Qt::AutoText;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget *parent = nullptr;
};

// What the update machinery asks of the desktop and the system: modal message
// boxes, the default handler for URLs, external programs, the request to
// quit, pauses and a few facts about the running process. The machinery never
// calls these services directly, so tests replace them and nothing blocks.
class UpdateEnvironment
{
public:
    virtual ~UpdateEnvironment();

    // Runs the box modally and returns the button that closed it.
    virtual QMessageBox::StandardButton showMessage(const MessageBoxRequest &request) = 0;
    // Hands the URL to the desktop's default handler.
    virtual bool openUrl(const QUrl &url) = 0;
    // Runs the program found on the search path and waits up to timeoutMs
    // for it. Returns its exit code, or -1 when it did not start, crashed or
    // ran out of time (it is killed then).
    virtual int runProgram(const QString &program, const QStringList &arguments, int timeoutMs) = 0;
    // Asks the application to quit once control returns to its event loop.
    virtual void requestQuit() = 0;
    // Waits the given seconds while the application keeps handling events.
    virtual void pause(int seconds) = 0;
    // The platform plugin's name ("cocoa" on macOS, "xcb" on Linux, ...).
    virtual QString platformName() const = 0;
    // The directory holding the running executable, and the executable.
    virtual QString applicationDirPath() const = 0;
    virtual QString applicationFilePath() const = 0;
    // A network access manager for feeds and packages.
    virtual QNetworkAccessManager *createNetworkAccessManager(QObject *parent);
    // The public key release packages must be signed with (Base64 of its DER
    // form): the one this client was built with, empty when it has none.
    virtual QByteArray releaseKey() const;

    // The environment in use; the desktop's unless a test set another.
    static UpdateEnvironment *current();
    // Replaces the environment (not owned); nullptr brings back the desktop's.
    static void setCurrent(UpdateEnvironment *environment);
};

// The real thing: QMessageBox, QDesktopServices, QProcess, QCoreApplication.
class DesktopEnvironment : public UpdateEnvironment
{
public:
    QMessageBox::StandardButton showMessage(const MessageBoxRequest &request) override;
    bool openUrl(const QUrl &url) override;
    int runProgram(const QString &program, const QStringList &arguments, int timeoutMs) override;
    void requestQuit() override;
    void pause(int seconds) override;
    QString platformName() const override;
    QString applicationDirPath() const override;
    QString applicationFilePath() const override;
};
