#include "filedownload.h"

#include "downloadmanager.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>

FileDownload::FileDownload(QObject *parent) : QObject(parent)
{
}

FileDownload::~FileDownload()
{
    releaseReply(true);
    discardSaveFile();
}

QUrl FileDownload::url() const
{
    return m_url;
}

void FileDownload::setUrl(const QUrl &url)
{
    if (url == m_url)
        return;
    m_url = url;
    emit urlChanged();
}

bool FileDownload::running() const
{
    return m_running;
}

void FileDownload::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    if (running) {
        start();
    } else {
        releaseReply(true);
        discardSaveFile();
    }
    emit runningChanged();
}

double FileDownload::progress() const
{
    return m_progress;
}

QUrl FileDownload::destination() const
{
    return m_destination;
}

void FileDownload::setDestination(const QUrl &destination)
{
    if (destination == m_destination)
        return;
    m_destination = destination;
    if (m_saveFile && !m_running)
        m_saveFile->setFileName(destinationPath());
    emit destinationChanged();
}

bool FileDownload::followRedirects() const
{
    return m_followRedirects;
}

void FileDownload::setFollowRedirects(bool followRedirects)
{
    if (followRedirects == m_followRedirects)
        return;
    m_followRedirects = followRedirects;
    emit followRedirectsChanged();
}

bool FileDownload::overwrite() const
{
    return m_overwrite;
}

void FileDownload::setOverwrite(bool overwrite)
{
    if (overwrite == m_overwrite)
        return;
    m_overwrite = overwrite;
    emit overwriteChanged();
}

void FileDownload::classBegin()
{
}

void FileDownload::componentComplete()
{
    m_componentComplete = true;
    // a document that declares running: true starts once it is fully built
    if (m_running)
        start();
}

void FileDownload::start(const QUrl &url)
{
    m_redirectCount = 0;
    startRequest(url);
}

void FileDownload::start()
{
    start(m_url);
}

void FileDownload::stop()
{
    setRunning(false);
}

void FileDownload::startRequest(const QUrl &url)
{
    if (!m_componentComplete)
        return;
    if (url.isEmpty()) {
        emit error(ErrorUrl, QStringLiteral("Url is empty"));
        return;
    }
    if (m_destination.isEmpty()) {
        emit error(ErrorDestination, QStringLiteral("Destination is empty"));
        return;
    }
    setUrl(url);

    const QString path = destinationPath();
    if (QFileInfo::exists(path) && !m_overwrite) {
        emit error(ErrorDestination, QStringLiteral("Overwriting not allowed for destination file \"%1\"").arg(path));
        return;
    }

    discardSaveFile();
    m_saveFile = std::make_unique<QSaveFile>(path);
    // Readable by the user only (the documents downloaded are invoices): the
    // temporary file is restricted before a byte is written into it, and the
    // commit renames it into place, so the contents never reach a file that
    // others may read.
    if (!m_saveFile->open(QIODevice::WriteOnly)
        || !m_saveFile->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString text = m_saveFile->errorString();
        m_saveFile.reset();
        emit error(ErrorDestination, text);
        return;
    }

    releaseReply(false);
    QNetworkRequest request(m_url);
    // redirects come back as finished replies and are handled in onFinished
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_reply = DownloadManager::instance()->networkAccessManager()->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &FileDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &FileDownload::onDownloadProgress);
    connect(m_reply, &QNetworkReply::finished, this, &FileDownload::onFinished);
    connect(m_reply, &QObject::destroyed, this, &FileDownload::onReplyDestroyed);

    setProgress(0.0);
    if (!m_running) {
        m_running = true;
        emit runningChanged();
    }
    emit started();
}

void FileDownload::onReadyRead()
{
    // A failed write is remembered by the save file and makes the final commit fail.
    if (m_reply && m_saveFile)
        m_saveFile->write(m_reply->readAll());
}

void FileDownload::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (!m_running)
        return;
    emit update(int(bytesReceived / 1000), int(bytesTotal / 1000));
    setProgress(double(bytesReceived) / double(bytesTotal));
}

void FileDownload::onFinished()
{
    // a stopped download never commits
    if (!m_running && m_saveFile)
        m_saveFile->cancelWriting();

    QNetworkReply *reply = m_reply;
    if (!reply) {
        discardSaveFile();
        emit error(ErrorNetwork, QStringLiteral("Network reply was deleted"));
        return;
    }

    // Every branch below releases what it no longer needs before it emits, so
    // that a handler may start the element again without losing the new download.
    if (reply->error() != QNetworkReply::NoError) {
        const QString text = reply->errorString();
        releaseReply(false);
        discardSaveFile();
        emit error(ErrorNetwork, text);
        return;
    }

    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (!target.isEmpty()) {
        const QUrl next = m_url.resolved(target);
        releaseReply(false);
        discardSaveFile();
        QPointer<FileDownload> guard(this);
        emit redirected(next);
        // the handler may have stopped, restarted or deleted the element
        if (!guard || m_reply || !m_running)
            return;
        if (!m_followRedirects) {
            emit error(ErrorNetwork, QStringLiteral("Re-directs not allowed"));
        } else if (m_redirectCount >= MaxRedirects) {
            emit error(ErrorNetwork, QStringLiteral("Too many redirects"));
        } else {
            ++m_redirectCount;
            startRequest(next);
        }
        return;
    }

    if (m_saveFile && reply->bytesAvailable() > 0)
        m_saveFile->write(reply->readAll());
    const bool committed = m_saveFile && m_saveFile->commit();
    releaseReply(false);
    discardSaveFile();
    if (!committed) {
        emit error(ErrorDestination, QStringLiteral("Error while writing \"%1\"").arg(destinationPath()));
        return;
    }
    setProgress(1.0);
    if (m_running) {
        m_running = false;
        emit runningChanged();
    }
    emit finished();
}

void FileDownload::onReplyDestroyed()
{
    // The shared manager went away and took the request with it; without this
    // the element would wait for a completion that never comes.
    if (!m_running && m_saveFile)
        m_saveFile->cancelWriting();
    discardSaveFile();
    emit error(ErrorNetwork, QStringLiteral("Network reply was deleted"));
}

QString FileDownload::destinationPath() const
{
    return m_destination.toDisplayString(QUrl::PreferLocalFile);
}

void FileDownload::setProgress(double progress)
{
    if (progress == m_progress)
        return;
    m_progress = progress;
    emit progressChanged();
}

void FileDownload::releaseReply(bool abort)
{
    QNetworkReply *reply = m_reply.data();
    m_reply.clear();
    if (!reply)
        return;
    // Disconnected before the abort: a deliberate stop is not reported as a
    // network error, and no completion runs for a reply the element gave up.
    disconnect(reply, nullptr, this, nullptr);
    if (abort)
        reply->abort();
    reply->deleteLater();
}

void FileDownload::discardSaveFile()
{
    if (!m_saveFile)
        return;
    m_saveFile->cancelWriting();
    m_saveFile.reset(); // an uncommitted save file removes its temporary file
}
