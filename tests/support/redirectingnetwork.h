#pragma once

#include "networkaccess.h"

#include <QNetworkAccessManager>
#include <QPointer>

class TestServer;

// Sends every request for the production origin to the test server instead, so
// the documents are tested unchanged. While the server is stopped, such
// requests go to a closed port and fail like a dead connection.
class RedirectingNetworkAccessManager : public QNetworkAccessManager
{
public:
    RedirectingNetworkAccessManager(TestServer *server, QObject *parent);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override;

private:
    QPointer<TestServer> m_server;
};

class RedirectingNetworkFactory : public NetworkAccessManagerFactory
{
public:
    explicit RedirectingNetworkFactory(TestServer *server) : m_server(server) { }

protected:
    QNetworkAccessManager *createManager(QObject *parent) override;

private:
    TestServer *m_server;
};
