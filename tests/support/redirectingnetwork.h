#pragma once

#include "networkaccess.h"

#include <QNetworkAccessManager>
#include <QPointer>

class CannedServer;
class TestServer;

// Sends every request for the production origin to the test server instead, so
// the documents are tested unchanged; a path the canned server has an answer
// for goes to the canned server. While the test server is stopped, requests
// go to a closed port and fail like a dead connection.
class RedirectingNetworkAccessManager : public QNetworkAccessManager
{
public:
    RedirectingNetworkAccessManager(TestServer *server, CannedServer *canned, QObject *parent);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override;

private:
    QPointer<TestServer> m_server;
    QPointer<CannedServer> m_canned;
};

class RedirectingNetworkFactory : public NetworkAccessManagerFactory
{
public:
    RedirectingNetworkFactory(TestServer *server, CannedServer *canned) : m_server(server), m_canned(canned) { }

protected:
    QNetworkAccessManager *createManager(QObject *parent) override;

private:
    TestServer *m_server;
    CannedServer *m_canned;
};
