#pragma once

#include <QObject>
#include <QString>

#include <memory>

class Downloader;
class QNetworkAccessManager;
class QNetworkReply;

// Checks one update feed: fetches the JSON document from its URL, reads the
// entry for this platform, compares its latest version with the running
// module's, asks the user and, on consent, opens a page, opens the package
// address in the browser or downloads the package with its own dialog.
// Every check ends with checkingFinished.
class Updater : public QObject
{
    Q_OBJECT

public:
    Updater();
    ~Updater() override;

    QString url() const { return m_url; }
    QString openUrl() const { return m_openUrl; }
    QString changelog() const { return m_changelog; }
    QString moduleName() const { return m_moduleName; }
    QString platformKey() const { return m_platformKey; }
    QString downloadUrl() const { return m_downloadUrl; }
    QString latestVersion() const { return m_latestVersion; }
    QString userAgentString() const { return m_userAgentString; }
    QString moduleVersion() const { return m_moduleVersion; }
    // The package's SHA-256 digest from the feed ("sha256"); may be empty.
    QString sha256() const { return m_sha256; }
    // The package's signature and the id of the key that made it, from the
    // feed ("signature", "signature-key"); see PackageSignature.
    QString signature() const { return m_signature; }
    QString signatureKey() const { return m_signatureKey; }

    bool customAppcast() const { return m_customAppcast; }
    bool notifyOnUpdate() const { return m_notifyOnUpdate; }
    bool notifyOnFinish() const { return m_notifyOnFinish; }
    bool mandatoryUpdate() const { return m_mandatoryUpdate; }
    bool updateAvailable() const { return m_updateAvailable; }
    bool downloaderEnabled() const { return m_downloaderEnabled; }
    bool useCustomInstallProcedures() const;

    Downloader *downloader() const { return m_downloader.get(); }

    // True when version x is newer than version y: dotted parts compared as
    // numbers (anything but a number counts 0); with all shared parts equal
    // the version with more parts is the newer.
    static bool compare(const QString &x, const QString &y);
    // The key of this build's entry in the feed: "osx" or "linux".
    static QString defaultPlatformKey();

Q_SIGNALS:
    void checkingFinished(const QString &url);
    void downloadFinished(const QString &url, const QString &filepath);
    void appcastDownloaded(const QString &url, const QByteArray &data);

public Q_SLOTS:
    void checkForUpdates();
    void setUrl(const QString &url);
    void setModuleName(const QString &name);
    void setNotifyOnUpdate(bool notify);
    void setNotifyOnFinish(bool notify);
    void setUserAgentString(const QString &agent);
    void setModuleVersion(const QString &version);
    void setDownloaderEnabled(bool enabled);
    void setPlatformKey(const QString &platformKey);
    void setUseCustomAppcast(bool customAppcast);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory);

private Q_SLOTS:
    void onReply(QNetworkReply *reply);
    void setUpdateAvailable(bool available);

private:
    void sendRequest();
    void failCheck(const QString &detail);
    void download();
    // Why this copy does not replace itself: the box offers the download page.
    void offerDownloadPage(const QString &headline, const QString &reason);

    QString m_url;
    QString m_userAgentString;
    bool m_customAppcast = false;
    bool m_notifyOnUpdate = true;
    bool m_notifyOnFinish = false;
    bool m_updateAvailable = false;
    bool m_downloaderEnabled = true;
    bool m_mandatoryUpdate = false;
    QString m_openUrl;
    QString m_platformKey;
    QString m_changelog;
    QString m_moduleName;
    QString m_downloadUrl;
    QString m_moduleVersion;
    QString m_latestVersion;
    QString m_sha256;
    QString m_signature;
    QString m_signatureKey;
    std::unique_ptr<Downloader> m_downloader;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    // Redirections followed since the check was asked for.
    int m_redirects = 0;
};
