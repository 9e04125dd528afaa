#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Installation trees and release packages made on the spot.
namespace Packages {

// A release tree in dir: bin/vendrix (an executable script printing the
// version), the release marker and one file that only this version has.
void makeTree(const QString &dir, const QString &version);

// A .tar.gz of the tree in sourceDir, its members below prefix ("" for none).
QByteArray tarGz(const QString &sourceDir, const QString &prefix);

// A .tar.gz whose regular-file members have exactly these names and contents,
// followed by symbolic links (name, target).
QByteArray tarGzOf(
    const QList<QPair<QByteArray, QByteArray>> &files, const QList<QPair<QByteArray, QByteArray>> &links = {});

// Everything below dir, as "relative/path=content" lines, sorted.
QStringList snapshot(const QString &dir);

QByteArray read(const QString &file);
void write(const QString &file, const QByteArray &content);

} // namespace Packages
