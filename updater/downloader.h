#pragma once

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QUrl>
#include <QWidget>

class QNetworkAccessManager;
class QNetworkReply;

namespace Ui {
class Downloader;
}

// The dialog that downloads an update package with a progress bar, the sizes
// and the time left, and then installs it. The package is written to a part
// file that is renamed only when it arrived whole (and, when the feed gave
// one, with the expected SHA-256 digest) and signed with the release key;
// anything less is reported and removed. Installation: on macOS the package is opened by the desktop and
// its unpacked folder copied into the bundle in ~/Applications; on Linux an
// unpacked installation owned by the user is replaced by the package's tree.
class Downloader : public QWidget
{
    Q_OBJECT

public:
    explicit Downloader(QWidget *parent = nullptr);
    ~Downloader() override;

    bool useCustomInstallProcedures() const { return m_useCustomInstallProcedures; }
    QString fileName() const { return m_fileName; }
    QString fileNameNoExt() const { return m_fileNameNoExt; }
    // The download directory's absolute path.
    QString downloadDir() const;
    void setDownloadDir(const QString &downloadDir);
    // Stores name as package folder name, each ".tar.gz" replaced by "/".
    void setFileNameNoExt(const QString &name);
    // Lower-case hex SHA-256 the package must have; empty accepts any.
    void setExpectedSha256(const QString &digest);
    QString expectedSha256() const { return m_expectedSha256; }
    // What the feed says the package is: the signature (Base64) of the
    // release statement for platform, version and the package's digest, and
    // the id of the key it says signed it. Only a package whose signature
    // the release key confirms is kept.
    void setSignature(const QString &platform, const QString &version, const QString &signature, const QString &keyId);

    // Paths of the installation step.
    QString packagePath() const;
    QString partFilePath() const;
    QString unpackedFolder() const;
    QString temporaryDir() const { return m_temporaryDir; }
    static QString installTarget();

    // x in single precision, to two decimals (halves away from zero).
    static double round(float x);
    // "N bytes", "N KB" or "N MB"; the total goes through round().
    static QString sizeText(qint64 bytes, bool total);
    // The words after "Verbleibende Zeit: " for a transfer that has run for
    // elapsed seconds; empty when elapsed is 0 (no estimate yet).
    static QString timeRemainingText(qint64 received, qint64 total, qint64 elapsed);
    // A file or folder name from a feed that is safe to join to the download
    // directory: not empty, ".", "..", and without a path separator, also
    // once percent-decoded.
    static bool isSafeName(const QString &name);

    // The installation step, in the order it runs.
    void copyContents();
    void shell_copy(const QString &source, const QString &target);
    void shell_remove(const QString &path);
    void delay(int seconds);

Q_SIGNALS:
    void downloadFinished(const QString &url, const QString &filepath);

public Q_SLOTS:
    void setUrlId(const QString &url);
    void startDownload(const QUrl &url);
    void setFileName(const QString &file);
    void setUserAgentString(const QString &agent);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory_update);
    void isCopyFinished(int exitCode);

private Q_SLOTS:
    void finished();
    void openDownload();
    void installUpdate();
    void cancelDownload();
    void saveFile(qint64 received, qint64 total);
    void calculateSizes(qint64 received, qint64 total);
    void updateProgress(qint64 received, qint64 total);
    void calculateTimeRemaining(qint64 received, qint64 total);
    void checkRedirect();

private:
    // Canceled by the user; the transfer failed; or the package arrived but
    // a check of it failed (check names which).
    enum class Failure { Canceled, Transfer, Rejected };

    void begin(const QUrl &url);
    bool followRedirect();
    void detachReply();
    void failDownload(Failure failure, const QString &detail, const QString &check = QString());
    void failInstallation(const QString &detail);
    bool packageNamesAreSafe();
    void installOnLinux();
    // What the installation will do, shown while the user is asked.
    QString nextStepText() const;
    void removeInTemporaryDir(const QString &path, bool isTemporaryDir);

    QString m_urlId;
    quint32 m_startTime = 0;
    QDir m_downloadDir;
    QString m_fileName;
    QString m_fileNameNoExt;
    Ui::Downloader *m_ui = nullptr;
    QPointer<QNetworkReply> m_reply;
    QString m_userAgentString;
    QString m_temporaryDir;
    bool m_useCustomInstallProcedures = false;
    bool m_mandatoryUpdate = false;
    QNetworkAccessManager *m_manager = nullptr;

    // What makes a package whole: every byte written, and its digest.
    QString m_expectedSha256;
    QString m_platform;
    QString m_version;
    QString m_signature;
    QString m_signatureKey;
    QFile m_partFile;
    QCryptographicHash m_hash {QCryptographicHash::Sha256};
    qint64 m_written = 0;
    bool m_writeFailed = false;
    int m_redirects = 0;

    int m_copyAttempts = 0;
    // The user answered the installation question with anything but OK.
    bool m_declined = false;
};
