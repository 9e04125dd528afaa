#include "calculator.h"

#include <QSignalSpy>
#include <QtTest>

// The sum follows its summands, announced in the order a caller can rely on.
class TestCalculator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void announcesEachChangeThenTheSum()
    {
        Calculator calculator;
        QList<QPair<QByteArray, double>> emitted;
        double sumSeenWithA = -1;
        connect(&calculator, &Calculator::aChanged, this, [&](double v) {
            emitted.append({"a", v});
            sumSeenWithA = calculator.sum();
        });
        connect(&calculator, &Calculator::bChanged, this, [&](double v) { emitted.append({"b", v}); });
        connect(&calculator, &Calculator::sumChanged, this, [&](double v) { emitted.append({"sum", v}); });

        calculator.setA(2);
        calculator.setB(3);

        const QList<QPair<QByteArray, double>> expected {{"a", 2}, {"sum", 2}, {"b", 3}, {"sum", 5}};
        QCOMPARE(emitted, expected);
        QCOMPARE(sumSeenWithA, 2.0); // already current when the summand's change is announced
        QCOMPARE(calculator.sum(), 5.0);
        QCOMPARE(calculator.a(), 2.0);
        QCOMPARE(calculator.b(), 3.0);
    }

    void equalValuesChangeNothing()
    {
        Calculator calculator;
        calculator.setA(2);
        QSignalSpy a(&calculator, &Calculator::aChanged);
        QSignalSpy sum(&calculator, &Calculator::sumChanged);

        calculator.setA(2);
        calculator.setA(2 + 1e-15); // equal within the fuzzy comparison
        QCOMPARE(a.count(), 0);
        QCOMPARE(sum.count(), 0);
        QCOMPARE(calculator.sum(), 2.0);

        calculator.setA(2.5);
        QCOMPARE(a.count(), 1);
        QCOMPARE(sum.count(), 1);
        QCOMPARE(calculator.sum(), 2.5);
    }
};

QTEST_GUILESS_MAIN(TestCalculator)

#include "tst_calculator.moc"
