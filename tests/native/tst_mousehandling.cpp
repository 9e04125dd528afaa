#include "mousehandling.h"

#include <QCursor>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QtTest>

// The cursor element moves the system cursor and remembers what it was given.
class TestMouseHandling : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void movesTheCursorAndRemembersThePosition()
    {
        MouseHandling mouse;
        QSignalSpy changed(&mouse, &MouseHandling::mousePosChanged);
        QVERIFY(mouse.mousePos().isEmpty());

        mouse.setMousePos({100, 200});

        QCOMPARE(mouse.mousePos(), (QList<int> {100, 200}));
        QCOMPARE(QCursor::pos(), QPoint(100, 200));
        QCOMPARE(changed.count(), 0);
    }

    void tooFewNumbersAreIgnored()
    {
        MouseHandling mouse;
        mouse.setMousePos({10, 20});

        // a caller that passes less than a point moves nothing and keeps the last position
        mouse.setMousePos({300});
        mouse.setMousePos({});

        QCOMPARE(mouse.mousePos(), (QList<int> {10, 20}));
        QCOMPARE(QCursor::pos(), QPoint(10, 20));
    }
};

QTEST_MAIN(TestMouseHandling)

#include "tst_mousehandling.moc"
