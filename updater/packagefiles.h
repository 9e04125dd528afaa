#pragma once

#include <QDir>
#include <QString>

// Where a downloaded package and what belongs to it lie: the package, the
// part file it grows in until it arrived whole, and (on macOS) the folder the
// desktop unpacks it into. By default all of them are in a directory of their
// own below the home directory, on every platform; the installation step
// cleans it up afterwards.
struct PackageFiles
{
    PackageFiles();

    // ~/.vendrixtemp
    QString temporaryDir;
    QDir downloadDir;
    // The package's file name, from the download URL; "Update.bin" when empty.
    QString fileName;
    // The folder the package unpacks into: the name with each ".tar.gz"
    // replaced by "/".
    QString fileNameNoExt;

    // Sets both names from the package's file name.
    void setFileName(const QString &name);
    void setFileNameNoExt(const QString &name);

    QString packagePath() const;
    QString partFilePath() const;
    QString unpackedFolder() const;

    // A file or folder name from a feed that is safe to join to the download
    // directory: not empty, ".", "..", and without a path separator, also
    // once percent-decoded.
    static bool isSafeName(const QString &name);
};
