#include "updater.h"

#include "downloader.h"
#include "installation.h"
#include "updateenvironment.h"
#include "updatenetwork.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

UpdateEnvironment *environment()
{
    return UpdateEnvironment::current();
}

QString stringMember(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}

} // namespace

Updater::Updater()
    : m_moduleName(QCoreApplication::applicationName()), m_moduleVersion(QCoreApplication::applicationVersion()),
      m_downloader(new Downloader), m_manager(UpdateEnvironment::current()->createNetworkAccessManager(nullptr))
{
    m_platformKey = defaultPlatformKey();
    setUserAgentString(QStringLiteral("%1/%2 (Qt; Updater)")
                           .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
    connect(m_downloader.get(), &Downloader::downloadFinished, this, &Updater::downloadFinished);
    connect(m_manager.get(), &QNetworkAccessManager::finished, this, &Updater::onReply);
}

Updater::~Updater() = default;

QString Updater::defaultPlatformKey()
{
#ifdef Q_OS_MACOS
    return QStringLiteral("osx");
#else
    return QStringLiteral("linux");
#endif
}

bool Updater::useCustomInstallProcedures() const
{
    return m_downloader->useCustomInstallProcedures();
}

void Updater::setUrl(const QString &url)
{
    m_url = url;
}

void Updater::setModuleName(const QString &name)
{
    m_moduleName = name;
}

void Updater::setNotifyOnUpdate(bool notify)
{
    m_notifyOnUpdate = notify;
}

void Updater::setNotifyOnFinish(bool notify)
{
    m_notifyOnFinish = notify;
}

void Updater::setUserAgentString(const QString &agent)
{
    m_userAgentString = agent;
    m_downloader->setUserAgentString(agent);
}

void Updater::setModuleVersion(const QString &version)
{
    m_moduleVersion = version;
}

void Updater::setDownloaderEnabled(bool enabled)
{
    m_downloaderEnabled = enabled;
}

void Updater::setPlatformKey(const QString &platformKey)
{
    m_platformKey = platformKey;
}

void Updater::setUseCustomAppcast(bool customAppcast)
{
    m_customAppcast = customAppcast;
}

void Updater::setUseCustomInstallProcedures(bool custom)
{
    m_downloader->setUseCustomInstallProcedures(custom);
}

void Updater::setMandatoryUpdate(bool mandatory)
{
    m_mandatoryUpdate = mandatory;
}

bool Updater::compare(const QString &x, const QString &y)
{
    const QStringList xs = x.split(QLatin1Char('.'));
    const QStringList ys = y.split(QLatin1Char('.'));
    const int shared = qMin(xs.size(), ys.size());
    for (int i = 0; i < shared; ++i) {
        bool ok = false;
        int a = xs.at(i).toInt(&ok, 10);
        if (!ok)
            a = 0;
        int b = ys.at(i).toInt(&ok, 10);
        if (!ok)
            b = 0;
        if (a != b)
            return a > b;
    }
    return xs.size() > ys.size();
}

void Updater::checkForUpdates()
{
    m_redirects = 0;
    sendRequest();
}

void Updater::sendRequest()
{
    const QUrl url(m_url, QUrl::TolerantMode);
    if (!UpdateNetwork::isPermitted(url)) {
        // Reported like any failed check, once the caller has returned.
        QTimer::singleShot(0, this, [this, url] {
            failCheck(tr("Update-Informationen werden nur über eine sichere Verbindung (HTTPS) geladen, nicht von %1.")
                          .arg(url.toDisplayString()));
        });
        return;
    }
    m_manager->get(UpdateNetwork::request(url, m_userAgentString));
}

void Updater::onReply(QNetworkReply *reply)
{
    reply->deleteLater();

    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (!target.isEmpty()) {
        const QUrl next = reply->url().resolved(target);
        if (m_redirects >= UpdateNetwork::kMaxRedirects) {
            failCheck(tr("Der Update-Server leitet zu oft weiter."));
            return;
        }
        if (!UpdateNetwork::isPermitted(next)) {
            failCheck(
                tr("Eine Weiterleitung auf die unsichere Adresse %1 wurde abgelehnt.").arg(next.toDisplayString()));
            return;
        }
        ++m_redirects;
        setUrl(next.toString());
        sendRequest();
        return;
    }

    if (reply->error() != QNetworkReply::NoError) {
        failCheck(reply->errorString());
        return;
    }

    const QByteArray body = reply->readAll();
    if (m_customAppcast) {
        emit appcastDownloaded(m_url, body);
        emit checkingFinished(m_url);
        return;
    }

    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (document.isNull()) {
        failCheck(tr("Die Antwort des Update-Servers ist kein gültiges JSON."));
        return;
    }

    const QJsonObject updates = document.object().value(QLatin1String("updates")).toObject();
    const QJsonObject platform = updates.value(m_platformKey).toObject();
    m_openUrl = stringMember(platform, "open-url");
    m_changelog = stringMember(platform, "changelog");
    m_downloadUrl = stringMember(platform, "download-url");
    m_latestVersion = stringMember(platform, "latest-version");
    m_sha256 = stringMember(platform, "sha256");
    m_signature = stringMember(platform, "signature");
    m_signatureKey = stringMember(platform, "signature-key");
    if (platform.contains(QLatin1String("mandatory-update")))
        setMandatoryUpdate(platform.value(QLatin1String("mandatory-update")).toBool(false));

    setUpdateAvailable(compare(m_latestVersion, m_moduleVersion));
    emit checkingFinished(m_url);
}

// A check that could not read the feed: no update is assumed, but the user
// who asked to hear the outcome learns that nothing could be loaded rather
// than that the installed version is the newest.
void Updater::failCheck(const QString &detail)
{
    m_updateAvailable = false;
    if (m_notifyOnFinish) {
        MessageBoxRequest box;
        box.icon = QMessageBox::Warning;
        box.textFormat = Qt::RichText;
        box.text = QStringLiteral("<h3>") + tr("Die Update-Informationen konnten nicht geladen werden")
            + QStringLiteral("</h3>");
        box.informativeText = tr("Bitte versuchen Sie es später noch einmal.");
        if (!detail.isEmpty())
            box.informativeText += QLatin1Char('\n') + detail;
        box.buttons = QMessageBox::Close;
        environment()->showMessage(box);
    }
    emit checkingFinished(m_url);
}

void Updater::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;

    MessageBoxRequest box;
    box.icon = QMessageBox::Information;
    box.textFormat = Qt::RichText;

    if (m_updateAvailable && (m_notifyOnUpdate || m_notifyOnFinish)) {
        box.informativeText = m_mandatoryUpdate
            ? tr("Möchten Sie das Update jetzt herunterladen? Dies ist ein notwendiges Update, wenn Sie die "
                 "Anwendung jetzt beenden, wird sie geschlossen.")
            : tr("Möchten Sie das Update jetzt herunterladen?");
        box.text = QStringLiteral("<h3>") + tr("Version %1 of %2 wurde freigegeben!").arg(m_latestVersion, m_moduleName)
            + QStringLiteral("</h3>");
        box.buttons = QMessageBox::Yes | QMessageBox::No;
        box.defaultButton = QMessageBox::Yes;
        if (environment()->showMessage(box) == QMessageBox::Yes) {
            if (!m_openUrl.isEmpty())
                environment()->openUrl(QUrl(m_openUrl, QUrl::TolerantMode));
            else if (m_downloaderEnabled)
                download();
            else
                environment()->openUrl(QUrl(m_downloadUrl, QUrl::TolerantMode));
        } else if (m_mandatoryUpdate) {
            environment()->requestQuit();
        }
    } else if (!m_updateAvailable && m_notifyOnFinish) {
        box.buttons = QMessageBox::Close;
        box.informativeText = tr("Momentan sind keine Updates verfügbar.");
        box.text = QStringLiteral("<h3>") + tr("Sie benutzen die neueste Version von %1").arg(m_moduleName)
            + QStringLiteral("</h3>");
        environment()->showMessage(box);
    }
}

void Updater::download()
{
    // Only an unpacked installation of the user's own, built with the release
    // key, replaces itself; any other copy says why and offers the page.
    const Installation::Obstacle obstacle = Installation::obstacle(environment());
    if (obstacle != Installation::Obstacle::None) {
        offerDownloadPage(obstacle == Installation::Obstacle::PackageManager
                ? tr("Version %1 wird über die Paketverwaltung installiert").arg(m_latestVersion)
                : tr("Version %1 muss von Hand installiert werden").arg(m_latestVersion),
            Installation::explain(obstacle, m_moduleName, environment()));
        return;
    }
    m_downloader->setUrlId(m_url);
    m_downloader->setFileName(m_downloadUrl.mid(m_downloadUrl.lastIndexOf(QLatin1Char('/')) + 1));
    m_downloader->setMandatoryUpdate(m_mandatoryUpdate);
    m_downloader->setExpectedSha256(m_sha256);
    m_downloader->setSignature(m_platformKey, m_latestVersion, m_signature, m_signatureKey);
    m_downloader->startDownload(QUrl(m_downloadUrl, QUrl::TolerantMode));
}

void Updater::offerDownloadPage(const QString &headline, const QString &reason)
{
    // The directory of the feed, where the update server lists its packages.
    const QUrl page = QUrl(m_url, QUrl::TolerantMode).resolved(QUrl(QStringLiteral(".")));
    MessageBoxRequest box;
    box.icon = QMessageBox::Information;
    box.textFormat = Qt::RichText;
    box.text = QStringLiteral("<h3>") + headline + QStringLiteral("</h3>");
    box.informativeText = reason + QLatin1Char(' ') + tr("Möchten Sie die Download-Seite öffnen?");
    box.buttons = QMessageBox::Open | QMessageBox::Close;
    box.defaultButton = QMessageBox::Close;
    if (environment()->showMessage(box) == QMessageBox::Open)
        environment()->openUrl(page);
}
