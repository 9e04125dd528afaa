#pragma once

#include "updateenvironment.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QPointer>

#include <functional>

class LoopbackHttpsServer;

// Stands in for the desktop while a test runs: records every message box,
// opened URL, program run, pause and quit request, answers the boxes as the
// test scripted, and never blocks. Requests for the host of the built-in
// feed go to the loopback server.
class FakeEnvironment : public UpdateEnvironment
{
public:
    struct Run
    {
        QString program;
        QStringList arguments;
    };

    explicit FakeEnvironment(LoopbackHttpsServer *server = nullptr);
    ~FakeEnvironment() override;

    // Boxes answer with the next scripted button; with none left, with the
    // box's default button (or Close when it has none).
    QList<QMessageBox::StandardButton> answers;
    // Runs while a box is "open", before it is answered.
    std::function<void(const MessageBoxRequest &)> whileOpen;
    // Exit codes of the programs run, in order; with none left, 0.
    QList<int> exitCodes;
    QString platform = QStringLiteral("xcb");
    QString appDir = QStringLiteral("/usr/bin");
    // The tests' own release key (see Packages::sign); empty for a client
    // built without one.
    QByteArray releaseKeyBase64;

    QList<MessageBoxRequest> boxes;
    QList<QUrl> opened;
    QList<Run> runs;
    QList<int> pauses;
    int quitRequests = 0;

    QMessageBox::StandardButton showMessage(const MessageBoxRequest &request) override;
    bool openUrl(const QUrl &url) override;
    int runProgram(const QString &program, const QStringList &arguments, int timeoutMs) override;
    void requestQuit() override { ++quitRequests; }
    void pause(int seconds) override { pauses.append(seconds); }
    QString platformName() const override { return platform; }
    QString applicationDirPath() const override { return appDir; }
    QString applicationFilePath() const override { return appDir + QStringLiteral("/vendrix"); }
    QNetworkAccessManager *createNetworkAccessManager(QObject *parent) override;
    QByteArray releaseKey() const override { return releaseKeyBase64; }

    // The texts of the boxes shown so far (main text, then informative text).
    QStringList texts() const;

private:
    QPointer<LoopbackHttpsServer> m_server;
};

// The host of the built-in feed, reached at the loopback server.
class LoopbackNetworkAccessManager : public QNetworkAccessManager
{
public:
    LoopbackNetworkAccessManager(LoopbackHttpsServer *server, QObject *parent);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override;

private:
    QPointer<LoopbackHttpsServer> m_server;
};
