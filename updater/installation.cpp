#include "installation.h"

#include "packagesignature.h"
#include "updateenvironment.h"

#include <QCoreApplication>
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

Installation::Obstacle Installation::obstacle(UpdateEnvironment *environment)
{
    const bool onMacOs = environment->platformName().contains(QLatin1String("cocoa"));
    const Installation installation = detect(environment->applicationDirPath());
    if (!environment->releaseKey().isEmpty() && (onMacOs || installation.updatableInPlace))
        return Obstacle::None;
    // Asked only now: dpkg reads its whole file list. Exit status 0 means
    // a package owns the path; elsewhere dpkg is missing and does not start.
    if (!onMacOs
        && environment->runProgram(
               QStringLiteral("dpkg"), {QStringLiteral("-S"), environment->applicationFilePath()}, 30000)
            == 0)
        return Obstacle::PackageManager;
    if (environment->releaseKey().isEmpty())
        return Obstacle::NoReleaseKey;
    return installation.root.isEmpty() ? Obstacle::NotARelease : Obstacle::NotWritable;
}

QString Installation::explain(Obstacle obstacle, const QString &name, UpdateEnvironment *environment)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("Installation", text); };
    switch (obstacle) {
    case Obstacle::None:
        break;
    case Obstacle::PackageManager:
        return tr("%1 wurde über die Paketverwaltung des Systems installiert und kann sich nicht selbst "
                  "aktualisieren. Aktualisieren Sie es mit der Paketverwaltung, oder laden Sie das Update von der "
                  "Download-Seite.")
            .arg(name);
    case Obstacle::NoReleaseKey:
        return PackageSignature::refusal(PackageSignature::Verdict::NoKey) + QLatin1Char(' ')
            + tr("Laden Sie das Update von der Download-Seite.");
    case Obstacle::NotARelease:
        return tr("Diese Kopie von %1 (%2) wurde nicht aus einem Release-Paket installiert, sie läuft zum "
                  "Beispiel aus einem Build-Verzeichnis, und kann sich deshalb nicht selbst aktualisieren. Laden Sie "
                  "das Update von der Download-Seite.")
            .arg(name, environment->applicationFilePath());
    case Obstacle::NotWritable:
        return tr("Die Installation in %1 gehört einem anderen Benutzer oder ist schreibgeschützt und kann deshalb "
                  "nicht ersetzt werden. Laden Sie das Update von der Download-Seite.")
            .arg(detect(environment->applicationDirPath()).root);
    }
    return QString();
}
