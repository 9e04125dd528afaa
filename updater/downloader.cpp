#include "downloader.h"

#include "installation.h"
#include "linuxinstaller.h"
#include "packagesignature.h"
#include "ui_downloader.h"
#include "updateenvironment.h"
#include "updatenetwork.h"

#include <QDateTime>
#include <QDebug>
#include <QFileInfo>
#include <QLayout>
#include <QNetworkAccessManager>
#include <QNetworkReply>

#include <cmath>

namespace {

// Copy attempts before the installation gives up.
constexpr int kCopyAttempts = 3;
// How long one external program may run, in milliseconds.
constexpr int kProgramTimeout = 30000;

UpdateEnvironment *environment()
{
    return UpdateEnvironment::current();
}

bool onMacOs()
{
    return environment()->platformName().contains(QLatin1String("cocoa"));
}

quint32 nowInSeconds()
{
    return static_cast<quint32>(QDateTime::currentSecsSinceEpoch());
}

} // namespace

Downloader::Downloader(QWidget *parent)
    : QWidget(parent), m_ui(new Ui::Downloader),
      m_manager(UpdateEnvironment::current()->createNetworkAccessManager(this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowIcon(QIcon());
    m_ui->openButton->setEnabled(false);
    m_ui->openButton->setVisible(false);
    // Fixed to what the form needs, also when a longer text comes in: the
    // user cannot resize the dialog, and no text is cut off.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Packages wait in a directory of their own below the home directory, on
    // every platform: the installation step cleans it up afterwards.
    m_temporaryDir = QDir::homePath() + QStringLiteral("/.vendrixtemp");
    m_downloadDir.setPath(m_temporaryDir);

    connect(m_ui->stopButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
    connect(m_ui->openButton, &QPushButton::clicked, this, &Downloader::installUpdate);
}

Downloader::~Downloader()
{
    detachReply();
    delete m_ui;
}

QString Downloader::downloadDir() const
{
    return m_downloadDir.absolutePath();
}

void Downloader::setDownloadDir(const QString &downloadDir)
{
    if (m_downloadDir.absolutePath() != downloadDir)
        m_downloadDir.setPath(downloadDir);
}

void Downloader::setFileNameNoExt(const QString &name)
{
    m_fileNameNoExt = name;
    m_fileNameNoExt.replace(QStringLiteral(".tar.gz"), QStringLiteral("/"));
}

void Downloader::setExpectedSha256(const QString &digest)
{
    m_expectedSha256 = digest.trimmed().toLower();
}

void Downloader::setSignature(
    const QString &platform, const QString &version, const QString &signature, const QString &keyId)
{
    m_platform = platform;
    m_version = version;
    m_signature = signature;
    m_signatureKey = keyId;
}

QString Downloader::packagePath() const
{
    return m_downloadDir.filePath(m_fileName);
}

QString Downloader::partFilePath() const
{
    return m_downloadDir.filePath(m_fileName + QStringLiteral(".part"));
}

QString Downloader::unpackedFolder() const
{
    return m_downloadDir.filePath(m_fileNameNoExt);
}

QString Downloader::installTarget()
{
    return QDir::homePath() + QStringLiteral("/Applications/Vendrix.app/Contents/");
}

double Downloader::round(float x)
{
    return std::round(x * 100.0f) / 100.0;
}

QString Downloader::sizeText(qint64 bytes, bool total)
{
    if (bytes < 1024)
        return tr("%1 bytes").arg(bytes);
    const bool megabytes = bytes >= 1048576;
    const qint64 whole = megabytes ? bytes / 1048576 : bytes / 1024;
    const QString number = total ? QString::number(round(static_cast<float>(whole)), 'g', 6) : QString::number(whole);
    return (megabytes ? tr("%1 MB") : tr("%1 KB")).arg(number);
}

QString Downloader::timeRemainingText(qint64 received, qint64 total, qint64 elapsed)
{
    if (elapsed <= 0)
        return QString();
    const qint64 speed = received / elapsed;
    // Fewer bytes than seconds so far: no estimate worth the name.
    if (speed <= 0)
        return tr("Unbekannt");
    const qint64 remaining = (total - received) / speed;
    if (remaining >= 7201) {
        const qint64 hours = static_cast<qint64>(remaining / 3600.0 + 0.5);
        return tr("etwa %1 Stunden").arg(hours);
    }
    if (remaining >= 61) {
        const qint64 minutes = static_cast<qint64>(remaining / 60.0 + 0.5);
        return minutes >= 2 ? tr("%1 Minuten").arg(minutes) : tr("1 Minute");
    }
    return remaining >= 2 ? tr("%1 Sekunden").arg(remaining) : tr("1 Sekunde");
}

bool Downloader::isSafeName(const QString &name)
{
    const QString decoded = QUrl::fromPercentEncoding(name.toUtf8());
    for (const QString &candidate : {name, decoded}) {
        if (candidate.isEmpty() || candidate == QLatin1String(".") || candidate == QLatin1String("..")
            || candidate.contains(QLatin1Char('/')) || candidate.contains(QLatin1Char('\\'))
            || candidate.contains(QChar(0)))
            return false;
    }
    return true;
}

void Downloader::setUrlId(const QString &url)
{
    m_urlId = url;
}

void Downloader::setFileName(const QString &file)
{
    m_fileName = file;
    setFileNameNoExt(m_fileName);
    if (m_fileName.isEmpty())
        m_fileName = QStringLiteral("Update.bin");
}

void Downloader::setUserAgentString(const QString &agent)
{
    m_userAgentString = agent;
}

void Downloader::setUseCustomInstallProcedures(bool custom)
{
    m_useCustomInstallProcedures = custom;
}

void Downloader::setMandatoryUpdate(bool mandatory_update)
{
    m_mandatoryUpdate = mandatory_update;
}

void Downloader::startDownload(const QUrl &url)
{
    m_redirects = 0;
    begin(url);
}

void Downloader::begin(const QUrl &url)
{
    m_ui->progressBar->setValue(0);
    m_ui->stopButton->setText(tr("Stop"));
    m_ui->downloadLabel->setText(tr("Updates werden heruntergeladen"));
    m_ui->timeLabel->setText(tr("Verbleibende Zeit") + QStringLiteral(": ") + tr("Unbekannt"));

    detachReply();
    m_partFile.close();
    m_hash.reset();
    m_written = 0;
    m_writeFailed = false;

    if (!isSafeName(m_fileName)) {
        failDownload(Failure::Transfer, tr("Der Dateiname des Updates ist ungültig: %1").arg(m_fileName));
        return;
    }
    if (!UpdateNetwork::isPermitted(url)) {
        failDownload(Failure::Transfer,
            tr("Updates werden nur über eine sichere Verbindung (HTTPS) geladen, nicht von %1.")
                .arg(url.toDisplayString()));
        return;
    }
    if (!m_downloadDir.exists())
        QDir().mkpath(m_downloadDir.absolutePath());
    // A part file left by an earlier, interrupted download starts afresh.
    m_partFile.setFileName(partFilePath());
    if (!m_partFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        failDownload(Failure::Transfer, tr("Die Datei %1 kann nicht geschrieben werden.").arg(partFilePath()));
        return;
    }

    m_reply = m_manager->get(UpdateNetwork::request(url, m_userAgentString));
    m_startTime = nowInSeconds();
    connect(m_reply, &QNetworkReply::downloadProgress, this, &Downloader::updateProgress);
    connect(m_reply, &QNetworkReply::finished, this, &Downloader::finished);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &Downloader::checkRedirect);
    showNormal();
}

void Downloader::detachReply()
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

void Downloader::checkRedirect()
{
    followRedirect();
}

bool Downloader::followRedirect()
{
    if (!m_reply)
        return false;
    const QUrl target = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty())
        return false;
    const QUrl next = m_reply->url().resolved(target);
    if (m_redirects >= UpdateNetwork::kMaxRedirects) {
        failDownload(Failure::Transfer, tr("Der Update-Server leitet zu oft weiter."));
        return true;
    }
    if (!UpdateNetwork::isPermitted(next)) {
        failDownload(Failure::Transfer,
            tr("Eine Weiterleitung auf die unsichere Adresse %1 wurde abgelehnt.").arg(next.toDisplayString()));
        return true;
    }
    ++m_redirects;
    begin(next);
    return true;
}

void Downloader::updateProgress(qint64 received, qint64 total)
{
    m_ui->progressBar->setMinimum(0);
    if (total > 0) {
        m_ui->progressBar->setMaximum(100);
        m_ui->progressBar->setValue(static_cast<int>((received * 100) / total));
        calculateSizes(received, total);
        calculateTimeRemaining(received, total);
        saveFile(received, total);
    } else {
        m_ui->progressBar->setMaximum(0);
        m_ui->progressBar->setValue(-1);
        m_ui->downloadLabel->setText(tr("Downloading Updates") + QStringLiteral("..."));
        m_ui->timeLabel->setText(QStringLiteral("%1: %2").arg(tr("Verbleibende Zeit"), tr("Unbekannt")));
        // A package sent without its size is kept all the same: it is only
        // installed when the transfer ends without error.
        saveFile(received, total);
    }
}

void Downloader::calculateSizes(qint64 received, qint64 total)
{
    m_ui->downloadLabel->setText(tr("Downloading updates") + QStringLiteral(" (") + sizeText(received, false)
        + QStringLiteral(" ") + tr("of") + QStringLiteral(" ") + sizeText(total, true) + QStringLiteral(")"));
}

void Downloader::calculateTimeRemaining(qint64 received, qint64 total)
{
    const quint32 elapsed = nowInSeconds() - m_startTime;
    const QString text = timeRemainingText(received, total, elapsed);
    if (text.isEmpty())
        return;
    m_ui->timeLabel->setText(tr("Verbleibende Zeit") + QStringLiteral(": ") + text);
}

void Downloader::saveFile(qint64 received, qint64 total)
{
    Q_UNUSED(received)
    Q_UNUSED(total)
    if (!m_reply || followRedirect() || !m_reply->isOpen())
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

void Downloader::finished()
{
    QNetworkReply *reply = m_reply;
    if (!reply || sender() != reply)
        return;
    if (reply->error() == QNetworkReply::NoError && followRedirect())
        return;
    saveFile(0, 0);
    m_partFile.close();

    if (reply->error() == QNetworkReply::OperationCanceledError) {
        failDownload(Failure::Canceled, QString());
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        failDownload(Failure::Transfer, reply->errorString());
        return;
    }
    if (m_writeFailed) {
        failDownload(Failure::Transfer, tr("Die Datei %1 konnte nicht geschrieben werden.").arg(partFilePath()));
        return;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply->rawHeader("Content-Encoding").trimmed().toLower();
    if (length.isValid() && (encoding.isEmpty() || encoding == "identity") && length.toLongLong() != m_written) {
        failDownload(Failure::Transfer, tr("Es kamen nur %1 von %2 Bytes an.").arg(m_written).arg(length.toLongLong()));
        return;
    }
    const QString digest = QString::fromLatin1(m_hash.result().toHex());
    if (!m_expectedSha256.isEmpty() && digest != m_expectedSha256) {
        failDownload(Failure::Rejected,
            tr("Das heruntergeladene Paket hat nicht die Prüfsumme, die der Update-Server angibt."),
            tr("Prüfsumme falsch"));
        return;
    }
    const PackageSignature::Verdict verdict = PackageSignature::verify(environment()->releaseKey(),
        PackageSignature::statement(m_platform, m_version, digest), m_signature, m_signatureKey);
    if (verdict != PackageSignature::Verdict::Valid) {
        failDownload(Failure::Rejected, PackageSignature::refusal(verdict), tr("Signatur nicht bestätigt"));
        return;
    }

    const QString package = packagePath();
    QFile::remove(package);
    if (!QFile::rename(partFilePath(), package)) {
        failDownload(Failure::Transfer, tr("Die Datei %1 kann nicht angelegt werden.").arg(package));
        return;
    }
    emit downloadFinished(m_urlId, package);
    reply->close();
    detachReply();
    m_declined = false;
    installUpdate();
    if (!m_declined)
        hide();
}

void Downloader::failDownload(Failure failure, const QString &detail, const QString &check)
{
    detachReply();
    m_partFile.close();
    if (isSafeName(m_fileName))
        QFile::remove(partFilePath());

    const QString headline = failure == Failure::Canceled ? tr("Download abgebrochen")
        : failure == Failure::Rejected                    ? tr("Update abgelehnt")
                                                          : tr("Download fehlgeschlagen");
    // A package that arrived whole keeps its full bar; the label says which
    // check refused it.
    m_ui->downloadLabel->setText(check.isEmpty() ? headline : headline + QStringLiteral(": ") + check);
    if (failure != Failure::Rejected) {
        m_ui->progressBar->setRange(0, 100);
        m_ui->progressBar->setValue(0);
    }
    m_ui->timeLabel->setText(tr("Das Update wird nicht installiert."));
    m_ui->stopButton->setText(tr("Schließen"));

    MessageBoxRequest box;
    box.icon = failure == Failure::Canceled ? QMessageBox::Information : QMessageBox::Critical;
    box.title = tr("Updater");
    box.text = headline;
    box.informativeText = tr("Das Update wird nicht installiert.");
    if (!detail.isEmpty())
        box.informativeText += QLatin1Char('\n') + detail;
    box.buttons = QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    environment()->showMessage(box);
    hide();
}

void Downloader::cancelDownload()
{
    if (!m_reply || m_reply->isFinished()) {
        if (m_mandatoryUpdate)
            environment()->requestQuit();
        hide();
        return;
    }
    MessageBoxRequest box;
    box.icon = QMessageBox::Question;
    box.title = tr("Updater");
    box.text = m_mandatoryUpdate ? tr("Sind Sie sicher, dass Sie den Download abbrechen wollen? Dies ist ein "
                                      "notwendiges Update, wenn Sie die Anwendung jetzt beenden, wird sie geschlossen.")
                                 : tr("Sind Sie sicher, dass Sie den Download abbrechen wollen?");
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.parent = this;
    if (environment()->showMessage(box) != QMessageBox::Yes)
        return;
    hide();
    if (m_reply)
        m_reply->abort();
    if (m_mandatoryUpdate)
        environment()->requestQuit();
}

// ------------------------------------------------------------- installation

void Downloader::installUpdate()
{
    if (m_useCustomInstallProcedures)
        return;
    m_ui->stopButton->setText(tr("Schließen"));
    m_ui->downloadLabel->setText(tr("Download abgeschlossen!"));
    m_ui->timeLabel->setText(nextStepText());

    MessageBoxRequest box;
    box.icon = QMessageBox::Question;
    box.buttons = QMessageBox::Ok | QMessageBox::Cancel;
    box.defaultButton = QMessageBox::Ok;
    box.informativeText = tr("Klicken Sie auf \"OK\", um mit der Installation des Updates zu beginnen.");
    const QString title = m_mandatoryUpdate
        ? tr("Um das Update zu installieren, müssen Sie die Anwendung möglicherweise beenden. Dies ist eine "
             "notwendige Aktualisierung, wenn Sie die Anwendung jetzt beenden, wird sie geschlossen")
        : tr("Damit die Update Änderungen übernommen werden starten Sie nach dem Update die Anwendung neu");
    box.text = QStringLiteral("<h3>") + title + QStringLiteral("</h3>");

    if (environment()->showMessage(box) == QMessageBox::Ok) {
        m_declined = false;
        if (!m_useCustomInstallProcedures)
            openDownload();
        hide();
        return;
    }
    m_declined = true;
    if (m_mandatoryUpdate)
        environment()->requestQuit();
    m_ui->openButton->setEnabled(true);
    m_ui->openButton->setVisible(true);
    m_ui->timeLabel->setText(tr("Klicken Sie auf die Schaltfläche \"Öffnen\", um die Aktualisierung zu übernehmen."));
}

void Downloader::openDownload()
{
    if (m_fileName.isEmpty()) {
        MessageBoxRequest box;
        box.icon = QMessageBox::Critical;
        box.title = tr("Error");
        box.text = tr("Kann das heruntergeladene Update nicht finden!");
        box.buttons = QMessageBox::Close;
        box.parent = this;
        environment()->showMessage(box);
        return;
    }
    if (!packageNamesAreSafe())
        return;
    if (!onMacOs()) {
        installOnLinux();
        return;
    }
    environment()->openUrl(QUrl::fromLocalFile(packagePath()));
    m_copyAttempts = 0;
    copyContents();
}

bool Downloader::packageNamesAreSafe()
{
    // The folder name ends in the "/" that replaced ".tar.gz".
    QString folder = m_fileNameNoExt;
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    bool safe = isSafeName(m_fileName) && (!onMacOs() || isSafeName(folder));
    if (safe && onMacOs()) {
        const QString temporary = QFileInfo(m_temporaryDir).canonicalFilePath();
        const QString package = QFileInfo(packagePath()).canonicalFilePath();
        safe = !temporary.isEmpty() && package.startsWith(temporary + QLatin1Char('/'));
    }
    if (!safe)
        failInstallation(tr("Der Name des heruntergeladenen Updates ist ungültig: %1").arg(m_fileName));
    return safe;
}

void Downloader::copyContents()
{
    shell_copy(unpackedFolder(), installTarget());
}

void Downloader::shell_copy(const QString &source, const QString &target)
{
    ++m_copyAttempts;
    const int exitCode =
        environment()->runProgram(QStringLiteral("cp"), {QStringLiteral("-r"), source, target}, kProgramTimeout);
    isCopyFinished(exitCode);
}

void Downloader::shell_remove(const QString &path)
{
    environment()->runProgram(QStringLiteral("rm"), {QStringLiteral("-r"), path}, kProgramTimeout);
}

void Downloader::delay(int seconds)
{
    environment()->pause(seconds);
}

void Downloader::isCopyFinished(int exitCode)
{
    if (exitCode == 1) {
        // Typically the desktop has not finished unpacking yet.
        if (m_copyAttempts < kCopyAttempts) {
            delay(2);
            copyContents();
        } else {
            failInstallation(
                tr("Das Update konnte nach %1 Versuchen nicht in die Anwendung kopiert werden.").arg(kCopyAttempts));
        }
        return;
    }
    if (exitCode != 0) {
        failInstallation(tr("Das Update konnte nicht in die Anwendung kopiert werden."));
        return;
    }
    if (!onMacOs())
        return;
    removeInTemporaryDir(packagePath(), false);
    delay(2);
    removeInTemporaryDir(unpackedFolder(), false);
    delay(2);
    removeInTemporaryDir(partFilePath(), false);
    delay(2);
    removeInTemporaryDir(m_temporaryDir, true);
}

void Downloader::removeInTemporaryDir(const QString &path, bool isTemporaryDir)
{
    const QString temporary = QFileInfo(m_temporaryDir).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (temporary.isEmpty() || canonical.isEmpty())
        return; // gone already, or a link to nowhere
    const bool inside = isTemporaryDir ? canonical == temporary : canonical.startsWith(temporary + QLatin1Char('/'));
    if (!inside) {
        qWarning() << "Updater: not removing" << canonical << "outside of" << temporary;
        return;
    }
    shell_remove(canonical);
}

QString Downloader::nextStepText() const
{
    // macOS: the desktop unpacks the package before it is copied.
    if (onMacOs())
        return tr("Das Installationsprogramm wird separat geöffnet") + QStringLiteral("...");
    const Installation installation = Installation::detect(environment()->applicationDirPath());
    if (!installation.updatableInPlace)
        return tr("Diese Kopie von Vendrix kann das Update nicht selbst installieren.");
    return tr("Die neue Version ersetzt die Installation in %1; die bisherige bleibt als %2 erhalten.")
        .arg(installation.root, QFileInfo(installation.root).fileName() + QStringLiteral(".previous"));
}

void Downloader::installOnLinux()
{
    const Installation installation = Installation::detect(environment()->applicationDirPath());
    const Installation::Obstacle obstacle = Installation::obstacle(environment());
    if (obstacle != Installation::Obstacle::None) {
        failInstallation(Installation::explain(obstacle, environment()));
        return;
    }
    LinuxInstaller installer(installation.root);
    const bool installed = installer.install(packagePath());
    QFile::remove(packagePath());
    QDir().rmdir(m_temporaryDir); // only when nothing else is left in it
    if (!installed) {
        failInstallation(installer.error() + QLatin1Char('\n') + tr("Die bisherige Version bleibt installiert."));
        return;
    }
    MessageBoxRequest box;
    box.icon = QMessageBox::Information;
    box.title = tr("Updater");
    box.text = tr("Update installiert");
    box.informativeText = tr("Starten Sie Vendrix neu, um die neue Version zu verwenden.");
    box.buttons = QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    environment()->showMessage(box);
}

void Downloader::failInstallation(const QString &detail)
{
    m_ui->downloadLabel->setText(tr("Installation fehlgeschlagen"));
    m_ui->timeLabel->setText(tr("Das Update wurde nicht installiert."));
    MessageBoxRequest box;
    box.icon = QMessageBox::Critical;
    box.title = tr("Updater");
    box.text = tr("Installation fehlgeschlagen");
    box.informativeText = detail;
    box.buttons = QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    environment()->showMessage(box);
}
