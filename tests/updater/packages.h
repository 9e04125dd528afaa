#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Installation trees and release packages made on the spot.
namespace Packages {

// size bytes of a package's stand-in ("abc...z" repeated).
QByteArray bytes(int size);

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

// What scripts/release.sh writes into the feed beside a package: the
// signature ("signature") of the statement naming platform, version and the
// package's SHA-256 digest, and the signing key's id ("signature-key"), made
// with the openssl program as the script makes them.
struct Signature
{
    QString signature;
    QString keyId;
};
// The private keys made for the tests: the release key the test client
// checks with, and another one.
QString releaseSigningKey();
QString otherSigningKey();
Signature sign(const QByteArray &package, const QString &version, const QString &keyFile = releaseSigningKey(),
    const QString &platform = QStringLiteral("linux"));

QByteArray read(const QString &file);
void write(const QString &file, const QByteArray &content);

} // namespace Packages
