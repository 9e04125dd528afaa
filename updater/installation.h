#pragma once

#include <QString>

class UpdateEnvironment;

// Where the running application lives and whether it may replace itself.
// Only an unpacked release package that belongs to the user is updated in
// place; an application installed by the system is left to the system's
// package manager, and a build tree to whoever built it.
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

    // What keeps the running copy from replacing itself with a downloaded
    // package, most telling first.
    enum class Obstacle {
        None,
        // a package manager owns the executable (dpkg knows it)
        PackageManager,
        // built without a release key: no package can be checked
        NoReleaseKey,
        // not an unpacked release package, e.g. a build tree
        NotARelease,
        // a release tree the user does not own or cannot write
        NotWritable,
    };
    static Obstacle obstacle(UpdateEnvironment *environment);
    // Why the running copy of the application called name cannot update
    // itself, in words for the user.
    static QString explain(Obstacle obstacle, const QString &name, UpdateEnvironment *environment);

    // The file that marks the top of a release tree (written by the release
    // script) and the executable inside it, relative to the top.
    static QString markerFile();
    static QString executable();
};
