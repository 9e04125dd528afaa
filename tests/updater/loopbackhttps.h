#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QUrl>

// An HTTPS server on 127.0.0.1 with the test certificate and canned answers
// per path. Every connection gets one answer and is closed. An answer can be
// cut off after some body bytes (a dropped connection), or held after some
// body bytes until release() sends the rest. Unknown paths get 404.
class LoopbackHttpsServer : public QTcpServer
{
    Q_OBJECT

public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        // Send a Content-Length header (else the body ends with the connection).
        bool withLength = true;
        // Body bytes sent before the connection is cut; -1 sends everything.
        qint64 dropAfter = -1;
        // Body bytes sent before the answer waits for release(); -1 never waits.
        qint64 holdAfter = -1;
    };

    // Makes the test certificate trusted by every TLS connection of the
    // process, and starts listening. False when the certificate is missing.
    bool start();
    QUrl url(const QString &path) const;

    void answer(const QString &path, const Answer &answer);
    void answer(const QString &path, const QByteArray &body);
    void redirect(const QString &path, const QByteArray &location);
    void clear();

    // Sends the rest of every held answer.
    void release();
    int held() const { return m_held.size(); }

    // Paths asked for, oldest first, and the User-Agent of the last request.
    QStringList requests;
    QByteArray lastUserAgent;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Held
    {
        QPointer<QSslSocket> socket;
        QByteArray rest;
    };

    void respond(QSslSocket *socket, const QByteArray &request);

    QSslCertificate m_certificate;
    QSslKey m_key;
    QHash<QString, Answer> m_answers;
    QList<Held> m_held;
};
