#pragma once

#include <QNetworkAccessManager>
#include <QQmlNetworkAccessManagerFactory>
#include <QUrl>

// Requests for one origin sent to another: one build reaches the backend of
// whichever office it is installed in. Only scheme, host and port change;
// path, query and headers stay as the documents made them.
struct OriginRedirect
{
    QUrl from;
    QUrl to;

    bool isActive() const { return from.isValid() && to.isValid(); }
    // The URL a request for `url` goes to.
    QUrl apply(const QUrl &url) const;
};

// The network access manager of the application's requests: follows the
// origin redirect set for the process.
class BackendNetworkAccessManager : public QNetworkAccessManager
{
public:
    explicit BackendNetworkAccessManager(QObject *parent = nullptr);

protected:
    QNetworkReply *createRequest(Operation op, const QNetworkRequest &request, QIODevice *outgoingData) override;
};

// Network access managers for the QML engine and the native elements. A
// transfer that stalls ends as a failed request after the timeout instead of
// leaving its caller waiting. Why a TLS connection was refused goes to the log
// (the documents only learn that the request failed); nothing here ever
// ignores a TLS error.
class NetworkAccessManagerFactory : public QQmlNetworkAccessManagerFactory
{
public:
    static constexpr int TransferTimeoutMs = 30000;

    QNetworkAccessManager *create(QObject *parent) override;

    // The redirect of every manager made from now on (by any factory);
    // an inactive one sends every request where it was addressed.
    static void setOriginRedirect(const OriginRedirect &redirect);
    static OriginRedirect originRedirect();

protected:
    // Lets a subclass hand out its own manager type; the timeout and the TLS
    // diagnostics are applied on top.
    virtual QNetworkAccessManager *createManager(QObject *parent);
};
