#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QUrl>

#include <memory>

class QNetworkReply;
class QSaveFile;

// Downloads one URL into one local file, with progress, optional redirect
// following and an overwrite rule. The body goes to a save file that replaces
// the destination only once the whole body has arrived, so a failed or stopped
// download never leaves a partial file behind. The file is readable and
// writable by its owner only (0600). Registered for the documents as
// Download 1.0.
//
// After an error reported at completion `running` stays true: writing it true
// again does nothing until it has been set false (or stop() called), while
// start() starts anew.
class FileDownload : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    // Source address.
    Q_PROPERTY(QUrl url READ url WRITE setUrl NOTIFY urlChanged)
    // Whether the element counts as running; true starts a download with `url`.
    Q_PROPERTY(bool running READ running WRITE setRunning NOTIFY runningChanged)
    // Fraction received: bytes received / total, unclamped (negative when the total is unknown).
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    // Target file, a file URL or a path.
    Q_PROPERTY(QUrl destination READ destination WRITE setDestination NOTIFY destinationChanged)
    // Follow a redirect by starting again at the new address.
    Q_PROPERTY(bool followRedirects READ followRedirects WRITE setFollowRedirects NOTIFY followRedirectsChanged)
    // Allow replacing an existing destination file.
    Q_PROPERTY(bool overwrite READ overwrite WRITE setOverwrite NOTIFY overwriteChanged)

public:
    enum Error {
        ErrorUnknown = 0,
        ErrorUrl = 1,
        ErrorDestination = 2,
        ErrorNetwork = 3,
    };
    Q_ENUM(Error)

    // Redirects followed in a row before the download gives up.
    static constexpr int MaxRedirects = 50;

    explicit FileDownload(QObject *parent = nullptr);
    ~FileDownload() override;

    QUrl url() const;
    void setUrl(const QUrl &url);
    bool running() const;
    void setRunning(bool running);
    double progress() const;
    QUrl destination() const;
    void setDestination(const QUrl &destination);
    bool followRedirects() const;
    void setFollowRedirects(bool followRedirects);
    bool overwrite() const;
    void setOverwrite(bool overwrite);

    void classBegin() override;
    void componentComplete() override;

public Q_SLOTS:
    // Starts downloading `url` (which becomes the element's url) to `destination`.
    void start(const QUrl &url);
    // Starts downloading the current url.
    void start();
    // Same as setting running to false.
    void stop();

Q_SIGNALS:
    void urlChanged();
    void cancelChanged(); // kept for documents that connect to it; never emitted
    void runningChanged();
    void progressChanged();
    void destinationChanged();
    void followRedirectsChanged();
    void overwriteChanged();
    void started();
    void finished();
    void redirected(const QUrl &redirectUrl);
    // Received and total size in thousands of bytes (truncated; total 0 when unknown).
    void update(int kiloBytesReceived, int kiloBytesTotal);
    void error(int errorCode, const QString &errorString);
    void networkAccessManagerChanged(); // kept for documents that connect to it; never emitted

private Q_SLOTS:
    void onReadyRead();
    void onFinished();
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);

private:
    void startRequest(const QUrl &url);
    void onReplyDestroyed();
    QString destinationPath() const;
    void setProgress(double progress);
    void releaseReply(bool abort);
    void discardSaveFile();

    QUrl m_url;
    bool m_running = false;
    double m_progress = 0.0;
    QUrl m_destination;
    bool m_followRedirects = false;
    bool m_overwrite = false;
    // The reply belongs to the shared manager; the guard notices when the
    // manager takes it away.
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<QSaveFile> m_saveFile;
    bool m_componentComplete = false;
    int m_redirectCount = 0;
};
