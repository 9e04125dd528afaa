#include "packagefiles.h"

#include <QUrl>

PackageFiles::PackageFiles() : temporaryDir(QDir::homePath() + QStringLiteral("/.vendrixtemp"))
{
    downloadDir.setPath(temporaryDir);
}

void PackageFiles::setFileName(const QString &name)
{
    fileName = name;
    setFileNameNoExt(name);
    if (fileName.isEmpty())
        fileName = QStringLiteral("Update.bin");
}

void PackageFiles::setFileNameNoExt(const QString &name)
{
    fileNameNoExt = name;
    fileNameNoExt.replace(QStringLiteral(".tar.gz"), QStringLiteral("/"));
}

QString PackageFiles::packagePath() const
{
    return downloadDir.filePath(fileName);
}

QString PackageFiles::partFilePath() const
{
    return downloadDir.filePath(fileName + QStringLiteral(".part"));
}

QString PackageFiles::unpackedFolder() const
{
    return downloadDir.filePath(fileNameNoExt);
}

bool PackageFiles::isSafeName(const QString &name)
{
    const QString decoded = QUrl::fromPercentEncoding(name.toUtf8());
    for (const QString &candidate : {name, decoded}) {
        if (candidate.isEmpty() || candidate == QLatin1String(".") || candidate == QLatin1String("..")
            || candidate.contains(QLatin1Char('/')) || candidate.contains(QLatin1Char('\\'))
            || candidate.contains(QChar(0)))
            return false;
    }
    return true;
}
