#pragma once

#include <QObject>

// Holds two numbers and publishes their sum. Registered as Calculator in MyMath 1.0.
class Calculator : public QObject
{
    Q_OBJECT
    // a + b, recomputed (and announced) whenever a or b changes.
    Q_PROPERTY(double sum READ sum NOTIFY sumChanged)
    // First summand.
    Q_PROPERTY(double a READ a WRITE setA NOTIFY aChanged)
    // Second summand.
    Q_PROPERTY(double b READ b WRITE setB NOTIFY bChanged)

public:
    explicit Calculator(QObject *parent = nullptr);

    double sum() const;
    double a() const;
    double b() const;

public Q_SLOTS:
    // Ignored when fuzzy-equal to the current value.
    void setA(double a);
    void setB(double b);

Q_SIGNALS:
    void sumChanged(double sum);
    void aChanged(double a);
    void bChanged(double b);

private Q_SLOTS:
    void calcualteSum();

private:
    double m_sum = 0.0;
    double m_a = 0.0;
    double m_b = 0.0;
};
