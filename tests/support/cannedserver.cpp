#include "cannedserver.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

QByteArray head(const QByteArray &status, const QByteArray &headers)
{
    return "HTTP/1.1 " + status + "\r\nConnection: close\r\n" + headers + "\r\n";
}

QByteArray contentLength(int size)
{
    return "Content-Length: " + QByteArray::number(size) + "\r\n";
}

} // namespace

CannedServer::CannedServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &CannedServer::accept);
}

bool CannedServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

QUrl CannedServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void CannedServer::answer(const QString &path, int status, const QString &body, bool held)
{
    m_answers[path].append({status, body.toUtf8(), held});
}

void CannedServer::answerCut(const QString &path, int status, const QString &body)
{
    m_answers[path].append({status, body.toUtf8(), false, true});
}

void CannedServer::drop(const QString &path, int times)
{
    for (int i = 0; i < times; ++i)
        m_answers[path].append({0, QByteArray(), false, false, true});
}

bool CannedServer::answers(const QString &path) const
{
    return !m_answers.value(path).isEmpty();
}

void CannedServer::clearAnswers()
{
    m_answers.clear();
    dropHeld();
}

void CannedServer::release()
{
    for (const Held &held : qAsConst(m_held)) {
        if (held.socket) {
            held.socket->write(held.rest);
            held.socket->disconnectFromHost();
        }
    }
    m_held.clear();
}

void CannedServer::dropHeld()
{
    for (const Held &held : qAsConst(m_held)) {
        if (held.socket)
            held.socket->abort();
    }
    m_held.clear();
}

void CannedServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int headEnd = buffer->indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            // a body announced by the head must be read before answering
            const int lengthAt = buffer->toLower().indexOf("content-length:");
            if (lengthAt >= 0 && lengthAt < headEnd) {
                const int lineEnd = buffer->indexOf("\r\n", lengthAt);
                const int length = buffer->mid(lengthAt + 15, lineEnd - lengthAt - 15).trimmed().toInt();
                if (buffer->size() < headEnd + 4 + length)
                    return;
            }
            const QList<QByteArray> requestLine = buffer->left(buffer->indexOf("\r\n")).split(' ');
            buffer->clear();
            respond(socket, QUrl(QString::fromLatin1(requestLine.value(1))).path());
        });
    }
}

void CannedServer::hold(QTcpSocket *socket, const QByteArray &head, const QByteArray &first, const QByteArray &rest)
{
    socket->write(head);
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(300, this, [guarded, first] {
        if (guarded)
            guarded->write(first);
    });
    m_held.append({socket, rest});
}

void CannedServer::respond(QTcpSocket *socket, const QString &path)
{
    requests.append(path);
    QByteArray response;
    if (answers(path)) {
        const Canned canned = m_answers[path].takeFirst();
        if (canned.dropped) {
            socket->disconnectFromHost();
            return;
        }
        response = head(QByteArray::number(canned.status) + " Canned",
                       "Content-Type: application/json\r\n" + contentLength(canned.body.size()))
            + (canned.cut ? canned.body.left(canned.body.size() / 2) : canned.body);
        if (canned.held) {
            m_held.append({socket, response});
            return;
        }
    } else if (path.startsWith(QLatin1String("/bytes/"))) {
        const int size = path.mid(7).toInt();
        response = head("200 OK", contentLength(size)) + QByteArray(size, 'b');
    } else if (path.startsWith(QLatin1String("/held/"))) {
        const int size = path.mid(6).toInt();
        hold(socket, head("200 OK", contentLength(size)), QByteArray(size / 2, 'n'), QByteArray(size - size / 2, 'n'));
        return;
    } else if (path == QLatin1String("/unsized")) {
        hold(socket, head("200 OK", QByteArray()), QByteArray(1500, 'u'), QByteArray(500, 'u'));
        return;
    } else if (path == QLatin1String("/dir/redirect")) {
        response = head("302 Found", "Location: target\r\n" + contentLength(5)) + "moved";
    } else if (path == QLatin1String("/dir/target")) {
        response = head("200 OK", contentLength(15)) + "redirected body";
    } else if (path == QLatin1String("/loop")) {
        response = head("302 Found", "Location: /loop\r\n" + contentLength(0));
    } else {
        response = head("404 Not Found", contentLength(8)) + "not here";
    }
    socket->write(response);
    socket->disconnectFromHost();
}
