#include "calculator.h"

#include <QtGlobal>

Calculator::Calculator(QObject *parent) : QObject(parent)
{
    connect(this, &Calculator::aChanged, this, &Calculator::calcualteSum);
    connect(this, &Calculator::bChanged, this, &Calculator::calcualteSum);
}

double Calculator::sum() const
{
    return m_sum;
}

double Calculator::a() const
{
    return m_a;
}

double Calculator::b() const
{
    return m_b;
}

void Calculator::setA(double a)
{
    if (qFuzzyCompare(a, m_a))
        return;
    m_a = a;
    emit aChanged(a);
}

void Calculator::setB(double b)
{
    if (qFuzzyCompare(b, m_b))
        return;
    m_b = b;
    emit bChanged(b);
}

// announced every time, even when the sum stays the same
void Calculator::calcualteSum()
{
    m_sum = m_a + m_b;
    emit sumChanged(m_sum);
}
