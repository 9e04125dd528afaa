#include "demo.h"

#include <ctime>

#include "auth.h"
#include "billing.h"
#include "clock.h"
#include "http.h"
#include "records.h"
#include "seed.h"

namespace vx {

namespace {

constexpr int kGermany = 36;

struct DemoCustomer
{
    const char *surname, *lastname, *street, *zipcode, *town, *province;
    int country;
    const char *phone;
    const char *info;
    // business customers only
    const char *company = nullptr, *vatid = nullptr, *fuel = nullptr, *contact = nullptr;
};

const DemoCustomer kCustomers[] = {
    {"Anna", "Schmidt", "Lindenstraße 14", "10115", "Berlin", "Berlin", kGermany, "030 4412 8870", ""},
    {"Jürgen", "Müller", "Königsallee 60", "40212", "Düsseldorf", "Nordrhein-Westfalen", kGermany, "0211 873 2204",
        "Pakete bitte beim Nachbarn abgeben"},
    {"Sabine", "Weber", "Marienplatz 8", "80331", "München", "Bayern", kGermany, "089 2193 5510", ""},
    {"Thomas", "Wagner", "Schloßstraße 3", "70173", "Stuttgart", "Baden-Württemberg", kGermany, "0711 3390 412", ""},
    {"Claudia", "Becker", "Hauptstraße 112", "69117", "Heidelberg", "Baden-Württemberg", kGermany, "06221 58 7731", ""},
    {"Michael", "Hoffmann", "Am Markt 5", "28195", "Bremen", "Bremen", kGermany, "0421 699 3012", ""},
    {"Petra", "Schäfer", "Goethestraße 21", "60313", "Frankfurt am Main", "Hessen", kGermany, "069 2710 4498",
        "Zustellung nur vormittags"},
    {"Stefan", "Koch", "Bahnhofstraße 7", "01067", "Dresden", "Sachsen", kGermany, "0351 482 1177", ""},
    {"Monika", "Richter", "Domplatz 2", "39104", "Magdeburg", "Sachsen-Anhalt", kGermany, "0391 561 2040", ""},
    {"Andreas", "Klein", "Rosenweg 11", "24103", "Kiel", "Schleswig-Holstein", kGermany, "0431 907 3385", ""},
    {"Ursula", "Wolf", "Kirchgasse 4", "55116", "Mainz", "Rheinland-Pfalz", kGermany, "06131 22 9046", ""},
    {"Frank", "Schröder", "Mühlenweg 19", "18055", "Rostock", "Mecklenburg-Vorpommern", kGermany, "0381 455 7720", ""},
    {"Karin", "Neumann", "Gartenstraße 33", "99084", "Erfurt", "Thüringen", kGermany, "0361 644 1893", ""},
    {"Uwe", "Schwarz", "Uferstraße 9", "14467", "Potsdam", "Brandenburg", kGermany, "0331 270 5561", ""},
    {"Birgit", "Zimmermann", "Schillerplatz 1", "66111", "Saarbrücken", "Saarland", kGermany, "0681 938 2207", ""},
    {"Dieter", "Braun", "Ringstraße 45", "30159", "Hannover", "Niedersachsen", kGermany, "0511 380 6624", ""},
    {"Heike", "Krüger", "Elbchaussee 220", "22605", "Hamburg", "Hamburg", kGermany, "040 822 4419", ""},
    {"Wolfgang", "Hofmann", "Maximilianstraße 17", "86150", "Augsburg", "Bayern", kGermany, "0821 455 0312", ""},
    {"Gabriele", "Hartmann", "Wiener Straße 5", "1010", "Wien", "Wien", 132, "+43 1 532 8841", ""},
    {"Lukas", "Fischer", "Bahnhofstrasse 50", "8001", "Zürich", "Zürich", 174, "+41 44 211 7390", ""},
    {"Markus", "Lange", "Industriestraße 40", "45127", "Essen", "Nordrhein-Westfalen", kGermany, "0201 822 1900",
        "Rampe 3, Anlieferung 7-15 Uhr", "Lange Logistik GmbH", "DE811234567", "12,5", "Markus Lange"},
    {"Julia", "Schmitt", "Weberstraße 8", "41061", "Mönchengladbach", "Nordrhein-Westfalen", kGermany, "02161 49 3370",
        "", "Schmitt & Söhne Textil KG", "DE812345678", "10,0", "Julia Schmitt"},
    {"Tobias", "Werner", "Technologiepark 3", "91058", "Erlangen", "Bayern", kGermany, "09131 77 2045", "",
        "Werner Elektronik AG", "DE813456789", "15,0", "Tobias Werner"},
    {"Katrin", "Meier", "Große Bleichen 10", "20354", "Hamburg", "Hamburg", kGermany, "040 3508 6610",
        "Kühlware: Lieferung nur mit Kühlfahrzeug", "Meier Feinkost e.K.", "DE814567890", "8,5", "Katrin Meier"},
    {"Oliver", "Krause", "Gewerbering 12", "09111", "Chemnitz", "Sachsen", kGermany, "0371 533 0980", "",
        "Krause Maschinenbau GmbH", "DE815678901", "12,5", "Herr Dipl.-Ing. Krause"},
    {"Nicole", "Lehmann", "Buchhändlerhof 2", "04109", "Leipzig", "Sachsen", kGermany, "0341 221 4467", "",
        "Lehmann Buchversand GmbH", "DE816789012", "9,0", "Nicole Lehmann"},
    {"Sebastian", "Köhler", "Stadionallee 1", "50933", "Köln", "Nordrhein-Westfalen", kGermany, "0221 498 1255", "",
        "Köhler Sportartikel GmbH", "DE817890123", "11,0", "Sebastian Köhler"},
    {"Anja", "Maier", "Gärtnerweg 6", "79098", "Freiburg im Breisgau", "Baden-Württemberg", kGermany, "0761 388 2290",
        "", "Maier Blumen & Garten OHG", "DE818901234", "7,5", "Anja Maier"},
};

std::time_t daysBeforeNow(int days)
{
    return std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
}

struct DemoOrder
{
    int customer; // index into kCustomers, 1-based like the ids
    int daysAgo;
    const char *beleg, *referenz, *text, *gewicht;
    int sendungsart, versandpartner, richtung, taxId;
    Json verkaufspreis, einkaufspreis;
    bool oversized = false, heavy = false, palette = false, samstag = false, praemie = false, zeitfenster = false;
    const char *betragPraemie = "", *betragZeitfenster = "";
};

std::int64_t insertOrder(Db &db, const std::vector<std::int64_t> &customerIds, const DemoOrder &o)
{
    auto s = db.prepare(orderInsert());
    int i = 1;
    s.bind(i++, customerIds.at(static_cast<std::size_t>(o.customer - 1)));
    s.bind(i++, germanDate(daysBeforeNow(o.daysAgo)));
    s.bind(i++, o.beleg);
    s.bind(i++, o.referenz);
    s.bind(i++, o.text);
    s.bind(i++, o.gewicht);
    s.bind(i++, o.sendungsart);
    s.bind(i++, o.versandpartner);
    s.bind(i++, o.richtung);
    s.bind(i++, o.taxId);
    s.bindJson(i++, o.verkaufspreis);
    s.bindJson(i++, o.einkaufspreis);
    s.bind(i++, false); // zustellung_im_aussengebiet
    s.bind(i++, false); // abholung_im_aussengebiet
    s.bind(i++, o.oversized); // versand_oversized
    s.bind(i++, o.heavy); // versand_heavy_weight
    s.bind(i++, o.palette); // versand_nicht_stapelbare_palette
    s.bind(i++, o.samstag); // zustellung_samstags
    s.bind(i++, false); // abholung_samstags
    s.bind(i++, false); // gebuehr_fuer_zusaetzliche_handhabung
    s.bind(i++, o.praemie); // praemie_fuer_transportversicherung
    s.bind(i++, o.betragPraemie);
    s.bind(i++, false); // gebuehr_fuer_erstellung_einer_ae
    s.bind(i++, false); // gebuehr_fuer_kein_envelope
    s.bind(i++, o.zeitfenster); // zeitfensterzustellung
    s.bind(i++, o.betragZeitfenster);
    s.bind(i++, isoUtcMillis(daysBeforeNow(o.daysAgo)));
    s.run();
    return db.lastInsertId();
}

} // namespace

bool seedDemo(Db &db)
{
    if (db.meta("demo_seeded"))
        return false;
    Transaction tx(db);
    setUser(db, kDemoUser, kDemoPassword, "Erika", "Mustermann");

    std::vector<std::int64_t> customerIds;
    for (const auto &c : kCustomers) {
        std::optional<std::int64_t> commercialId;
        if (c.company) {
            db.prepare("INSERT INTO customer_commercial(company, vatid, fuel_surcharge, contact_person) "
                       "VALUES (?, ?, ?, ?)")
                .bind(1, c.company)
                .bind(2, c.vatid)
                .bind(3, c.fuel)
                .bind(4, c.contact)
                .run();
            commercialId = db.lastInsertId();
        }
        const std::string email = mailPart(c.surname) + "." + mailPart(c.lastname) + "@example.de";
        std::string fax = c.company ? std::string(c.phone) + "-99" : std::string();
        db.prepare("INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
                   "address_province, address_country, phone, fax, email, info, commercialability, commercial_id) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(1, c.surname)
            .bind(2, c.lastname)
            .bind(3, c.street)
            .bind(4, c.zipcode)
            .bind(5, c.town)
            .bind(6, c.province)
            .bind(7, c.country)
            .bind(8, c.phone)
            .bind(9, fax)
            .bind(10, email)
            .bind(11, c.info)
            .bind(12, c.company != nullptr)
            .bind(13, commercialId)
            .run();
        customerIds.push_back(db.lastInsertId());
    }

    // Orders: customers 3, 21 and 25 get some billed, the rest stay open.
    std::vector<DemoOrder> orders = {
        {1, 2, "B-24017", "Schmidt privat", "Dokumente Notar", "0,5", 3, 0, 3, 1, "24,90", "14,20"},
        {2, 3, "B-24018", "Umzug Teil 1", "Umzugskartons", "38", 1, 3, 3, 1, "59,00", "37,50"},
        {2, 1, "B-24021", "Umzug Teil 2", "Fahrrad im Karton", "21,5", 1, 3, 3, 1, "42,00", "26,80", true},
        {3, 9, "B-24002", "Geschenk", "Weinpaket 6 Flaschen", "11", 2, 3, 3, 3, "45,80", "28,00"},
        {21, 12, "B-23990", "LL-4471", "Ersatzteile Palette", "320", 6, 2, 0, 1, "189,00", "121,50", true, false, true},
        {21, 4, "B-24011", "LL-4502", "Zollpapiere Export", "0,3", 12, 5, 0, 2, "64,20", "41,00", false, false, false,
            false, true, false, "5,50"},
        {21, 1, "B-24022", "LL-4519", "Maschinenteile Import", "640", 10, 6, 1, 1, "412,00", "298,00", false, true,
            true},
        {22, 5, "B-24009", "ST-0815", "Stoffmuster Übersee", "4,2", 11, 2, 2, 2, "76,40", "51,00"},
        {22, 2, "B-24019", "ST-0822", "Musterkollektion Herbst", "16", 3, 1, 3, 1, 38.5, 22},
        {23, 6, "B-24006", "WE-2024-17", "Messeausstattung Nürnberg", "85", 16, 1, 4, 1, "1.250,00", "890,00", false,
            false, false, false, false, true, "", "35,00"},
        {23, 2, "B-24020", "WE-2024-18", "Laborproben eilig", "1,2", 15, 4, 3, 1, "98,00", "60,00", false, false, false,
            true},
        {24, 3, "B-24016", "MF-311", "Feinkost Kühlbox", "14", 4, 4, 3, 3, "67,30", "44,10"},
        {25, 20, "B-23971", "KM-88", "Getriebe zur Reparatur", "95", 10, 6, 3, 1, "168,00", "119,00", false, true},
        {25, 18, "B-23975", "KM-89", "Ersatzwelle", "42", 6, 2, 3, 1, "96,50", "61,00"},
        {25, 15, "B-23981", "KM-93", "Steuerung Export Schweiz", "7,5", 11, 5, 2, 2, "143,20", "98,70"},
        {26, 7, "B-24004", "LB-1200", "Bücherpaket Leipzig-Wien", "9,5", 0, 3, 0, 1, "15,90", "8,40"},
        {27, 4, "B-24012", "KS-77", "Sportartikel Muster", "6", 2, 3, 3, 1, "22,40", "13,10"},
    };
    std::vector<std::int64_t> orderIds;
    for (const auto &o : orders)
        orderIds.push_back(insertOrder(db, customerIds, o));

    // Billed through the same checkout the client uses.
    const std::string origin = "http://localhost";
    confirmPreview(db, previewSingle(db, orderIds[3])["id"].get<std::int64_t>(), origin); // customer 3
    confirmPreview(db, previewSingle(db, orderIds[4])["id"].get<std::int64_t>(), origin); // customer 21
    confirmPreview(db, previewMultiple(db, customerIds[24], 1000)["id"].get<std::int64_t>(), origin); // customer 25

    // Warehouse: categories, article groups, one generated and one open
    // delivery order.
    const char *const categories[] = {"Textilien", "Schuhe", "Elektronik", "Haushalt"};
    std::vector<std::int64_t> categoryIds;
    for (const char *name : categories) {
        db.prepare("INSERT INTO categories(name) VALUES (?)").bind(1, name).run();
        categoryIds.push_back(db.lastInsertId());
    }
    struct Group
    {
        const char *name, *no, *farbe, *size, *typ;
        int quantity;
        const char *lager;
        int category, customer;
    };
    const Group groups[] = {
        {"Winterjacke Nordkap", "WJ-1001", "Dunkelblau", "L", "Jacke", 100, "A-01-03", 0, 22},
        {"Winterjacke Nordkap", "WJ-1002", "Rot", "M", "Jacke", 70, "A-01-04", 0, 22},
        {"Laufschuh Sprint", "LS-220", "Weiß", "42", "Sportschuh", 48, "B-02-01", 1, 27},
        {"Wanderstiefel Alpin", "WS-310", "Braun", "44", "Stiefel", 34, "B-02-05", 1, 27},
        {"USB-C Ladegerät 65 W", "EL-6501", "Schwarz", "-", "Netzteil", 250, "C-05-02", 2, 23},
        {"Funkkopfhörer Klang", "EL-7730", "Grau", "-", "Kopfhörer", 90, "C-05-07", 2, 23},
        {"Kaffeebecher Hafen", "HH-015", "Creme", "0,3 l", "Becher", 300, "D-01-01", 3, 24},
        {"Geschirrtuch Leinen", "HH-042", "Natur", "50x70", "Textil", 500, "D-01-06", 3, 24},
    };
    std::vector<std::int64_t> groupIds;
    for (const auto &g : groups) {
        db.prepare("INSERT INTO articlegroups(articlename, articleno, farbe, size, typ, quantity, storage_location, "
                   "category_id, customer_id) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(1, g.name)
            .bind(2, g.no)
            .bind(3, g.farbe)
            .bind(4, g.size)
            .bind(5, g.typ)
            .bind(6, g.quantity)
            .bind(7, g.lager)
            .bind(8, categoryIds.at(static_cast<std::size_t>(g.category)))
            .bind(9, customerIds.at(static_cast<std::size_t>(g.customer - 1)))
            .run();
        groupIds.push_back(db.lastInsertId());
    }
    auto deliveryOrder = [&](int number, int customer, bool created, int days) {
        auto s = db.prepare("INSERT INTO deliveryorders(id, deliveryorders_no, delivery_date, created, customer_id, "
                            "generated_at) VALUES (?1, ?1, ?2, ?3, ?4, ?5)");
        s.bind(1, number)
            .bind(2, isoUtcMillis(daysBeforeNow(days)))
            .bind(3, created)
            .bind(4, customerIds.at(customer - 1));
        if (created)
            s.bind(5, isoUtcMillis(daysBeforeNow(days)));
        else
            s.bindNull(5);
        s.run();
    };
    auto booking = [&](const char *ean, int quantity, std::size_t group, int number) {
        db.prepare("INSERT INTO articleinventory(eanno, quantity, articlegroup_id, deliveryorder_no) "
                   "VALUES (?, ?, ?, ?)")
            .bind(1, ean)
            .bind(2, quantity)
            .bind(3, groupIds.at(group))
            .bind(4, number)
            .run();
    };
    deliveryOrder(1, 22, true, 6);
    booking("4006381333931", 20, 0, 1);
    booking("4006381333948", 10, 1, 1);
    deliveryOrder(2, 27, false, 0);
    booking("4012345000017", 12, 2, 2);
    booking("4012345000024", 6, 3, 2);

    db.setMeta("demo_seeded", nowIso());
    tx.commit();
    return true;
}

} // namespace vx
