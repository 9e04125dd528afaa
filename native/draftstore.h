#pragma once

#include <QObject>
#include <QString>

// The drafts of forms not yet saved, one small JSON file each, so that what a
// user typed survives a crash, a restart or a closed window. They lie in the
// application's data directory under "drafts/", one directory per user and
// backend origin (a hash of both, so that two offices' or two users' drafts
// never meet), the directories 0700 and the files 0600: a draft may hold a
// customer's address. A file is replaced atomically, so a crash in the middle
// of a write leaves the previous draft, never half of one.
//
// VENDRIX_DRAFTS=off keeps nothing (a machine shared by many where nothing
// typed may stay behind); drafts already kept are then neither read nor
// offered.
//
// Available to documents as the singleton DraftStore 1.0.
class DraftStore : public QObject
{
    Q_OBJECT
    // false when VENDRIX_DRAFTS=off: nothing is written or read
    Q_PROPERTY(bool enabled READ enabled CONSTANT)

public:
    static constexpr const char *SwitchVariable = "VENDRIX_DRAFTS";

    explicit DraftStore(QObject *parent = nullptr);

    bool enabled() const { return m_enabled; }

    // Keeps `json` as the draft `name` of `owner`; false when nothing was written.
    Q_INVOKABLE bool write(const QString &owner, const QString &name, const QString &json) const;

    // The draft `name` of `owner`; "" when there is none (or it cannot be read).
    Q_INVOKABLE QString read(const QString &owner, const QString &name) const;

    // Removes the draft `name` of `owner`; true when none is left.
    Q_INVOKABLE bool remove(const QString &owner, const QString &name) const;

    // Where the draft `name` of `owner` lies (whether or not it exists); ""
    // for an empty owner or a name that is no plain name.
    Q_INVOKABLE QString path(const QString &owner, const QString &name) const;

    // The drafts' root: "drafts" in the application's data directory.
    static QString rootDirectory();

    // Letters, digits, "-" and "_", at most 64 of them.
    static bool isDraftName(const QString &name);

    // Drafts above this size are not read (nothing a form holds comes near it).
    static constexpr qint64 MaxSize = 1024 * 1024;

private:
    // the backend origin the client talks to: drafts of another office's
    // server are not offered
    QString m_origin;
    bool m_enabled;
};
