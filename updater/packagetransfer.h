#pragma once

#include "packagefiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Downloads one update package, without any display of its own (the dialog
// shows it). The package grows in a part file and gets its name only when it
// arrived whole, when its SHA-256 digest is the one the feed gives (if it
// gives one) and when the release key signed it; anything less ends in
// failed() and leaves no file behind. Redirections are followed one by one,
// to permitted addresses only, and a transfer that stops moving fails after
// a while (UpdateNetwork).
class PackageTransfer : public QObject
{
    Q_OBJECT

public:
    // Stopped by abort(); the transfer failed; or the package arrived but a
    // check of it failed.
    enum class Failure { Canceled, Transfer, Rejected };
    Q_ENUM(Failure)

    explicit PackageTransfer(QObject *parent = nullptr);
    ~PackageTransfer() override;

    void setUserAgent(const QString &agent);
    // Lower-case hex SHA-256 the package must have; empty accepts any.
    void setExpectedSha256(const QString &digest);
    QString expectedSha256() const { return m_expectedSha256; }
    // What the feed says the package is: the signature (Base64) of the
    // release statement for platform, version and the package's digest, and
    // the id of the key it says signed it (see PackageSignature).
    void setSignature(const QString &platform, const QString &version, const QString &signature, const QString &keyId);

    // Downloads url to files.packagePath().
    void start(const QUrl &url, const PackageFiles &files);
    // True while a request is on its way.
    bool isRunning() const;

public Q_SLOTS:
    // Stops the transfer; it ends in failed(Canceled).
    void abort();

Q_SIGNALS:
    // A request went out: the first one, and each redirection's.
    void requestStarted();
    void progress(qint64 received, qint64 total);
    // The package is whole, checked and at packagePath.
    void finished(const QString &packagePath);
    // check names the check that refused a package that arrived (Rejected).
    void failed(PackageTransfer::Failure failure, const QString &detail, const QString &check);

private:
    void begin(const QUrl &url);
    void onFinished();
    bool followRedirect();
    void saveData();
    void detachReply();
    void fail(Failure failure, const QString &detail, const QString &check = QString());
    // True when the package that arrived passes its checks; else it fails.
    bool checkPackage();

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    PackageFiles m_files;
    QString m_userAgent;
    int m_redirects = 0;

    // What makes a package whole: every byte written, and its digest.
    QFile m_partFile;
    QCryptographicHash m_hash {QCryptographicHash::Sha256};
    qint64 m_written = 0;
    bool m_writeFailed = false;

    // What the feed says the package is.
    QString m_expectedSha256;
    QString m_platform;
    QString m_version;
    QString m_signature;
    QString m_signatureKey;
};
