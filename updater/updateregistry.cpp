#include "updateregistry.h"

#include "updater.h"

#include <QCoreApplication>

namespace {

UpdateRegistry *s_instance = nullptr;

void destroyInstance()
{
    delete s_instance;
}

} // namespace

UpdateRegistry::UpdateRegistry() = default;

UpdateRegistry *UpdateRegistry::getInstance()
{
    if (!s_instance) {
        s_instance = new UpdateRegistry;
        // Gone with the application object, while deletions can still be posted.
        qAddPostRoutine(destroyInstance);
    }
    return s_instance;
}

UpdateRegistry::~UpdateRegistry()
{
    m_urls.clear();
    for (Updater *updater : qAsConst(m_updaters))
        updater->deleteLater();
    m_updaters.clear();
    if (s_instance == this) {
        s_instance = nullptr;
        qRemovePostRoutine(destroyInstance);
    }
}

Updater *UpdateRegistry::getUpdater(const QString &url) const
{
    if (!m_urls.contains(url)) {
        auto *updater = new Updater;
        updater->setUrl(url);
        m_urls.append(url);
        m_updaters.append(updater);
        connect(updater, &Updater::checkingFinished, this, &UpdateRegistry::checkingFinished);
        connect(updater, &Updater::downloadFinished, this, &UpdateRegistry::downloadFinished);
        connect(updater, &Updater::appcastDownloaded, this, &UpdateRegistry::appcastDownloaded);
    }
    return m_updaters.at(m_urls.indexOf(url));
}

bool UpdateRegistry::usesCustomAppcast(const QString &url) const
{
    return getUpdater(url)->customAppcast();
}

bool UpdateRegistry::getNotifyOnUpdate(const QString &url) const
{
    return getUpdater(url)->notifyOnUpdate();
}

bool UpdateRegistry::getNotifyOnFinish(const QString &url) const
{
    return getUpdater(url)->notifyOnFinish();
}

bool UpdateRegistry::getUpdateAvailable(const QString &url) const
{
    return getUpdater(url)->updateAvailable();
}

bool UpdateRegistry::getDownloaderEnabled(const QString &url) const
{
    return getUpdater(url)->downloaderEnabled();
}

bool UpdateRegistry::usesCustomInstallProcedures(const QString &url) const
{
    return getUpdater(url)->useCustomInstallProcedures();
}

QString UpdateRegistry::getOpenUrl(const QString &url) const
{
    return getUpdater(url)->openUrl();
}

QString UpdateRegistry::getChangelog(const QString &url) const
{
    return getUpdater(url)->changelog();
}

QString UpdateRegistry::getModuleName(const QString &url) const
{
    return getUpdater(url)->moduleName();
}

QString UpdateRegistry::getDownloadUrl(const QString &url) const
{
    return getUpdater(url)->downloadUrl();
}

QString UpdateRegistry::getPlatformKey(const QString &url) const
{
    return getUpdater(url)->platformKey();
}

QString UpdateRegistry::getLatestVersion(const QString &url) const
{
    return getUpdater(url)->latestVersion();
}

QString UpdateRegistry::getModuleVersion(const QString &url) const
{
    return getUpdater(url)->moduleVersion();
}

QString UpdateRegistry::getUserAgentString(const QString &url) const
{
    return getUpdater(url)->userAgentString();
}

void UpdateRegistry::checkForUpdates(const QString &url)
{
    getUpdater(url)->checkForUpdates();
}

void UpdateRegistry::setModuleName(const QString &url, const QString &name)
{
    getUpdater(url)->setModuleName(name);
}

void UpdateRegistry::setNotifyOnUpdate(const QString &url, bool notify)
{
    getUpdater(url)->setNotifyOnUpdate(notify);
}

void UpdateRegistry::setNotifyOnFinish(const QString &url, bool notify)
{
    getUpdater(url)->setNotifyOnFinish(notify);
}

void UpdateRegistry::setPlatformKey(const QString &url, const QString &platform)
{
    getUpdater(url)->setPlatformKey(platform);
}

void UpdateRegistry::setModuleVersion(const QString &url, const QString &version)
{
    getUpdater(url)->setModuleVersion(version);
}

void UpdateRegistry::setDownloaderEnabled(const QString &url, bool enabled)
{
    getUpdater(url)->setDownloaderEnabled(enabled);
}

void UpdateRegistry::setUserAgentString(const QString &url, const QString &agent)
{
    getUpdater(url)->setUserAgentString(agent);
}

void UpdateRegistry::setUseCustomAppcast(const QString &url, bool customAppcast)
{
    getUpdater(url)->setUseCustomAppcast(customAppcast);
}

void UpdateRegistry::setUseCustomInstallProcedures(const QString &url, bool custom)
{
    getUpdater(url)->setUseCustomInstallProcedures(custom);
}

void UpdateRegistry::setMandatoryUpdate(const QString &url, bool mandatory)
{
    getUpdater(url)->setMandatoryUpdate(mandatory);
}
