#include "backendconfig.h"

#include "networkaccess.h"

#include <QDebug>
#include <QFile>
#include <QHostAddress>
#include <QSslConfiguration>

namespace BackendConfig {

namespace {

// The value as it may be shown: a user part (which may hold a password) is cut out.
QString shown(const QString &value)
{
    const int at = value.lastIndexOf(QLatin1Char('@'));
    if (at < 0)
        return value;
    const int authority = value.indexOf(QLatin1String("://"));
    return value.left(authority < 0 ? 0 : authority + 3) + QStringLiteral("…") + value.mid(at);
}

OriginCheck refuse(const QString &value, const QString &why)
{
    return {QUrl(),
        QStringLiteral("%1=\"%2\" is not usable: %3. Give the origin of the office's server, "
                       "as in https://vendrix.example.com or https://vendrix.example.com:8443.")
            .arg(QLatin1String(OriginVariable), shown(value), why)};
}

} // namespace

QUrl compiledOrigin()
{
    return QUrl(QStringLiteral(VENDRIX_COMPILED_API_URL));
}

bool isLoopbackHost(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

OriginCheck checkOrigin(const QString &value)
{
    const QString text = value.trimmed();
    if (text.isEmpty())
        return refuse(value, QStringLiteral("it is empty"));
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid())
        return refuse(value, QStringLiteral("it is not a URL"));
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
        return refuse(value, QStringLiteral("it must begin with https://"));
    if (url.host().isEmpty())
        return refuse(value, QStringLiteral("it names no host"));
    if (!url.userInfo().isEmpty())
        return refuse(value, QStringLiteral("it must not carry a user name or password"));
    if ((!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery() || url.hasFragment())
        return refuse(value, QStringLiteral("it must not have a path, query or fragment, only scheme, host and port"));
    if (scheme == QLatin1String("http") && !isLoopbackHost(url.host()))
        return refuse(value,
            QStringLiteral("plain http is accepted only for this machine (localhost, 127.0.0.1, ::1), since "
                           "passwords would cross the network unencrypted; use https"));
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(url.host());
    origin.setPort(url.port());
    return {origin, QString()};
}

CaCheck readCaFile(const QString &path)
{
    const QString prefix = QStringLiteral("%1=\"%2\" ").arg(QLatin1String(CaFileVariable), path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, prefix + QStringLiteral("cannot be read: ") + file.errorString()};
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (certificates.isEmpty())
        return {{}, prefix + QStringLiteral("holds no certificate (PEM, \"-----BEGIN CERTIFICATE-----\")")};
    return {certificates, QString()};
}

void trustBesideSystem(const QList<QSslCertificate> &certificates)
{
    // Naming CA certificates switches off the system store's loading on
    // demand, so the system's are named too.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

QString applyEnvironment()
{
    OriginCheck origin;
    const QString originValue = qEnvironmentVariable(OriginVariable);
    if (!originValue.trimmed().isEmpty()) {
        origin = checkOrigin(originValue);
        if (!origin.error.isEmpty())
            return origin.error;
    }
    CaCheck ca;
    const QString caPath = qEnvironmentVariable(CaFileVariable);
    if (!caPath.isEmpty()) {
        ca = readCaFile(caPath);
        if (!ca.error.isEmpty())
            return ca.error;
    }

    if (origin.origin.isValid()) {
        NetworkAccessManagerFactory::setOriginRedirect({compiledOrigin(), origin.origin});
        qDebug().noquote() << "Backend" << origin.origin.toString() << "from" << OriginVariable;
    }
    if (!ca.certificates.isEmpty()) {
        trustBesideSystem(ca.certificates);
        qDebug().noquote() << "Trusting" << ca.certificates.size() << "CA certificate(s) of" << caPath << "from"
                           << CaFileVariable;
    }
    return QString();
}

QString environmentHelp()
{
    return QStringLiteral("Environment:\n"
                          "  %1  origin of the office's server, e.g. https://vendrix.example.com:8443\n"
                          "                   (built in: %2); plain http only for this machine\n"
                          "  %3  PEM file of CA certificates to trust beside the system's")
        .arg(QLatin1String(OriginVariable), compiledOrigin().toString(), QLatin1String(CaFileVariable));
}

} // namespace BackendConfig
