#include "calculator.h"

#include <QtGlobal>

// The sum is brought up to date before a summand's change is announced and is
// announced after it, so every listener sees aChanged before sumChanged with
// a current sum. (A connection from aChanged to the sum would run ahead of
// every later listener and announce the sum first.)
Calculator::Calculator(QObject *parent) : QObject(parent)
{
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
    m_sum = m_a + m_b;
    emit aChanged(a);
    calcualteSum();
}

void Calculator::setB(double b)
{
    if (qFuzzyCompare(b, m_b))
        return;
    m_b = b;
    m_sum = m_a + m_b;
    emit bChanged(b);
    calcualteSum();
}

// announced every time, even when the sum stays the same
void Calculator::calcualteSum()
{
    m_sum = m_a + m_b;
    emit sumChanged(m_sum);
}
