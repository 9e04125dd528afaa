#include "networkaccess.h"

#include <QDebug>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace {

OriginRedirect s_redirect;

// The port a URL reaches, spelled out or implied by its scheme.
int effectivePort(const QUrl &url)
{
    const int fallback = url.scheme() == QLatin1String("https") ? 443 : url.scheme() == QLatin1String("http") ? 80 : -1;
    return url.port(fallback);
}

// Where a reply went, for the log: host and port only, since paths and
// queries carry search words and record ids.
QString peerOf(const QNetworkReply *reply)
{
    const QUrl url = reply->url();
    return url.host() + QLatin1Char(':') + QString::number(effectivePort(url));
}

const char *const TlsErrorsLogged = "vendrixTlsErrorsLogged";

} // namespace

QUrl OriginRedirect::apply(const QUrl &url) const
{
    if (!isActive() || url.scheme() != from.scheme() || url.host() != from.host()
        || effectivePort(url) != effectivePort(from))
        return url;
    QUrl moved(url);
    moved.setScheme(to.scheme());
    moved.setHost(to.host());
    moved.setPort(to.port());
    return moved;
}

BackendNetworkAccessManager::BackendNetworkAccessManager(QObject *parent) : QNetworkAccessManager(parent)
{
}

QNetworkReply *BackendNetworkAccessManager::createRequest(
    Operation op, const QNetworkRequest &request, QIODevice *outgoingData)
{
    const OriginRedirect redirect = NetworkAccessManagerFactory::originRedirect();
    const QUrl target = redirect.apply(request.url());
    if (target == request.url())
        return QNetworkAccessManager::createRequest(op, request, outgoingData);
    QNetworkRequest moved(request);
    moved.setUrl(target);
    return QNetworkAccessManager::createRequest(op, moved, outgoingData);
}

QNetworkAccessManager *NetworkAccessManagerFactory::create(QObject *parent)
{
    QNetworkAccessManager *manager = createManager(parent);
    manager->setTransferTimeout(TransferTimeoutMs);
    // The certificate's faults, as the verification found them; the request then fails.
    QObject::connect(
        manager, &QNetworkAccessManager::sslErrors, manager, [](QNetworkReply *reply, const QList<QSslError> &errors) {
            QStringList reasons;
            for (const QSslError &error : errors)
                reasons.append(error.errorString());
            qWarning().noquote() << "TLS connection to" << peerOf(reply)
                                 << "refused:" << reasons.join(QStringLiteral("; "));
            reply->setProperty(TlsErrorsLogged, true);
        });
    // A handshake that failed without a verdict on the certificate (no common
    // protocol, not a TLS server, a broken connection).
    QObject::connect(manager, &QNetworkAccessManager::finished, manager, [](QNetworkReply *reply) {
        if (reply->error() == QNetworkReply::SslHandshakeFailedError && !reply->property(TlsErrorsLogged).toBool())
            qWarning().noquote() << "TLS connection to" << peerOf(reply) << "failed:" << reply->errorString();
    });
    return manager;
}

void NetworkAccessManagerFactory::setOriginRedirect(const OriginRedirect &redirect)
{
    s_redirect = redirect;
}

OriginRedirect NetworkAccessManagerFactory::originRedirect()
{
    return s_redirect;
}

QNetworkAccessManager *NetworkAccessManagerFactory::createManager(QObject *parent)
{
    return new BackendNetworkAccessManager(parent);
}
