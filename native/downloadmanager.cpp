#include "downloadmanager.h"

#include "networkaccess.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QtGlobal>

DownloadManager *DownloadManager::self = nullptr;

DownloadManager::DownloadManager(QObject *parent) : QObject(parent)
{
    self = this;
    m_ready = true;
    emit readyChanged();
}

DownloadManager::~DownloadManager()
{
    // an owned manager is a child and goes with this object
    if (self == this)
        self = nullptr;
}

DownloadManager *DownloadManager::instance()
{
    if (!self) {
        new DownloadManager();
        // Released while the application object is torn down, after the engine
        // and its elements, so that the manager never outlives the event loop.
        if (QCoreApplication::instance())
            qAddPostRoutine(&DownloadManager::destroyInstance);
    }
    return self;
}

void DownloadManager::destroyInstance()
{
    delete self;
}

bool DownloadManager::checkInstance(const char *method)
{
    if (self)
        return true;
    qWarning("DownloadManager::%s: Please instantiate the DownloadManager object first", method);
    return false;
}

QNetworkAccessManager *DownloadManager::networkAccessManager()
{
    if (!m_manager) {
        // same transfer timeout as the engine's own requests: a stalled
        // download ends as a network error instead of running forever
        NetworkAccessManagerFactory factory;
        m_manager = factory.create(this);
        m_ownsManager = true;
    }
    return m_manager;
}

void DownloadManager::setNetworkAccessManager(QNetworkAccessManager *manager)
{
    if (manager == m_manager)
        return;
    if (m_ownsManager && m_manager) {
        // later, not now: the caller may be inside a signal of one of its replies
        m_manager->deleteLater();
    }
    m_manager = manager;
    m_ownsManager = false;
}

bool DownloadManager::isReady() const
{
    return m_ready;
}
