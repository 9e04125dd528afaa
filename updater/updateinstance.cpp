#include "updateinstance.h"

#include "updateregistry.h"

#include <QDebug>

namespace {

QString word(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

UpdateInstance::UpdateInstance(QObject *parent) : QObject(parent), m_registry(UpdateRegistry::getInstance())
{
    connect(m_registry, &UpdateRegistry::checkingFinished, this, &UpdateInstance::updateChangelog);
    connect(m_registry, &UpdateRegistry::checkingFinished, this, &UpdateInstance::finishedChecking);
    connect(m_registry, &UpdateRegistry::appcastDownloaded, this, &UpdateInstance::displayAppcast);
}

QString UpdateInstance::feedUrl()
{
    return QStringLiteral(VENDRIX_UPDATE_FEED_URL);
}

void UpdateInstance::setChangelog(const QString &changelog)
{
    m_changelog = changelog;
}

void UpdateInstance::setAppcast(const QString &appcast)
{
    m_appcast = appcast;
}

void UpdateInstance::setUpdateAvailable(bool available)
{
    m_updateAvailable = available;
    emit updateAvailableChanged();
}

void UpdateInstance::checkForUpdates(const QString &p_Version, bool p_CustomAppcast, bool p_DownloaderEnabled,
    bool p_NotifyOnFinish, bool p_NotifyOnUpdate, bool p_MandatoryUpdate)
{
    qDebug().noquote() << word(p_CustomAppcast) << word(p_DownloaderEnabled) << word(p_NotifyOnFinish)
                       << word(p_NotifyOnUpdate) << word(p_MandatoryUpdate);
    const QString url = feedUrl();
    m_registry->setModuleVersion(url, p_Version);
    m_registry->setUseCustomAppcast(url, p_CustomAppcast);
    m_registry->setDownloaderEnabled(url, p_DownloaderEnabled);
    m_registry->setNotifyOnFinish(url, p_NotifyOnFinish);
    m_registry->setNotifyOnUpdate(url, p_NotifyOnUpdate);
    m_registry->setMandatoryUpdate(url, p_MandatoryUpdate);
    qDebug() << "Settings applied";
    m_registry->checkForUpdates(url);
}

void UpdateInstance::updateChangelog(const QString &url)
{
    if (url == feedUrl())
        setChangelog(m_registry->getChangelog(url));
}

void UpdateInstance::displayAppcast(const QString &url, const QByteArray &reply)
{
    if (url != feedUrl())
        return;
    const QString text = QString::fromUtf8(reply.constData()); // up to the first zero byte
    setAppcast(QStringLiteral("This is the downloaded appcast: <p><pre>") + text
        + QStringLiteral("</pre></p><p> If you need to store more information on the appcast (or use another format), "
                         "just use the <b>UpdateRegistry::setUseCustomAppcast()</b> function. It lets your application "
                         "interpret the appcast with its own code instead of the built-in reader.</p>"));
}

void UpdateInstance::finishedChecking(const QString &)
{
    setUpdateAvailable(m_registry->getUpdateAvailable(feedUrl()));
}
