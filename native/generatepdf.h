#pragma once

#include <QByteArray>
#include <QObject>

// Writes the bytes a document holds (a PDF received from the backend) to
// "report.pdf" in the working directory. Registered as GeneratePDF in Generator 1.0.
class GeneratePDF : public QObject
{
    Q_OBJECT
    // Write-only in effect: writing stores the bytes to the file, reading yields nothing.
    Q_PROPERTY(QByteArray Response READ Response WRITE setResponse NOTIFY ResponseChanged)

public:
    explicit GeneratePDF(QObject *parent = nullptr);

    // Always empty: the bytes go to the file, not into the element.
    QByteArray Response() const;
    // Replaces "report.pdf" with exactly these bytes; a file that cannot be
    // written is ignored silently.
    void setResponse(const QByteArray &data);

Q_SIGNALS:
    void ResponseChanged(); // kept for documents that bind to it; never emitted

private:
    QByteArray m_response;
};
