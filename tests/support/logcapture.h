#pragma once

#include <QObject>
#include <QStringList>

// Records every message of the debug log (the documents' console output
// included) between start() and stop(), and passes each one on to the handler
// that was installed before, so that the test log and ignoreWarning() work as
// without it. QML tests reach it as `testLog`.
class LogCapture : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~LogCapture() override;

    // Starts recording afresh.
    Q_INVOKABLE void start();
    // Stops recording; the messages stay readable.
    Q_INVOKABLE void stop();
    // The messages recorded since start(), oldest first.
    Q_INVOKABLE QStringList messages() const { return m_messages; }
    // Those of them that are warnings or worse (the engine's warnings about
    // documents, console.warn and console.error, qWarning and qCritical).
    Q_INVOKABLE QStringList warnings() const { return m_warnings; }

private:
    static void record(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous = nullptr;
    bool m_recording = false;
    QStringList m_messages;
    QStringList m_warnings;
};
