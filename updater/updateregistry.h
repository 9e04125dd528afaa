#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class Updater;

// The one registry of update checkers in the process: one checker per feed
// URL (matched exactly, as written), created the first time the URL is
// named, with every setting, query and check forwarded to it. The checkers'
// signals are relayed, each with the URL of the checker that sent it.
class UpdateRegistry : public QObject
{
    Q_OBJECT

public:
    static UpdateRegistry *getInstance();
    ~UpdateRegistry() override;

    // The checker for url, created on first use.
    Updater *getUpdater(const QString &url) const;

    bool usesCustomAppcast(const QString &url) const;
    bool getNotifyOnUpdate(const QString &url) const;
    bool getNotifyOnFinish(const QString &url) const;
    bool getUpdateAvailable(const QString &url) const;
    bool getDownloaderEnabled(const QString &url) const;
    bool usesCustomInstallProcedures(const QString &url) const;
    QString getOpenUrl(const QString &url) const;
    QString getChangelog(const QString &url) const;
    QString getModuleName(const QString &url) const;
    QString getDownloadUrl(const QString &url) const;
    QString getPlatformKey(const QString &url) const;
    QString getLatestVersion(const QString &url) const;
    QString getModuleVersion(const QString &url) const;
    QString getUserAgentString(const QString &url) const;

Q_SIGNALS:
    void checkingFinished(const QString &url);
    void appcastDownloaded(const QString &url, const QByteArray &data);
    void downloadFinished(const QString &url, const QString &filepath);

public Q_SLOTS:
    void checkForUpdates(const QString &url);
    void setModuleName(const QString &url, const QString &name);
    void setNotifyOnUpdate(const QString &url, bool notify);
    void setNotifyOnFinish(const QString &url, bool notify);
    void setPlatformKey(const QString &url, const QString &platform);
    void setModuleVersion(const QString &url, const QString &version);
    void setDownloaderEnabled(const QString &url, bool enabled);
    void setUserAgentString(const QString &url, const QString &agent);
    void setUseCustomAppcast(const QString &url, bool customAppcast);
    void setUseCustomInstallProcedures(const QString &url, bool custom);
    void setMandatoryUpdate(const QString &url, bool mandatory);

private:
    UpdateRegistry();

    // Kept in step: the checker at index i serves the URL at index i.
    mutable QStringList m_urls;
    mutable QList<Updater *> m_updaters;
};
