#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

// The user's own directory for the documents the client downloads or writes
// (invoices, delivery notes): "vendrix-<user>" below the system's temporary
// location, readable by this user only. Invoices are personal data and the
// temporary location is shared by every user of the machine; inside a
// directory that only we can enter, nobody else can read a document or plant a
// link under a name we are about to write.
//
// Available to documents as the singleton PrivateFiles 1.0.
class PrivateFiles : public QObject
{
    Q_OBJECT

public:
    explicit PrivateFiles(QObject *parent = nullptr);

    // The directory's path, created with mode 0700 when missing; "" when it
    // cannot be made safe (it is not a real directory, belongs to another
    // user, or cannot be created).
    Q_INVOKABLE QString directory() const;

    // A file URL inside the directory for a plain file name; an empty URL when
    // the name is not plain (see isPlainFileName) or the directory is unusable.
    Q_INVOKABLE QUrl fileUrl(const QString &fileName) const;

    // The last path segment of an absolute http(s) link, percent-decoded; ""
    // for any other link or when the segment is not a plain file name, so
    // "../x.pdf" encoded as "%2e%2e%2fx.pdf" never leaves the directory.
    Q_INVOKABLE QString fileNameOfLink(const QString &link) const;

    // Writes `bytes` (an ArrayBuffer from a document) whole under `fileName`,
    // readable by this user only, replacing an older file atomically. Returns
    // the file's URL, or an empty URL when nothing was written.
    Q_INVOKABLE QUrl save(const QString &fileName, const QByteArray &bytes) const;

    // Not empty, not "." or "..", without a path separator or NUL.
    static bool isPlainFileName(const QString &name);
};
