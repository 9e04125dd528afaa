#include "redirectingnetwork.h"

#include "cannedserver.h"
#include "testserver.h"

#include <QNetworkRequest>

RedirectingNetworkAccessManager::RedirectingNetworkAccessManager(
    TestServer *server, CannedServer *canned, QObject *parent)
    : QNetworkAccessManager(parent), m_server(server), m_canned(canned)
{
}

QNetworkReply *RedirectingNetworkAccessManager::createRequest(
    Operation op, const QNetworkRequest &request, QIODevice *outgoingData)
{
    const QUrl production(m_server ? m_server->productionOrigin() : QString());
    QUrl url = request.url();
    if (m_server && url.scheme() == production.scheme() && url.host() == production.host()
        && url.port() == production.port()) {
        url.setScheme(QStringLiteral("http"));
        url.setHost(QStringLiteral("127.0.0.1"));
        if (m_canned && m_canned->answers(url.path()))
            url.setPort(m_canned->port());
        else // port 1 is never ours: a stopped server looks like a dead connection
            url.setPort(m_server->port() > 0 ? m_server->port() : 1);
        QNetworkRequest redirected(request);
        redirected.setUrl(url);
        return QNetworkAccessManager::createRequest(op, redirected, outgoingData);
    }
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}

QNetworkAccessManager *RedirectingNetworkFactory::createManager(QObject *parent)
{
    return new RedirectingNetworkAccessManager(m_server, m_canned, parent);
}
