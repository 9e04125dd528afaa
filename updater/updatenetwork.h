#pragma once

#include <QNetworkRequest>
#include <QString>
#include <QUrl>

// The rules every request of the update machinery follows. A feed decides
// which code gets installed, so it and its packages travel over HTTPS; plain
// HTTP is accepted only from this machine (a local update server).
namespace UpdateNetwork {

// Redirections followed one after another before a request is given up.
constexpr int kMaxRedirects = 5;
// Milliseconds without a byte moving after which a transfer fails.
constexpr int kTransferTimeoutMs = 30000;

// True for https URLs, and for http URLs whose host is a loopback address.
bool isPermitted(const QUrl &url);

// A GET request for url that follows no redirection by itself and carries
// the user agent when there is one.
QNetworkRequest request(const QUrl &url, const QString &userAgent);

} // namespace UpdateNetwork
