#pragma once

#include <QQmlNetworkAccessManagerFactory>

// Network access managers for the QML engine. A transfer that stalls ends as a
// failed request after the timeout instead of leaving its caller waiting.
class NetworkAccessManagerFactory : public QQmlNetworkAccessManagerFactory
{
public:
    static constexpr int TransferTimeoutMs = 30000;

    QNetworkAccessManager *create(QObject *parent) override;

protected:
    // Lets a subclass hand out its own manager type; the timeout is applied on top.
    virtual QNetworkAccessManager *createManager(QObject *parent);
};
