#include "schema.h"

#include "schema_migrations.h"

namespace vx {

int schemaVersion(Db &db)
{
    auto s = db.prepare("SELECT version FROM schema_version");
    return s.step() ? static_cast<int>(s.getInt(0)) : 0;
}

void migrateSchema(Db &db)
{
    const auto &migrations = db.engine() == Engine::Postgres ? postgresMigrations() : sqliteMigrations();
    {
        // Two servers starting at once on a new PostgreSQL database: the
        // write lock lets one create the schema, the other then sees it.
        Transaction tx(db);
        db.exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
        tx.commit();
    }
    int version = schemaVersion(db);
    const int latest = static_cast<int>(migrations.size());
    if (version > latest)
        throw DbError("database schema version " + std::to_string(version) + " is newer than this server understands");
    while (version < latest) {
        Transaction tx(db);
        if (schemaVersion(db) != version) { // another server migrated meanwhile
            version = schemaVersion(db);
            continue;
        }
        const Migration &m = migrations[static_cast<std::size_t>(version)];
        if (m.step)
            m.step(db);
        else
            db.exec(m.sql);
        ++version;
        db.exec("DELETE FROM schema_version");
        db.prepare("INSERT INTO schema_version(version) VALUES (?)").bind(1, version).run();
        tx.commit();
    }
    if (db.engine() == Engine::Postgres) {
        Transaction tx(db);
        completePostgresSchema(db);
        tx.commit();
    }
}

} // namespace vx
