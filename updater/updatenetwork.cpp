#include "updatenetwork.h"

#include <QHostAddress>

namespace UpdateNetwork {

bool isPermitted(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost"))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QNetworkRequest request(const QUrl &url, const QString &userAgent)
{
    QNetworkRequest request(url);
    // Redirections are judged by the caller, one by one.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // A transfer that stops moving ends as an error instead of waiting forever.
    request.setTransferTimeout(kTransferTimeoutMs);
    if (!userAgent.isEmpty())
        request.setRawHeader("User-Agent", userAgent.toUtf8());
    return request;
}

} // namespace UpdateNetwork
