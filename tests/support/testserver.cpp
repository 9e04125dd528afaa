#include "testserver.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

TestServer::TestServer(QObject *parent) : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    // the server's log is only interesting when a test fails
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("server.log")));
}

TestServer::~TestServer()
{
    stop();
}

bool TestServer::start(const QStringList &extraArguments)
{
    if (isRunning())
        return true;
    const QString binary = QStringLiteral(VENDRIX_SERVER_BINARY);
    if (!QFileInfo::exists(binary)) {
        qWarning() << "TestServer: server binary not built:" << binary;
        return false;
    }
    QStringList arguments {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--db"),
        m_dir.filePath(QStringLiteral("server.sqlite")), QStringLiteral("--record"),
        m_dir.filePath(QStringLiteral("requests.jsonl")), QStringLiteral("--record-credentials"),
        // every test of a file logs in from the same address, wrong
        // passwords included; the server's own tests cover the backoff
        QStringLiteral("--login-attempts"), QStringLiteral("1000"), QStringLiteral("--demo")};
    arguments += extraArguments;
    m_process.start(binary, arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    // the first line of standard output is the port
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(10000)) {
            qWarning() << "TestServer: no port from" << binary;
            m_process.kill();
            m_process.waitForFinished();
            return false;
        }
    }
    bool ok = false;
    m_port = QString::fromUtf8(m_process.readLine()).trimmed().toInt(&ok);
    if (!ok || m_port <= 0) {
        qWarning() << "TestServer: unexpected first line from the server";
        stop();
        return false;
    }
    Q_EMIT originChanged();
    return true;
}

void TestServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // A graceful stop waits for idle keep-alive connections to time out, which
    // costs seconds per restart; the server's own tests cover that shutdown.
    // Every change is committed before its reply, so killing loses nothing.
    m_process.kill();
    m_process.waitForFinished();
    m_port = 0;
    Q_EMIT originChanged();
}

bool TestServer::restart(const QStringList &extraArguments)
{
    stop();
    return start(extraArguments);
}

QVariantList TestServer::records()
{
    QVariantList result;
    QFile file(m_dir.filePath(QStringLiteral("requests.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    file.seek(m_recordOffset);
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            result.append(QJsonDocument::fromJson(line).toVariant());
    }
    return result;
}

void TestServer::clearRecords()
{
    m_recordOffset = QFileInfo(m_dir.filePath(QStringLiteral("requests.jsonl"))).size();
}

QString TestServer::origin() const
{
    return m_port > 0 ? QStringLiteral("http://127.0.0.1:%1").arg(m_port) : QString();
}

QString TestServer::productionOrigin() const
{
    return QStringLiteral(VENDRIX_PRODUCTION_API_URL);
}

bool TestServer::isRunning() const
{
    return m_process.state() == QProcess::Running && m_port > 0;
}
