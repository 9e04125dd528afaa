#include "downloader.h"

#include "ui_downloader.h"
#include "updateenvironment.h"

#include <QDateTime>
#include <QLayout>

#include <cmath>

namespace {

UpdateEnvironment *environment()
{
    return UpdateEnvironment::current();
}

quint32 nowInSeconds()
{
    return static_cast<quint32>(QDateTime::currentSecsSinceEpoch());
}

} // namespace

Downloader::Downloader(QWidget *parent) : QWidget(parent), m_ui(new Ui::Downloader), m_installation(this)
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setWindowIcon(QIcon());
    m_ui->openButton->setEnabled(false);
    m_ui->openButton->setVisible(false);
    // Fixed to what the form needs, also when a longer text comes in: the
    // user cannot resize the dialog, and no text is cut off.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ui->stopButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
    connect(m_ui->openButton, &QPushButton::clicked, this, &Downloader::installUpdate);
    connect(&m_transfer, &PackageTransfer::requestStarted, this, &Downloader::showRequestStarted);
    connect(&m_transfer, &PackageTransfer::progress, this, &Downloader::showProgress);
    connect(&m_transfer, &PackageTransfer::finished, this, &Downloader::showFinished);
    connect(&m_transfer, &PackageTransfer::failed, this, &Downloader::showFailure);
    connect(&m_installation, &InstallationStep::failed, this, &Downloader::showInstallationFailure);
}

Downloader::~Downloader()
{
    delete m_ui;
}

QString Downloader::downloadDir() const
{
    return m_files.downloadDir.absolutePath();
}

void Downloader::setDownloadDir(const QString &downloadDir)
{
    if (m_files.downloadDir.absolutePath() != downloadDir)
        m_files.downloadDir.setPath(downloadDir);
}

void Downloader::setFileNameNoExt(const QString &name)
{
    m_files.setFileNameNoExt(name);
}

void Downloader::setExpectedSha256(const QString &digest)
{
    m_transfer.setExpectedSha256(digest);
}

void Downloader::setSignature(
    const QString &platform, const QString &version, const QString &signature, const QString &keyId)
{
    m_transfer.setSignature(platform, version, signature, keyId);
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

void Downloader::setUrlId(const QString &url)
{
    m_urlId = url;
}

void Downloader::setFileName(const QString &file)
{
    m_files.setFileName(file);
}

void Downloader::setUserAgentString(const QString &agent)
{
    m_transfer.setUserAgent(agent);
}

void Downloader::setUseCustomInstallProcedures(bool custom)
{
    m_useCustomInstallProcedures = custom;
}

void Downloader::setMandatoryUpdate(bool mandatory)
{
    m_mandatoryUpdate = mandatory;
}

void Downloader::startDownload(const QUrl &url)
{
    showStart();
    m_transfer.start(url, m_files);
}

// ------------------------------------------------------------- the transfer

void Downloader::showStart()
{
    m_ui->progressBar->setValue(0);
    m_ui->stopButton->setText(tr("Stop"));
    m_ui->downloadLabel->setText(tr("Updates werden heruntergeladen"));
    m_ui->timeLabel->setText(tr("Verbleibende Zeit") + QStringLiteral(": ") + tr("Unbekannt"));
}

void Downloader::showRequestStarted()
{
    // a redirection starts over, with the time left unknown again
    showStart();
    m_startTime = nowInSeconds();
    showNormal();
}

void Downloader::showProgress(qint64 received, qint64 total)
{
    m_ui->progressBar->setMinimum(0);
    if (total > 0) {
        m_ui->progressBar->setMaximum(100);
        m_ui->progressBar->setValue(static_cast<int>((received * 100) / total));
        showSizes(received, total);
        showTimeRemaining(received, total);
    } else {
        m_ui->progressBar->setMaximum(0);
        m_ui->progressBar->setValue(-1);
        m_ui->downloadLabel->setText(tr("Downloading Updates") + QStringLiteral("..."));
        m_ui->timeLabel->setText(QStringLiteral("%1: %2").arg(tr("Verbleibende Zeit"), tr("Unbekannt")));
    }
}

void Downloader::showSizes(qint64 received, qint64 total)
{
    m_ui->downloadLabel->setText(tr("Downloading updates") + QStringLiteral(" (") + sizeText(received, false)
        + QStringLiteral(" ") + tr("of") + QStringLiteral(" ") + sizeText(total, true) + QStringLiteral(")"));
}

void Downloader::showTimeRemaining(qint64 received, qint64 total)
{
    const quint32 elapsed = nowInSeconds() - m_startTime;
    const QString text = timeRemainingText(received, total, elapsed);
    if (text.isEmpty())
        return;
    m_ui->timeLabel->setText(tr("Verbleibende Zeit") + QStringLiteral(": ") + text);
}

void Downloader::showFinished(const QString &packagePath)
{
    emit downloadFinished(m_urlId, packagePath);
    m_declined = false;
    installUpdate();
    if (!m_declined)
        hide();
}

void Downloader::showFailure(PackageTransfer::Failure failure, const QString &detail, const QString &check)
{
    const QString headline = failure == PackageTransfer::Failure::Canceled ? tr("Download abgebrochen")
        : failure == PackageTransfer::Failure::Rejected                    ? tr("Update abgelehnt")
                                                                           : tr("Download fehlgeschlagen");
    // A package that arrived whole keeps its full bar; the label says which
    // check refused it.
    m_ui->downloadLabel->setText(check.isEmpty() ? headline : headline + QStringLiteral(": ") + check);
    if (failure != PackageTransfer::Failure::Rejected) {
        m_ui->progressBar->setRange(0, 100);
        m_ui->progressBar->setValue(0);
    }
    m_ui->timeLabel->setText(tr("Das Update wird nicht installiert."));
    m_ui->stopButton->setText(tr("Schließen"));

    MessageBoxRequest box;
    box.icon = failure == PackageTransfer::Failure::Canceled ? QMessageBox::Information : QMessageBox::Critical;
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
    if (!m_transfer.isRunning()) {
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
    m_transfer.abort();
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
    m_ui->timeLabel->setText(m_installation.nextStepText());

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
            m_installation.run(m_files);
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

void Downloader::showInstallationFailure()
{
    m_ui->downloadLabel->setText(tr("Installation fehlgeschlagen"));
    m_ui->timeLabel->setText(tr("Das Update wurde nicht installiert."));
}
