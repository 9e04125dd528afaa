#pragma once

// Checks shared by the server's HTTP test suites: a failed status check names
// the status and the start of the body the server answered.

#include <QString>
#include <QtTest>

#include "server_harness.h"

namespace vxtest {

inline QByteArray describe(const Reply &r)
{
    return QStringLiteral("status %1, body %2").arg(r.status).arg(QString::fromStdString(r.body).left(300)).toUtf8();
}

} // namespace vxtest

// Sends its request exactly once.
#define CHECK_STATUS(request, expected)                                                                                \
    do {                                                                                                               \
        const vxtest::Reply reply_ = (request);                                                                        \
        QVERIFY2(reply_.status == (expected), describe(reply_).constData());                                           \
    } while (0)
