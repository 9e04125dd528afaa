#include "logcapture.h"

namespace {
// the capture that is recording; messages arrive through a plain function
LogCapture *s_recording = nullptr;
} // namespace

LogCapture::~LogCapture()
{
    stop();
}

void LogCapture::start()
{
    stop();
    m_messages.clear();
    m_warnings.clear();
    s_recording = this;
    m_recording = true;
    m_previous = qInstallMessageHandler(&LogCapture::record);
}

void LogCapture::stop()
{
    if (!m_recording)
        return;
    qInstallMessageHandler(m_previous);
    m_recording = false;
    s_recording = nullptr;
}

void LogCapture::record(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!s_recording)
        return;
    s_recording->m_messages.append(message);
    if (type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg)
        s_recording->m_warnings.append(message);
    if (s_recording->m_previous)
        s_recording->m_previous(type, context, message);
}
