#include "generatepdf.h"

#include <QSaveFile>

GeneratePDF::GeneratePDF(QObject *parent) : QObject(parent)
{
}

QByteArray GeneratePDF::Response() const
{
    return m_response;
}

void GeneratePDF::setResponse(const QByteArray &data)
{
    // Through a save file, so that a failed write keeps the previous report
    // instead of leaving a truncated one; where only the file itself is
    // writable (not its directory), it is written in place.
    QSaveFile file(QStringLiteral("report.pdf"));
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(data);
    file.commit();
}
