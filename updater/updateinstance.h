#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class UpdateRegistry;

// The update machinery as a QML element: binds the registry to the one feed
// URL of this build, starts checks with the flags a document passes and
// republishes the outcome as properties.
class UpdateInstance : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Changelog READ Changelog)
    Q_PROPERTY(QString Appcast READ Appcast)
    Q_PROPERTY(bool UpdateAvailable READ UpdateAvailable WRITE setUpdateAvailable NOTIFY updateAvailableChanged)

public:
    explicit UpdateInstance(QObject *parent = nullptr);

    // The feed this build checks, fixed when it was built.
    static QString feedUrl();

    QString Changelog() const { return m_changelog; }
    QString Appcast() const { return m_appcast; }
    bool UpdateAvailable() const { return m_updateAvailable; }

    void setChangelog(const QString &changelog);
    void setAppcast(const QString &appcast);
    // Stores and always signals, also when the value stays the same.
    void setUpdateAvailable(bool available);

Q_SIGNALS:
    void updateAvailableChanged();

public Q_SLOTS:
    void checkForUpdates(const QString &p_Version, bool p_CustomAppcast, bool p_DownloaderEnabled,
        bool p_NotifyOnFinish, bool p_NotifyOnUpdate, bool p_MandatoryUpdate);
    void updateChangelog(const QString &url);
    void displayAppcast(const QString &url, const QByteArray &reply);
    void finishedChecking(const QString &);

private:
    UpdateRegistry *m_registry;
    QString m_changelog;
    QString m_appcast;
    bool m_updateAvailable = false;
};
