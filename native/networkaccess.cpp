#include "networkaccess.h"

#include <QNetworkAccessManager>

QNetworkAccessManager *NetworkAccessManagerFactory::create(QObject *parent)
{
    QNetworkAccessManager *manager = createManager(parent);
    manager->setTransferTimeout(TransferTimeoutMs);
    return manager;
}

QNetworkAccessManager *NetworkAccessManagerFactory::createManager(QObject *parent)
{
    return new QNetworkAccessManager(parent);
}
