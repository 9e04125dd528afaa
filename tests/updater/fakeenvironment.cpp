#include "fakeenvironment.h"

#include "loopbackhttps.h"
#include "updateinstance.h"

#include <QNetworkRequest>

FakeEnvironment::FakeEnvironment(LoopbackHttpsServer *server)
    : releaseKeyBase64(QByteArrayLiteral(UPDATER_TEST_RELEASE_KEY)), m_server(server)
{
    UpdateEnvironment::setCurrent(this);
}

FakeEnvironment::~FakeEnvironment()
{
    UpdateEnvironment::setCurrent(nullptr);
}

QMessageBox::StandardButton FakeEnvironment::showMessage(const MessageBoxRequest &request)
{
    boxes.append(request);
    if (whileOpen)
        whileOpen(request);
    if (!answers.isEmpty())
        return answers.takeFirst();
    return request.defaultButton != QMessageBox::NoButton ? request.defaultButton : QMessageBox::Close;
}

bool FakeEnvironment::openUrl(const QUrl &url)
{
    opened.append(url);
    return true;
}

int FakeEnvironment::runProgram(const QString &program, const QStringList &arguments, int)
{
    runs.append(Run {program, arguments});
    return exitCodes.isEmpty() ? 0 : exitCodes.takeFirst();
}

QNetworkAccessManager *FakeEnvironment::createNetworkAccessManager(QObject *parent)
{
    return new LoopbackNetworkAccessManager(m_server, parent);
}

QStringList FakeEnvironment::texts() const
{
    QStringList result;
    for (const MessageBoxRequest &box : boxes)
        result << box.text << box.informativeText;
    return result;
}

LoopbackNetworkAccessManager::LoopbackNetworkAccessManager(LoopbackHttpsServer *server, QObject *parent)
    : QNetworkAccessManager(parent), m_server(server)
{
}

QNetworkReply *LoopbackNetworkAccessManager::createRequest(
    Operation op, const QNetworkRequest &request, QIODevice *outgoingData)
{
    QUrl url = request.url();
    const QUrl feed(UpdateInstance::feedUrl());
    if (m_server && url.host() == feed.host() && url.port() == feed.port()) {
        url.setScheme(QStringLiteral("https"));
        url.setHost(QStringLiteral("127.0.0.1"));
        url.setPort(m_server->serverPort());
        QNetworkRequest local(request);
        local.setUrl(url);
        return QNetworkAccessManager::createRequest(op, local, outgoingData);
    }
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}
