#pragma once

#include <QString>

// Where the running application lives and whether it may replace itself.
// Only an unpacked release package that belongs to the user is updated in
// place; an application installed by the system (or run from a build tree)
// is left to the system's package manager.
struct Installation
{
    // The installation's top directory (the parent of "bin"); empty when the
    // executable does not sit in a release tree.
    QString root;
    // True when root holds a release tree that this user owns and may
    // replace (root and the directory around it are writable).
    bool updatableInPlace = false;

    // Looks at the directory of the running executable.
    static Installation detect(const QString &applicationDirPath);

    // The file that marks the top of a release tree (written by the release
    // script) and the executable inside it, relative to the top.
    static QString markerFile();
    static QString executable();
};
