#include "packagetransfer.h"

#include "packagesignature.h"
#include "updateenvironment.h"
#include "updatenetwork.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

PackageTransfer::PackageTransfer(QObject *parent)
    : QObject(parent), m_manager(UpdateEnvironment::current()->createNetworkAccessManager(this))
{
    // for queued connections and spies on failed()
    qRegisterMetaType<PackageTransfer::Failure>();
}

PackageTransfer::~PackageTransfer()
{
    detachReply();
}

void PackageTransfer::setUserAgent(const QString &agent)
{
    m_userAgent = agent;
}

void PackageTransfer::setExpectedSha256(const QString &digest)
{
    m_expectedSha256 = digest.trimmed().toLower();
}

void PackageTransfer::setSignature(
    const QString &platform, const QString &version, const QString &signature, const QString &keyId)
{
    m_platform = platform;
    m_version = version;
    m_signature = signature;
    m_signatureKey = keyId;
}

void PackageTransfer::start(const QUrl &url, const PackageFiles &files)
{
    m_files = files;
    m_redirects = 0;
    begin(url);
}

bool PackageTransfer::isRunning() const
{
    return m_reply && !m_reply->isFinished();
}

void PackageTransfer::abort()
{
    if (m_reply)
        m_reply->abort(); // finishes at once, as canceled
}

void PackageTransfer::begin(const QUrl &url)
{
    detachReply();
    m_partFile.close();
    m_hash.reset();
    m_written = 0;
    m_writeFailed = false;

    if (!PackageFiles::isSafeName(m_files.fileName)) {
        fail(Failure::Transfer, tr("Der Dateiname des Updates ist ungültig: %1").arg(m_files.fileName));
        return;
    }
    if (!UpdateNetwork::isPermitted(url)) {
        fail(Failure::Transfer,
            tr("Updates werden nur über eine sichere Verbindung (HTTPS) geladen, nicht von %1.")
                .arg(url.toDisplayString()));
        return;
    }
    if (!m_files.downloadDir.exists())
        QDir().mkpath(m_files.downloadDir.absolutePath());
    // A part file left by an earlier, interrupted download starts afresh.
    m_partFile.setFileName(m_files.partFilePath());
    if (!m_partFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(Failure::Transfer, tr("Die Datei %1 kann nicht geschrieben werden.").arg(m_files.partFilePath()));
        return;
    }

    m_reply = m_manager->get(UpdateNetwork::request(url, m_userAgent));
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (followRedirect())
            return;
        // A package sent without its size is kept all the same: it is only
        // installed when the transfer ends without error.
        saveData();
        emit progress(received, total);
    });
    connect(m_reply, &QNetworkReply::finished, this, &PackageTransfer::onFinished);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { followRedirect(); });
    emit requestStarted();
}

void PackageTransfer::detachReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    if (!reply->isFinished())
        reply->abort();
    reply->deleteLater();
}

bool PackageTransfer::followRedirect()
{
    if (!m_reply)
        return false;
    const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty())
        return false;
    const QUrl next = m_reply->url().resolved(target);
    if (m_redirects >= UpdateNetwork::kMaxRedirects) {
        fail(Failure::Transfer, tr("Der Update-Server leitet zu oft weiter."));
        return true;
    }
    if (!UpdateNetwork::isPermitted(next)) {
        fail(Failure::Transfer,
            tr("Eine Weiterleitung auf die unsichere Adresse %1 wurde abgelehnt.").arg(next.toDisplayString()));
        return true;
    }
    ++m_redirects;
    begin(next);
    return true;
}

void PackageTransfer::saveData()
{
    if (!m_reply || !m_reply->isOpen())
        return;
    const QByteArray data = m_reply->readAll();
    if (data.isEmpty())
        return;
    if (!m_partFile.isOpen() || m_partFile.write(data) != data.size()) {
        m_writeFailed = true;
        return;
    }
    m_hash.addData(data);
    m_written += data.size();
}

void PackageTransfer::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply || sender() != reply)
        return;
    if (reply->error() == QNetworkReply::NoError && followRedirect())
        return;
    saveData();
    m_partFile.close();

    if (reply->error() == QNetworkReply::OperationCanceledError) {
        fail(Failure::Canceled, QString());
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        fail(Failure::Transfer, reply->errorString());
        return;
    }
    if (m_writeFailed) {
        fail(Failure::Transfer, tr("Die Datei %1 konnte nicht geschrieben werden.").arg(m_files.partFilePath()));
        return;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (length.isValid() && (encoding.isEmpty() || encoding == "identity") && length.toLongLong() != m_written) {
        fail(Failure::Transfer, tr("Es kamen nur %1 von %2 Bytes an.").arg(m_written).arg(length.toLongLong()));
        return;
    }
    if (!checkPackage())
        return;

    const QString package = m_files.packagePath();
    QFile::remove(package);
    if (!QFile::rename(m_files.partFilePath(), package)) {
        fail(Failure::Transfer, tr("Die Datei %1 kann nicht angelegt werden.").arg(package));
        return;
    }
    reply->close();
    detachReply();
    emit finished(package);
}

bool PackageTransfer::checkPackage()
{
    const QString digest = QString::fromLatin1(m_hash.result().toHex());
    if (!m_expectedSha256.isEmpty() && digest != m_expectedSha256) {
        fail(Failure::Rejected, tr("Das heruntergeladene Paket hat nicht die Prüfsumme, die der Update-Server angibt."),
            tr("Prüfsumme falsch"));
        return false;
    }
    const PackageSignature::Verdict verdict = PackageSignature::verify(UpdateEnvironment::current()->releaseKey(),
        PackageSignature::statement(m_platform, m_version, digest), m_signature, m_signatureKey);
    if (verdict != PackageSignature::Verdict::Valid) {
        fail(Failure::Rejected, PackageSignature::refusal(verdict), tr("Signatur nicht bestätigt"));
        return false;
    }
    return true;
}

void PackageTransfer::fail(Failure failure, const QString &detail, const QString &check)
{
    detachReply();
    m_partFile.close();
    if (PackageFiles::isSafeName(m_files.fileName))
        QFile::remove(m_files.partFilePath());
    emit failed(failure, detail, check);
}
