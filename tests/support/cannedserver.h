#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A loopback HTTP server with canned answers, for what the reference server
// never does: unreadable bodies, answers that arrive late or never, redirects.
// Every connection is answered once and closed.
//
// Built-in paths:
//   /bytes/N      200 with N bytes and a Content-Length
//   /held/N       200 announcing N bytes, sends N/2, the rest on release()
//   /unsized      200 without Content-Length, 1500 bytes, 500 more on release()
//   /missing      404 (as every other path)
//   /dir/redirect 302 to the relative address "target"
//   /dir/target   200 "redirected body"
//   /loop         302 to itself
// The first body bytes of held answers follow the head after a pause, because
// the network stack reports progress at most every 150 ms.
//
// answer() queues a reply for the next request of a path, whatever the
// method; QML tests reach the server as `cannedServer`, and requests of the
// documents for a path with a queued reply come here instead of going to the
// reference server.
class CannedServer : public QObject
{
    Q_OBJECT

public:
    explicit CannedServer(QObject *parent = nullptr);

    // Starts listening on a free loopback port.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // "http://127.0.0.1:<port>" followed by `path`.
    Q_INVOKABLE QUrl url(const QString &path) const;

    // Answers the next request of `path` with `status` and `body` (sent as
    // JSON); each call queues one reply. A held reply is sent only on release().
    Q_INVOKABLE void answer(const QString &path, int status, const QString &body, bool held = false);
    // Answers the next request of `path` with a head announcing `body` whole,
    // sends only its first half and closes the connection: a reply cut short
    // after the backend had done the work (a connection closed before any
    // byte of a reply makes the network stack send the request again).
    Q_INVOKABLE void answerCut(const QString &path, int status, const QString &body);
    // Closes the connection of each of the next `times` requests of `path`
    // without a reply, once the request is read: a request that may or may not
    // have been carried out. (The network layer sends a request again when its
    // connection closes before any reply, so a drop that reaches the caller
    // needs as many drops as it makes attempts.)
    Q_INVOKABLE void drop(const QString &path, int times);
    // Whether a reply for `path` is queued.
    Q_INVOKABLE bool answers(const QString &path) const;
    // Forgets every queued reply and drops what is still held.
    Q_INVOKABLE void clearAnswers();
    // Sends the rest of every held answer and closes its connection.
    Q_INVOKABLE void release();
    // Cuts every held connection without completing it.
    Q_INVOKABLE void dropHeld();
    // Paths requested so far, oldest first.
    Q_INVOKABLE QStringList requestedPaths() const { return requests; }

    // Paths requested so far, oldest first.
    QStringList requests;

private:
    struct Held
    {
        QPointer<QTcpSocket> socket;
        QByteArray rest;
    };
    struct Canned
    {
        int status = 200;
        QByteArray body;
        bool held = false;
        bool cut = false;
        bool dropped = false;
    };

    void accept();
    void respond(QTcpSocket *socket, const QString &path);
    void hold(QTcpSocket *socket, const QByteArray &head, const QByteArray &first, const QByteArray &rest);

    QTcpServer m_server;
    QList<Held> m_held;
    QHash<QString, QList<Canned>> m_answers;
};
