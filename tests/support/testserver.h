#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>

// The reference backend, started for one test process on a free loopback port
// with a fresh database, recording every request it receives. Exposed to QML
// tests as `testServer`.
class TestServer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString origin READ origin NOTIFY originChanged)
    Q_PROPERTY(QString productionOrigin READ productionOrigin CONSTANT)
    Q_PROPERTY(bool running READ isRunning NOTIFY originChanged)

public:
    explicit TestServer(QObject *parent = nullptr);
    ~TestServer() override;

    // Starts the server (with demo data) and waits for its port; false on failure.
    Q_INVOKABLE bool start(const QStringList &extraArguments = {});
    // Stops it; requests to the origin then fail as dead connections.
    Q_INVOKABLE void stop();
    // Stops and starts again on the same database, e.g. with "--maintenance".
    Q_INVOKABLE bool restart(const QStringList &extraArguments = {});

    // Requests received since the last clearRecords(), oldest first, each
    // {method, path, query, headers: [[name, value], ...], body}.
    Q_INVOKABLE QVariantList records();
    Q_INVOKABLE void clearRecords();

    // "http://127.0.0.1:<port>", or empty while stopped.
    QString origin() const;
    QString productionOrigin() const;
    bool isRunning() const;
    int port() const { return m_port; }

Q_SIGNALS:
    void originChanged();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
    qint64 m_recordOffset = 0;
};
