// SQLite's migrations, one per schema version (schema.cpp applies them).
// Columns without a declared type keep what the client sent as it came:
// text stays text ("12,50"), numbers stay numbers. The search tables are
// FTS5 trigram indexes over texts folded by the server's own vx_fold.

#include "schema_migrations.h"

namespace vx {

namespace {

// The fields of an order, alike in a captured order and in the invoice it
// becomes.
const char *const kOrderColumns = R"SQL(    datum TEXT NOT NULL,
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
)SQL";

} // namespace

const std::vector<Migration> &sqliteMigrations()
{
    // Each entry moves the schema one version up; entries are never edited
    // once released, new changes go into a new entry.
    static const std::vector<Migration> migrations = {
        // 1: initial schema
        std::string(R"SQL(
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
)SQL") + kOrderColumns
            + R"SQL(    revision INTEGER NOT NULL DEFAULT 1,
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
)SQL" + kOrderColumns
            + R"SQL(    billed_at TEXT NOT NULL
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
    return migrations;
}

} // namespace vx
