#include "installation.h"

#include <QDir>
#include <QFileInfo>

#include <unistd.h>

QString Installation::markerFile()
{
    return QStringLiteral("vendrix.release");
}

QString Installation::executable()
{
    return QStringLiteral("bin/vendrix");
}

Installation Installation::detect(const QString &applicationDirPath)
{
    Installation installation;
    const QFileInfo bin(applicationDirPath);
    if (bin.fileName() != QLatin1String("bin"))
        return installation;
    const QFileInfo top(bin.absolutePath());
    if (!top.isDir() || !QFileInfo::exists(QDir(top.absoluteFilePath()).filePath(markerFile())))
        return installation;
    installation.root = top.absoluteFilePath();
    const QFileInfo around(top.absolutePath());
    installation.updatableInPlace = top.ownerId() == ::geteuid() && top.isWritable() && around.isWritable()
        && around.absoluteFilePath() != top.absoluteFilePath(); // not the file system's root
    return installation;
}
