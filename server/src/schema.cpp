#include "schema.h"

#include <vector>

namespace vx {

namespace {

// Each entry moves the schema one version up; entries are never edited once
// released, new changes go into a new entry.
const std::vector<const char *> kMigrations = {
    // 1: initial schema
    R"SQL(
CREATE TABLE meta(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE users(
    id INTEGER PRIMARY KEY,
    username TEXT NOT NULL UNIQUE,
    surname TEXT NOT NULL DEFAULT '',
    lastname TEXT NOT NULL DEFAULT '',
    salt BLOB NOT NULL,
    password_hash BLOB NOT NULL,
    iterations INTEGER NOT NULL
);
-- Only a SHA-256 of each token is kept, so a copy of the database file does
-- not hand out live sessions.
CREATE TABLE tokens(
    token_hash TEXT PRIMARY KEY,
    user_id INTEGER NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    created_at TEXT NOT NULL
);
-- Columns without a declared type keep whatever the client sent: text stays
-- text ("12,50"), numbers stay numbers.
CREATE TABLE customer_commercial(
    id INTEGER PRIMARY KEY,
    company TEXT NOT NULL,
    vatid TEXT NOT NULL,
    fuel_surcharge,
    contact_person TEXT NOT NULL
);
CREATE TABLE customers(
    id INTEGER PRIMARY KEY,
    surname TEXT NOT NULL,
    lastname TEXT NOT NULL,
    address_street_no TEXT NOT NULL,
    address_zipcode TEXT NOT NULL,
    address_town TEXT NOT NULL,
    address_province TEXT NOT NULL,
    address_country INTEGER NOT NULL,
    phone TEXT NOT NULL,
    fax TEXT NOT NULL,
    email TEXT NOT NULL,
    info TEXT NOT NULL,
    commercialability INTEGER NOT NULL,
    commercial_id INTEGER REFERENCES customer_commercial(id)
);
-- "position" orders the list the client sees: position 0 is its default
-- rate, position 1 the one it preselects for worldwide express.
CREATE TABLE taxes(
    id INTEGER PRIMARY KEY,
    tax TEXT NOT NULL,
    rate INTEGER NOT NULL,
    position INTEGER NOT NULL
);
INSERT INTO taxes(id, tax, rate, position) VALUES (1, '19%', 19, 0), (2, '0%', 0, 1), (3, '16%', 16, 2);
CREATE TABLE orders(
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    prozentsatz_id INTEGER NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart INTEGER NOT NULL,
    versandpartner INTEGER NOT NULL,
    richtung INTEGER NOT NULL,
    verkaufspreis,
    einkaufspreis,
    zustellung_im_aussengebiet INTEGER NOT NULL,
    abholung_im_aussengebiet INTEGER NOT NULL,
    versand_oversized INTEGER NOT NULL,
    versand_heavy_weight INTEGER NOT NULL,
    versand_nicht_stapelbare_palette INTEGER NOT NULL,
    zustellung_samstags INTEGER NOT NULL,
    abholung_samstags INTEGER NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung INTEGER NOT NULL,
    praemie_fuer_transportversicherung INTEGER NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung,
    gebuehr_fuer_erstellung_einer_ae INTEGER NOT NULL,
    gebuehr_fuer_kein_envelope INTEGER NOT NULL,
    zeitfensterzustellung INTEGER NOT NULL,
    betrag_fuer_zeitfenstereinstellungen,
    revision INTEGER NOT NULL DEFAULT 1,
    created_at TEXT NOT NULL
);
CREATE INDEX orders_customer ON orders(customer_id);
-- One document (one PDF, one invoice number) per confirmed billing; it may
-- cover several invoice records.
CREATE TABLE documents(
    id INTEGER PRIMARY KEY,
    invoice_no TEXT UNIQUE,
    capability TEXT NOT NULL UNIQUE,
    file_name TEXT NOT NULL,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    issued_at TEXT NOT NULL
);
CREATE TABLE invoices(
    id INTEGER PRIMARY KEY,
    document_id INTEGER NOT NULL REFERENCES documents(id),
    order_id INTEGER,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    prozentsatz_id INTEGER NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart INTEGER NOT NULL,
    versandpartner INTEGER NOT NULL,
    richtung INTEGER NOT NULL,
    verkaufspreis,
    einkaufspreis,
    zustellung_im_aussengebiet INTEGER NOT NULL,
    abholung_im_aussengebiet INTEGER NOT NULL,
    versand_oversized INTEGER NOT NULL,
    versand_heavy_weight INTEGER NOT NULL,
    versand_nicht_stapelbare_palette INTEGER NOT NULL,
    zustellung_samstags INTEGER NOT NULL,
    abholung_samstags INTEGER NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung INTEGER NOT NULL,
    praemie_fuer_transportversicherung INTEGER NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung,
    gebuehr_fuer_erstellung_einer_ae INTEGER NOT NULL,
    gebuehr_fuer_kein_envelope INTEGER NOT NULL,
    zeitfensterzustellung INTEGER NOT NULL,
    betrag_fuer_zeitfenstereinstellungen,
    billed_at TEXT NOT NULL
);
CREATE INDEX invoices_document ON invoices(document_id);
CREATE INDEX invoices_customer ON invoices(customer_id);
-- A checkout preview remembers the revision of every order it showed, so a
-- confirmation can tell whether the user saw what gets billed.
CREATE TABLE billings(
    id INTEGER PRIMARY KEY,
    customer_id INTEGER NOT NULL REFERENCES customers(id),
    mode TEXT NOT NULL,
    created_at TEXT NOT NULL,
    confirmed_at TEXT,
    document_id INTEGER REFERENCES documents(id)
);
CREATE TABLE billing_orders(
    billing_id INTEGER NOT NULL REFERENCES billings(id) ON DELETE CASCADE,
    order_id INTEGER NOT NULL,
    revision INTEGER NOT NULL,
    PRIMARY KEY(billing_id, order_id)
);
CREATE TABLE categories(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE articlegroups(
    id INTEGER PRIMARY KEY,
    articlename TEXT NOT NULL,
    articleno TEXT NOT NULL,
    farbe TEXT NOT NULL,
    size TEXT NOT NULL,
    typ TEXT NOT NULL,
    quantity INTEGER NOT NULL CHECK(quantity >= 0),
    storage_location TEXT NOT NULL,
    category_id INTEGER REFERENCES categories(id),
    customer_id INTEGER REFERENCES customers(id)
);
-- The record id is always set to the delivery order number.
CREATE TABLE deliveryorders(
    id INTEGER PRIMARY KEY,
    deliveryorders_no INTEGER NOT NULL UNIQUE,
    delivery_date TEXT NOT NULL,
    created INTEGER NOT NULL,
    customer_id INTEGER REFERENCES customers(id),
    generated_at TEXT
);
CREATE TABLE articleinventory(
    id INTEGER PRIMARY KEY,
    eanno TEXT NOT NULL,
    quantity INTEGER NOT NULL CHECK(quantity >= 0),
    articlegroup_id INTEGER NOT NULL REFERENCES articlegroups(id),
    deliveryorder_no INTEGER NOT NULL REFERENCES deliveryorders(deliveryorders_no)
);
CREATE INDEX articleinventory_group ON articleinventory(articlegroup_id);
CREATE INDEX articleinventory_delivery ON articleinventory(deliveryorder_no);
)SQL",
    // 2: session expiry, page boundaries, search indexes
    R"SQL(
-- When a session token was last used (seconds since 1970); unused tokens
-- expire. Sessions that exist at the upgrade count as used now.
ALTER TABLE tokens ADD COLUMN last_used INTEGER NOT NULL DEFAULT 0;
UPDATE tokens SET last_used = CAST(strftime('%s', 'now') AS INTEGER);
CREATE INDEX tokens_user ON tokens(user_id, last_used);
CREATE INDEX customers_commercial ON customers(commercial_id);

-- Deletions per paged list: remembered page boundaries stay right until a
-- row of the list is deleted (paging.h).
CREATE TABLE list_deletions(
    list TEXT PRIMARY KEY,
    deletions INTEGER NOT NULL
);
INSERT INTO list_deletions(list, deletions) VALUES ('customers', 0), ('orders', 0), ('invoices', 0);
CREATE TRIGGER customers_deleted AFTER DELETE ON customers BEGIN
    UPDATE list_deletions SET deletions = deletions + 1 WHERE list = 'customers';
END;
CREATE TRIGGER orders_deleted AFTER DELETE ON orders BEGIN
    UPDATE list_deletions SET deletions = deletions + 1 WHERE list = 'orders';
END;
CREATE TRIGGER invoices_deleted AFTER DELETE ON invoices BEGIN
    UPDATE list_deletions SET deletions = deletions + 1 WHERE list = 'invoices';
END;

-- Search indexes: trigram indexes over the searched texts, folded with the
-- server's own vx_fold (case and umlauts) and matched case-sensitively, so
-- that the index finds exactly what folding both sides finds. A search of
-- orders or invoices by customer name goes through customer_search.
CREATE VIRTUAL TABLE customer_search USING fts5(name, surname, lastname, company,
    tokenize = 'trigram case_sensitive 1');
INSERT INTO customer_search(rowid, name, surname, lastname, company)
    SELECT c.id, vx_fold(c.surname || ' ' || c.lastname), vx_fold(c.surname), vx_fold(c.lastname),
        vx_fold(IFNULL(cc.company, ''))
    FROM customers c LEFT JOIN customer_commercial cc ON cc.id = c.commercial_id;
CREATE TRIGGER customers_search_insert AFTER INSERT ON customers BEGIN
    INSERT INTO customer_search(rowid, name, surname, lastname, company) VALUES (new.id,
        vx_fold(new.surname || ' ' || new.lastname), vx_fold(new.surname), vx_fold(new.lastname),
        vx_fold(IFNULL((SELECT company FROM customer_commercial WHERE id = new.commercial_id), '')));
END;
CREATE TRIGGER customers_search_update AFTER UPDATE ON customers BEGIN
    UPDATE customer_search SET name = vx_fold(new.surname || ' ' || new.lastname), surname = vx_fold(new.surname),
        lastname = vx_fold(new.lastname),
        company = vx_fold(IFNULL((SELECT company FROM customer_commercial WHERE id = new.commercial_id), ''))
    WHERE rowid = new.id;
END;
CREATE TRIGGER customers_search_delete AFTER DELETE ON customers BEGIN
    DELETE FROM customer_search WHERE rowid = old.id;
END;
CREATE TRIGGER commercial_search_update AFTER UPDATE OF company ON customer_commercial BEGIN
    UPDATE customer_search SET company = vx_fold(new.company)
    WHERE rowid IN (SELECT id FROM customers WHERE commercial_id = new.id);
END;

CREATE VIRTUAL TABLE order_search USING fts5(text, tokenize = 'trigram case_sensitive 1');
INSERT INTO order_search(rowid, text)
    SELECT id, vx_fold(belegnummer || char(31) || referenz || char(31) || textbeschreibung || char(31) || datum)
    FROM orders;
CREATE TRIGGER orders_search_insert AFTER INSERT ON orders BEGIN
    INSERT INTO order_search(rowid, text) VALUES (new.id, vx_fold(new.belegnummer || char(31) || new.referenz
        || char(31) || new.textbeschreibung || char(31) || new.datum));
END;
CREATE TRIGGER orders_search_update AFTER UPDATE OF belegnummer, referenz, textbeschreibung, datum ON orders BEGIN
    UPDATE order_search SET text = vx_fold(new.belegnummer || char(31) || new.referenz || char(31)
        || new.textbeschreibung || char(31) || new.datum) WHERE rowid = new.id;
END;
CREATE TRIGGER orders_search_delete AFTER DELETE ON orders BEGIN
    DELETE FROM order_search WHERE rowid = old.id;
END;

CREATE VIRTUAL TABLE invoice_search USING fts5(text, tokenize = 'trigram case_sensitive 1');
INSERT INTO invoice_search(rowid, text)
    SELECT i.id, vx_fold(i.belegnummer || char(31) || i.referenz || char(31) || i.textbeschreibung || char(31)
        || i.datum || char(31) || IFNULL(d.invoice_no, ''))
    FROM invoices i JOIN documents d ON d.id = i.document_id;
CREATE TRIGGER invoices_search_insert AFTER INSERT ON invoices BEGIN
    INSERT INTO invoice_search(rowid, text) VALUES (new.id, vx_fold(new.belegnummer || char(31) || new.referenz
        || char(31) || new.textbeschreibung || char(31) || new.datum || char(31)
        || IFNULL((SELECT invoice_no FROM documents WHERE id = new.document_id), '')));
END;
CREATE TRIGGER invoices_search_update AFTER UPDATE ON invoices BEGIN
    UPDATE invoice_search SET text = vx_fold(new.belegnummer || char(31) || new.referenz || char(31)
        || new.textbeschreibung || char(31) || new.datum || char(31)
        || IFNULL((SELECT invoice_no FROM documents WHERE id = new.document_id), '')) WHERE rowid = new.id;
END;
CREATE TRIGGER invoices_search_delete AFTER DELETE ON invoices BEGIN
    DELETE FROM invoice_search WHERE rowid = old.id;
END;
)SQL",
    // 3: delivery notes as handed out
    R"SQL(
-- The document of a generated delivery order, kept as it was first handed
-- out, so asking again gives the same note.
ALTER TABLE deliveryorders ADD COLUMN note_pdf BLOB;
)SQL",
};

// The same tables on PostgreSQL, with their own version numbers. Columns
// that keep text or numbers as the client sent them are JSONB; the search
// tables are plain tables kept by triggers and read by scanning (the
// routes' "instr" form of every search).
const std::vector<const char *> kPgMigrations = {
    // 1: the schema as SQLite's version 2 has it
    R"SQL(
-- Folding as the server's own foldCase: A-Z and the Latin-1 capitals to
-- lower case, capital sharp s to sharp s.
CREATE FUNCTION vx_fold(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT translate(t, 'ABCDEFGHIJKLMNOPQRSTUVWXYZÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞẞ',
        'abcdefghijklmnopqrstuvwxyzàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþß') $$;
CREATE FUNCTION instr(haystack text, needle text) RETURNS integer LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT strpos(haystack, needle) $$;
CREATE TABLE meta(
    key TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE users(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    username TEXT NOT NULL UNIQUE,
    surname TEXT NOT NULL DEFAULT '',
    lastname TEXT NOT NULL DEFAULT '',
    salt BYTEA NOT NULL,
    password_hash BYTEA NOT NULL,
    iterations BIGINT NOT NULL
);
-- rowid: the order tokens were issued in (the oldest of a user go first).
CREATE TABLE tokens(
    rowid BIGINT GENERATED ALWAYS AS IDENTITY,
    token_hash TEXT PRIMARY KEY,
    user_id BIGINT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    created_at TEXT NOT NULL,
    last_used BIGINT NOT NULL DEFAULT 0
);
CREATE INDEX tokens_user ON tokens(user_id, last_used);
CREATE TABLE customer_commercial(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    company TEXT NOT NULL,
    vatid TEXT NOT NULL,
    fuel_surcharge JSONB,
    contact_person TEXT NOT NULL
);
CREATE TABLE customers(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    surname TEXT NOT NULL,
    lastname TEXT NOT NULL,
    address_street_no TEXT NOT NULL,
    address_zipcode TEXT NOT NULL,
    address_town TEXT NOT NULL,
    address_province TEXT NOT NULL,
    address_country BIGINT NOT NULL,
    phone TEXT NOT NULL,
    fax TEXT NOT NULL,
    email TEXT NOT NULL,
    info TEXT NOT NULL,
    commercialability BIGINT NOT NULL,
    commercial_id BIGINT REFERENCES customer_commercial(id)
);
CREATE INDEX customers_commercial ON customers(commercial_id);
CREATE TABLE taxes(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    tax TEXT NOT NULL,
    rate BIGINT NOT NULL,
    position BIGINT NOT NULL
);
INSERT INTO taxes(id, tax, rate, position) VALUES (1, '19%', 19, 0), (2, '0%', 0, 1), (3, '16%', 16, 2);
SELECT setval(pg_get_serial_sequence('taxes', 'id'), 3);
CREATE TABLE orders(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    customer_id BIGINT NOT NULL REFERENCES customers(id),
    prozentsatz_id BIGINT NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart BIGINT NOT NULL,
    versandpartner BIGINT NOT NULL,
    richtung BIGINT NOT NULL,
    verkaufspreis JSONB,
    einkaufspreis JSONB,
    zustellung_im_aussengebiet BIGINT NOT NULL,
    abholung_im_aussengebiet BIGINT NOT NULL,
    versand_oversized BIGINT NOT NULL,
    versand_heavy_weight BIGINT NOT NULL,
    versand_nicht_stapelbare_palette BIGINT NOT NULL,
    zustellung_samstags BIGINT NOT NULL,
    abholung_samstags BIGINT NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung BIGINT NOT NULL,
    praemie_fuer_transportversicherung BIGINT NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung JSONB,
    gebuehr_fuer_erstellung_einer_ae BIGINT NOT NULL,
    gebuehr_fuer_kein_envelope BIGINT NOT NULL,
    zeitfensterzustellung BIGINT NOT NULL,
    betrag_fuer_zeitfenstereinstellungen JSONB,
    revision BIGINT NOT NULL DEFAULT 1,
    created_at TEXT NOT NULL
);
CREATE INDEX orders_customer ON orders(customer_id);
CREATE TABLE documents(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    invoice_no TEXT UNIQUE,
    capability TEXT NOT NULL UNIQUE,
    file_name TEXT NOT NULL,
    customer_id BIGINT NOT NULL REFERENCES customers(id),
    issued_at TEXT NOT NULL
);
CREATE TABLE invoices(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    document_id BIGINT NOT NULL REFERENCES documents(id),
    order_id BIGINT,
    customer_id BIGINT NOT NULL REFERENCES customers(id),
    prozentsatz_id BIGINT NOT NULL REFERENCES taxes(id),
    datum TEXT NOT NULL,
    belegnummer TEXT NOT NULL,
    referenz TEXT NOT NULL,
    textbeschreibung TEXT NOT NULL,
    gewicht TEXT NOT NULL,
    sendungsart BIGINT NOT NULL,
    versandpartner BIGINT NOT NULL,
    richtung BIGINT NOT NULL,
    verkaufspreis JSONB,
    einkaufspreis JSONB,
    zustellung_im_aussengebiet BIGINT NOT NULL,
    abholung_im_aussengebiet BIGINT NOT NULL,
    versand_oversized BIGINT NOT NULL,
    versand_heavy_weight BIGINT NOT NULL,
    versand_nicht_stapelbare_palette BIGINT NOT NULL,
    zustellung_samstags BIGINT NOT NULL,
    abholung_samstags BIGINT NOT NULL,
    gebuehr_fuer_zusaetzliche_handhabung BIGINT NOT NULL,
    praemie_fuer_transportversicherung BIGINT NOT NULL,
    betrag_fuer_praemie_fuer_transportversicherung JSONB,
    gebuehr_fuer_erstellung_einer_ae BIGINT NOT NULL,
    gebuehr_fuer_kein_envelope BIGINT NOT NULL,
    zeitfensterzustellung BIGINT NOT NULL,
    betrag_fuer_zeitfenstereinstellungen JSONB,
    billed_at TEXT NOT NULL
);
CREATE INDEX invoices_document ON invoices(document_id);
CREATE INDEX invoices_customer ON invoices(customer_id);
CREATE TABLE billings(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    customer_id BIGINT NOT NULL REFERENCES customers(id),
    mode TEXT NOT NULL,
    created_at TEXT NOT NULL,
    confirmed_at TEXT,
    document_id BIGINT REFERENCES documents(id)
);
CREATE TABLE billing_orders(
    billing_id BIGINT NOT NULL REFERENCES billings(id) ON DELETE CASCADE,
    order_id BIGINT NOT NULL,
    revision BIGINT NOT NULL,
    PRIMARY KEY(billing_id, order_id)
);
CREATE TABLE categories(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    name TEXT NOT NULL
);
CREATE TABLE articlegroups(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    articlename TEXT NOT NULL,
    articleno TEXT NOT NULL,
    farbe TEXT NOT NULL,
    size TEXT NOT NULL,
    typ TEXT NOT NULL,
    quantity BIGINT NOT NULL CHECK(quantity >= 0),
    storage_location TEXT NOT NULL,
    category_id BIGINT REFERENCES categories(id),
    customer_id BIGINT REFERENCES customers(id)
);
CREATE TABLE deliveryorders(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    deliveryorders_no BIGINT NOT NULL UNIQUE,
    delivery_date TEXT NOT NULL,
    created BIGINT NOT NULL,
    customer_id BIGINT REFERENCES customers(id),
    generated_at TEXT
);
CREATE TABLE articleinventory(
    id BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    eanno TEXT NOT NULL,
    quantity BIGINT NOT NULL CHECK(quantity >= 0),
    articlegroup_id BIGINT NOT NULL REFERENCES articlegroups(id),
    deliveryorder_no BIGINT NOT NULL REFERENCES deliveryorders(deliveryorders_no)
);
CREATE INDEX articleinventory_group ON articleinventory(articlegroup_id);
CREATE INDEX articleinventory_delivery ON articleinventory(deliveryorder_no);

CREATE TABLE list_deletions(
    list TEXT PRIMARY KEY,
    deletions BIGINT NOT NULL
);
INSERT INTO list_deletions(list, deletions) VALUES ('customers', 0), ('orders', 0), ('invoices', 0);
CREATE FUNCTION vx_count_deletion() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    UPDATE list_deletions SET deletions = deletions + 1 WHERE list = TG_TABLE_NAME;
    RETURN NULL;
END $$;
CREATE TRIGGER customers_deleted AFTER DELETE ON customers FOR EACH ROW EXECUTE FUNCTION vx_count_deletion();
CREATE TRIGGER orders_deleted AFTER DELETE ON orders FOR EACH ROW EXECUTE FUNCTION vx_count_deletion();
CREATE TRIGGER invoices_deleted AFTER DELETE ON invoices FOR EACH ROW EXECUTE FUNCTION vx_count_deletion();

CREATE TABLE customer_search(
    rowid BIGINT PRIMARY KEY,
    name TEXT NOT NULL,
    surname TEXT NOT NULL,
    lastname TEXT NOT NULL,
    company TEXT NOT NULL
);
CREATE FUNCTION vx_customer_search() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'DELETE' THEN
        DELETE FROM customer_search WHERE rowid = OLD.id;
        RETURN NULL;
    END IF;
    INSERT INTO customer_search(rowid, name, surname, lastname, company) VALUES (NEW.id,
        vx_fold(NEW.surname || ' ' || NEW.lastname), vx_fold(NEW.surname), vx_fold(NEW.lastname),
        vx_fold(COALESCE((SELECT company FROM customer_commercial WHERE id = NEW.commercial_id), '')))
    ON CONFLICT(rowid) DO UPDATE SET name = excluded.name, surname = excluded.surname,
        lastname = excluded.lastname, company = excluded.company;
    RETURN NULL;
END $$;
CREATE TRIGGER customers_search AFTER INSERT OR UPDATE OR DELETE ON customers
    FOR EACH ROW EXECUTE FUNCTION vx_customer_search();
CREATE FUNCTION vx_commercial_search() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    UPDATE customer_search SET company = vx_fold(NEW.company)
    WHERE rowid IN (SELECT id FROM customers WHERE commercial_id = NEW.id);
    RETURN NULL;
END $$;
CREATE TRIGGER commercial_search AFTER UPDATE OF company ON customer_commercial
    FOR EACH ROW EXECUTE FUNCTION vx_commercial_search();

CREATE TABLE order_search(
    rowid BIGINT PRIMARY KEY,
    text TEXT NOT NULL
);
CREATE FUNCTION vx_order_search() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'DELETE' THEN
        DELETE FROM order_search WHERE rowid = OLD.id;
        RETURN NULL;
    END IF;
    INSERT INTO order_search(rowid, text) VALUES (NEW.id, vx_fold(NEW.belegnummer || chr(31) || NEW.referenz
        || chr(31) || NEW.textbeschreibung || chr(31) || NEW.datum))
    ON CONFLICT(rowid) DO UPDATE SET text = excluded.text;
    RETURN NULL;
END $$;
CREATE TRIGGER orders_search AFTER INSERT OR UPDATE OR DELETE ON orders
    FOR EACH ROW EXECUTE FUNCTION vx_order_search();

CREATE TABLE invoice_search(
    rowid BIGINT PRIMARY KEY,
    text TEXT NOT NULL
);
CREATE FUNCTION vx_invoice_search() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    IF TG_OP = 'DELETE' THEN
        DELETE FROM invoice_search WHERE rowid = OLD.id;
        RETURN NULL;
    END IF;
    INSERT INTO invoice_search(rowid, text) VALUES (NEW.id, vx_fold(NEW.belegnummer || chr(31) || NEW.referenz
        || chr(31) || NEW.textbeschreibung || chr(31) || NEW.datum || chr(31)
        || COALESCE((SELECT invoice_no FROM documents WHERE id = NEW.document_id), '')))
    ON CONFLICT(rowid) DO UPDATE SET text = excluded.text;
    RETURN NULL;
END $$;
CREATE TRIGGER invoices_search AFTER INSERT OR UPDATE OR DELETE ON invoices
    FOR EACH ROW EXECUTE FUNCTION vx_invoice_search();
)SQL",
    // 2: delivery notes as handed out (SQLite's version 3)
    R"SQL(
ALTER TABLE deliveryorders ADD COLUMN note_pdf BYTEA;
)SQL",
};

} // namespace

int schemaVersion(Db &db)
{
    auto s = db.prepare("SELECT version FROM schema_version");
    return s.step() ? static_cast<int>(s.getInt(0)) : 0;
}

void migrateSchema(Db &db)
{
    const auto &migrations = db.engine() == Engine::Postgres ? kPgMigrations : kMigrations;
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
        db.exec(migrations[static_cast<std::size_t>(version)]);
        ++version;
        db.exec("DELETE FROM schema_version");
        db.prepare("INSERT INTO schema_version(version) VALUES (?)").bind(1, version).run();
        tx.commit();
    }
}

} // namespace vx
