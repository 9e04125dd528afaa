#pragma once

class QQmlEngine;
class QString;

// The engine's offline storage holds the settings database, and with it the
// remembered password in plain text. These functions keep it private to the
// user: the storage directory and its "Databases" directory are 0700, so that
// whatever SQLite creates there later is unreachable for others whatever the
// process umask, and database files that already exist are tightened to 0600.
namespace OfflineStorage {

// Applies the restriction to the engine's offline-storage path; false when a
// directory could not be created or a permission could not be set.
bool restrictToOwner(QQmlEngine *engine);

// The same for a given offline-storage path.
bool restrictToOwner(const QString &offlineStoragePath);

} // namespace OfflineStorage
