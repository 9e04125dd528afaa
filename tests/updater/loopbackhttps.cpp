#include "loopbackhttps.h"

#include <QFile>
#include <QSslConfiguration>
#include <QTimer>

namespace {

// The network stack reports progress at most every 150 ms: body bytes that
// follow the head after a pause show up as a progress report of their own.
constexpr int kPauseMs = 200;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

} // namespace

bool LoopbackHttpsServer::start()
{
    QFile certificate(QStringLiteral(UPDATER_TEST_CERT));
    QFile key(QStringLiteral(UPDATER_TEST_KEY));
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
        return false;
    m_certificate = QSslCertificate(&certificate, QSsl::Pem);
    m_key = QSslKey(&key, QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull())
        return false;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    if (!configuration.caCertificates().contains(m_certificate)) {
        configuration.addCaCertificate(m_certificate);
        QSslConfiguration::setDefaultConfiguration(configuration);
    }
    return listen(QHostAddress::LocalHost);
}

QUrl LoopbackHttpsServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void LoopbackHttpsServer::answer(const QString &path, const Answer &answer)
{
    m_answers.insert(path, answer);
}

void LoopbackHttpsServer::answer(const QString &path, const QByteArray &body)
{
    Answer a;
    a.body = body;
    answer(path, a);
}

void LoopbackHttpsServer::redirect(const QString &path, const QByteArray &location)
{
    Answer a;
    a.status = 302;
    a.headers.append({"Location", location});
    answer(path, a);
}

void LoopbackHttpsServer::clear()
{
    m_answers.clear();
    requests.clear();
    lastUserAgent.clear();
}

void LoopbackHttpsServer::release()
{
    for (const Held &held : qAsConst(m_held)) {
        if (held.socket) {
            held.socket->write(held.rest);
            held.socket->disconnectFromHost();
        }
    }
    m_held.clear();
}

void LoopbackHttpsServer::incomingConnection(qintptr descriptor)
{
    auto *socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(m_certificate);
    socket->setPrivateKey(m_key);
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    auto *request = new QByteArray;
    connect(socket, &QObject::destroyed, this, [request] { delete request; });
    connect(socket, &QSslSocket::readyRead, this, [this, socket, request] {
        if (request->contains("\r\n\r\n"))
            return; // answered already
        request->append(socket->readAll());
        if (request->contains("\r\n\r\n"))
            respond(socket, *request);
    });
    socket->startServerEncryption();
}

void LoopbackHttpsServer::respond(QSslSocket *socket, const QByteArray &request)
{
    const QList<QByteArray> lines = request.left(request.indexOf("\r\n\r\n")).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    const QString path = QString::fromLatin1(requestLine.value(1));
    requests.append(path);
    for (const QByteArray &line : lines) {
        if (line.toLower().startsWith("user-agent:"))
            lastUserAgent = line.mid(line.indexOf(':') + 1).trimmed();
    }

    // Answers are looked up without the query, so a test can tell its
    // requests apart by one.
    const QString key = path.section(QLatin1Char('?'), 0, 0);
    Answer a;
    if (m_answers.contains(key)) {
        a = m_answers.value(key);
    } else {
        a.status = 404;
        a.body = "not found";
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + ' ' + reason(a.status) + "\r\n";
    for (const auto &header : qAsConst(a.headers))
        head += header.first + ": " + header.second + "\r\n";
    if (a.withLength)
        head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);

    if (a.dropAfter < 0 && a.holdAfter < 0) {
        socket->write(a.body);
        socket->disconnectFromHost();
        return;
    }
    const QPointer<QSslSocket> guarded(socket);
    QTimer::singleShot(kPauseMs, this, [this, guarded, a] {
        if (!guarded)
            return;
        if (a.dropAfter >= 0) {
            guarded->write(a.body.left(a.dropAfter));
            guarded->flush();
            QTimer::singleShot(kPauseMs, guarded, [guarded] {
                if (guarded)
                    guarded->abort();
            });
            return;
        }
        // The last byte before the hold comes after another pause, so that
        // the progress report for all of it is not swallowed.
        guarded->write(a.body.left(a.holdAfter - 1));
        QTimer::singleShot(kPauseMs, guarded, [guarded, a] { guarded->write(a.body.mid(a.holdAfter - 1, 1)); });
        m_held.append(Held {guarded, a.body.mid(a.holdAfter)});
    });
}
