#pragma once

#include "installationstep.h"
#include "packagefiles.h"
#include "packagetransfer.h"

#include <QUrl>
#include <QWidget>

namespace Ui {
class Downloader;
}

// The dialog of an update download: it shows the transfer (PackageTransfer)
// with a progress bar, the sizes and the time left, says how it ended, asks
// whether to install and hands the package to the installation step
// (InstallationStep). It does neither itself.
class Downloader : public QWidget
{
    Q_OBJECT

public:
    explicit Downloader(QWidget *parent = nullptr);
    ~Downloader() override;

    bool useCustomInstallProcedures() const { return m_useCustomInstallProcedures; }
    QString fileName() const { return m_files.fileName; }
    QString fileNameNoExt() const { return m_files.fileNameNoExt; }
    // The download directory's absolute path.
    QString downloadDir() const;
    void setDownloadDir(const QString &downloadDir);
    // Stores name as package folder name, each ".tar.gz" replaced by "/".
    void setFileNameNoExt(const QString &name);
    // See PackageTransfer.
    void setExpectedSha256(const QString &digest);
    QString expectedSha256() const { return m_transfer.expectedSha256(); }
    void setSignature(const QString &platform, const QString &version, const QString &signature, const QString &keyId);

    // Where the package lies, and what the installation step uses.
    QString packagePath() const { return m_files.packagePath(); }
    QString partFilePath() const { return m_files.partFilePath(); }
    QString unpackedFolder() const { return m_files.unpackedFolder(); }
    QString temporaryDir() const { return m_files.temporaryDir; }
    static QString installTarget() { return InstallationStep::installTarget(); }

    // x in single precision, to two decimals (halves away from zero).
    static double round(float x);
    // "N bytes", "N KB" or "N MB"; the total goes through round().
    static QString sizeText(qint64 bytes, bool total);
    // The words after "Verbleibende Zeit: " for a transfer that has run for
    // elapsed seconds; empty when elapsed is 0 (no estimate yet).
    static QString timeRemainingText(qint64 received, qint64 total, qint64 elapsed);

Q_SIGNALS:
    void downloadFinished(const QString &url, const QString &filepath);

public Q_SLOTS:
    void setUrlId(const QString &url);
    void startDownload(const QUrl &url);
    void setFileName(const QString &file);
    void setUserAgentString(const QString &agent);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory);

private Q_SLOTS:
    void installUpdate();
    void cancelDownload();
    void showRequestStarted();
    void showProgress(qint64 received, qint64 total);
    void showFinished(const QString &packagePath);
    void showFailure(PackageTransfer::Failure failure, const QString &detail, const QString &check);
    void showInstallationFailure();

private:
    void showStart();
    void showSizes(qint64 received, qint64 total);
    void showTimeRemaining(qint64 received, qint64 total);

    Ui::Downloader *m_ui = nullptr;
    PackageFiles m_files;
    PackageTransfer m_transfer;
    InstallationStep m_installation;
    QString m_urlId;
    // When the current request went out, in seconds since the epoch.
    quint32 m_startTime = 0;
    bool m_useCustomInstallProcedures = false;
    bool m_mandatoryUpdate = false;
    // The user answered the installation question with anything but OK.
    bool m_declined = false;
};
