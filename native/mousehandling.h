#pragma once

#include <QCursor>
#include <QList>
#include <QObject>

// Moves the mouse cursor to a screen position given from a document and
// remembers the last position given. Registered as MouseHandling 0.1.
class MouseHandling : public QObject
{
    Q_OBJECT
    // [x, y] in global screen coordinates: the last position written, not the cursor's current one.
    Q_PROPERTY(QList<int> mousePos READ mousePos WRITE setMousePos NOTIFY mousePosChanged)

public:
    explicit MouseHandling(QObject *parent = nullptr);

    QList<int> mousePos() const;
    // Moves the cursor to (pos[0], pos[1]); a list with fewer than two numbers is ignored.
    void setMousePos(const QList<int> &pos);

Q_SIGNALS:
    void mousePosChanged(); // kept for documents that bind to it; never emitted

private:
    QList<int> m_mousePos;
    QCursor m_cursor;
};
