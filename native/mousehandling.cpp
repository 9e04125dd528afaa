#include "mousehandling.h"

#include <QDebug>

MouseHandling::MouseHandling(QObject *parent) : QObject(parent)
{
}

QList<int> MouseHandling::mousePos() const
{
    return m_mousePos;
}

void MouseHandling::setMousePos(const QList<int> &pos)
{
    if (pos.size() < 2) {
        qWarning() << "MouseHandling: mousePos needs two numbers (x, y), got" << pos;
        return;
    }
    m_cursor.setPos(pos.at(0), pos.at(1));
    qDebug() << pos.at(0) << pos.at(1);
    m_mousePos = pos;
}
