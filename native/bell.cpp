#include "bell.h"

#include <QApplication>
#include <QTimer>

Bell::Bell(QObject *parent) : QObject(parent)
{
}

bool Bell::enabled() const
{
    return m_enabled;
}

void Bell::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT enabledChanged();
}

int Bell::confirmed() const
{
    return m_confirmed;
}

int Bell::refused() const
{
    return m_refused;
}

void Bell::confirm()
{
    ++m_confirmed;
    ring();
    Q_EMIT rang();
}

void Bell::refuse()
{
    ++m_refused;
    ring();
    // the second ring far enough behind the first to be heard as two
    if (m_enabled)
        QTimer::singleShot(180, this, [] { QApplication::beep(); });
    Q_EMIT rang();
}

void Bell::ring()
{
    if (m_enabled)
        QApplication::beep();
}
