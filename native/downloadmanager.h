#pragma once

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;

// The one holder per process of the network access manager that every download
// element shares. Created on first use and kept until the application object
// goes away.
class DownloadManager : public QObject
{
    Q_OBJECT
    // True once the master exists.
    Q_PROPERTY(bool ready READ isReady NOTIFY readyChanged)

public:
    ~DownloadManager() override;

    // The master of the process, created (without a parent) on first use.
    static DownloadManager *instance();

    // Whether a master exists; if not, says so on the warning log, naming the caller.
    static bool checkInstance(const char *method);

    // The shared manager; one owned by the master is created on first use.
    QNetworkAccessManager *networkAccessManager();

    // Uses the given manager from now on without owning it; a manager the master
    // created itself is released. Null goes back to an owned manager on next use.
    void setNetworkAccessManager(QNetworkAccessManager *manager);

    bool isReady() const;

Q_SIGNALS:
    void readyChanged();

private:
    explicit DownloadManager(QObject *parent = nullptr);
    static void destroyInstance();

    static DownloadManager *self;

    // Guarded, so that a manager deleted by its owner is never used again.
    QPointer<QNetworkAccessManager> m_manager;
    bool m_ownsManager = false;
    bool m_ready = false;
};
