#include "seed.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "clock.h"
#include "money.h"
#include "records.h"

namespace vx {

namespace {

// splitmix64: small, fast, and the same sequence on every platform (the
// standard library's distributions are not).
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state_(seed) { }

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    std::int64_t below(std::int64_t n) { return n <= 1 ? 0 : static_cast<std::int64_t>(next() % std::uint64_t(n)); }
    // lo .. hi, both included
    std::int64_t between(std::int64_t lo, std::int64_t hi) { return lo + below(hi - lo + 1); }
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }
    template<typename T, std::size_t N>
    const T &pick(const T (&items)[N])
    {
        return items[below(N)];
    }
    // An index into weights, each chosen in proportion to its weight.
    template<typename Weights>
    std::size_t weighted(const Weights &weights)
    {
        std::int64_t total = 0;
        for (int w : weights)
            total += w;
        std::int64_t r = below(total);
        std::size_t i = 0;
        for (int w : weights) {
            r -= w;
            if (r < 0)
                return i;
            ++i;
        }
        return i - 1;
    }

private:
    std::uint64_t state_;
};

// Countries by their id in the client's country catalogue.
struct Country
{
    int id;
    int zipDigits;
    const char *topLevelDomain;
    const char *vatPrefix;
    int vatDigits;
    bool writesSharpS; // Swiss German writes "ss"
};
const Country kGermany {36, 5, ".de", "DE", 9, true};
const Country kAustria {132, 4, ".at", "ATU", 8, true};
const Country kSwitzerland {174, 4, ".ch", "CHE", 8, false};

struct Town
{
    const char *name, *province;
    int zipFirst, zipCount; // postcodes zipFirst .. zipFirst + zipCount - 1
    const char *areaCode;
    int weight; // how many customers live there, relatively
    const Country &country;
};

const Town kTowns[] = {
    {"Berlin", "Berlin", 10115, 4000, "030", 36, kGermany},
    {"Hamburg", "Hamburg", 20095, 2500, "040", 18, kGermany},
    {"München", "Bayern", 80331, 1600, "089", 15, kGermany},
    {"Köln", "Nordrhein-Westfalen", 50667, 1300, "0221", 11, kGermany},
    {"Frankfurt am Main", "Hessen", 60306, 700, "069", 8, kGermany},
    {"Stuttgart", "Baden-Württemberg", 70173, 450, "0711", 6, kGermany},
    {"Düsseldorf", "Nordrhein-Westfalen", 40210, 420, "0211", 6, kGermany},
    {"Leipzig", "Sachsen", 4103, 250, "0341", 6, kGermany},
    {"Dortmund", "Nordrhein-Westfalen", 44135, 250, "0231", 6, kGermany},
    {"Essen", "Nordrhein-Westfalen", 45127, 230, "0201", 6, kGermany},
    {"Bremen", "Bremen", 28195, 600, "0421", 6, kGermany},
    {"Dresden", "Sachsen", 1067, 260, "0351", 6, kGermany},
    {"Hannover", "Niedersachsen", 30159, 510, "0511", 5, kGermany},
    {"Nürnberg", "Bayern", 90402, 90, "0911", 5, kGermany},
    {"Duisburg", "Nordrhein-Westfalen", 47051, 230, "0203", 5, kGermany},
    {"Bochum", "Nordrhein-Westfalen", 44787, 100, "0234", 4, kGermany},
    {"Wuppertal", "Nordrhein-Westfalen", 42103, 290, "0202", 4, kGermany},
    {"Bielefeld", "Nordrhein-Westfalen", 33602, 130, "0521", 3, kGermany},
    {"Bonn", "Nordrhein-Westfalen", 53111, 120, "0228", 3, kGermany},
    {"Münster", "Nordrhein-Westfalen", 48143, 25, "0251", 3, kGermany},
    {"Mannheim", "Baden-Württemberg", 68159, 150, "0621", 3, kGermany},
    {"Karlsruhe", "Baden-Württemberg", 76131, 100, "0721", 3, kGermany},
    {"Augsburg", "Bayern", 86150, 50, "0821", 3, kGermany},
    {"Wiesbaden", "Hessen", 65183, 20, "0611", 3, kGermany},
    {"Mönchengladbach", "Nordrhein-Westfalen", 41061, 180, "02161", 3, kGermany},
    {"Aachen", "Nordrhein-Westfalen", 52062, 20, "0241", 2, kGermany},
    {"Braunschweig", "Niedersachsen", 38100, 30, "0531", 2, kGermany},
    {"Kiel", "Schleswig-Holstein", 24103, 50, "0431", 2, kGermany},
    {"Chemnitz", "Sachsen", 9111, 20, "0371", 2, kGermany},
    {"Halle (Saale)", "Sachsen-Anhalt", 6108, 30, "0345", 2, kGermany},
    {"Magdeburg", "Sachsen-Anhalt", 39104, 30, "0391", 2, kGermany},
    {"Freiburg im Breisgau", "Baden-Württemberg", 79098, 20, "0761", 2, kGermany},
    {"Mainz", "Rheinland-Pfalz", 55116, 15, "06131", 2, kGermany},
    {"Lübeck", "Schleswig-Holstein", 23552, 20, "0451", 2, kGermany},
    {"Erfurt", "Thüringen", 99084, 15, "0361", 2, kGermany},
    {"Rostock", "Mecklenburg-Vorpommern", 18055, 20, "0381", 2, kGermany},
    {"Kassel", "Hessen", 34117, 20, "0561", 2, kGermany},
    {"Saarbrücken", "Saarland", 66111, 20, "0681", 2, kGermany},
    {"Potsdam", "Brandenburg", 14467, 20, "0331", 2, kGermany},
    {"Oldenburg", "Niedersachsen", 26121, 20, "0441", 1, kGermany},
    {"Osnabrück", "Niedersachsen", 49074, 20, "0541", 1, kGermany},
    {"Heidelberg", "Baden-Württemberg", 69115, 11, "06221", 1, kGermany},
    {"Regensburg", "Bayern", 93047, 12, "0941", 1, kGermany},
    {"Würzburg", "Bayern", 97070, 12, "0931", 1, kGermany},
    {"Göttingen", "Niedersachsen", 37073, 10, "0551", 1, kGermany},
    {"Ulm", "Baden-Württemberg", 89073, 8, "0731", 1, kGermany},
    {"Schwerin", "Mecklenburg-Vorpommern", 19053, 10, "0385", 1, kGermany},
    {"Jena", "Thüringen", 7743, 10, "03641", 1, kGermany},
    {"Cottbus", "Brandenburg", 3046, 10, "0355", 1, kGermany},
    {"Tübingen", "Baden-Württemberg", 72070, 6, "07071", 1, kGermany},
    {"Lüneburg", "Niedersachsen", 21335, 5, "04131", 1, kGermany},
    {"Görlitz", "Sachsen", 2826, 2, "03581", 1, kGermany},
    {"Bad Tölz", "Bayern", 83646, 1, "08041", 1, kGermany},
    {"Wien", "Wien", 1010, 230, "+43 1", 5, kAustria},
    {"Graz", "Steiermark", 8010, 50, "+43 316", 2, kAustria},
    {"Linz", "Oberösterreich", 4020, 20, "+43 732", 1, kAustria},
    {"Salzburg", "Salzburg", 5020, 20, "+43 662", 1, kAustria},
    {"Zürich", "Zürich", 8001, 60, "+41 44", 2, kSwitzerland},
    {"Basel", "Basel-Stadt", 4001, 60, "+41 61", 1, kSwitzerland},
    {"Bern", "Bern", 3003, 30, "+41 31", 1, kSwitzerland},
};

const char *const kFemaleNames[] = {"Anna", "Maria", "Sabine", "Claudia", "Petra", "Monika", "Ursula", "Karin",
    "Birgit", "Heike", "Julia", "Katrin", "Nicole", "Anja", "Sandra", "Stefanie", "Andrea", "Susanne", "Christina",
    "Laura", "Lena", "Sophie", "Hannah", "Jana", "Melanie", "Tanja", "Kerstin", "Jutta", "Gisela", "Renate", "Bärbel",
    "Käthe", "Marlene", "Lea", "Emilia", "Franziska", "Charlotte", "Ines"};
const char *const kMaleNames[] = {"Thomas", "Michael", "Andreas", "Stefan", "Frank", "Markus", "Christian", "Peter",
    "Wolfgang", "Klaus", "Jürgen", "Dieter", "Uwe", "Tobias", "Sebastian", "Daniel", "Jan", "Lukas", "Felix",
    "Maximilian", "Jonas", "Tim", "Florian", "Matthias", "Martin", "Ralf", "Björn", "Sören", "Jörg", "Günter", "Horst",
    "Bernd", "Holger", "Oliver", "Alexander", "Niklas", "Moritz", "Simon", "Paul", "Leon"};
const char *const kLastNames[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner", "Becker",
    "Schulz", "Hoffmann", "Schäfer", "Koch", "Bauer", "Richter", "Klein", "Wolf", "Schröder", "Neumann", "Schwarz",
    "Zimmermann", "Braun", "Krüger", "Hofmann", "Hartmann", "Lange", "Schmitt", "Werner", "Schmitz", "Krause", "Meier",
    "Lehmann", "Schmid", "Schulze", "Maier", "Köhler", "Herrmann", "König", "Walter", "Mayer", "Huber", "Kaiser",
    "Fuchs", "Peters", "Lang", "Scholz", "Möller", "Weiß", "Jung", "Hahn", "Schubert", "Vogel", "Friedrich", "Keller",
    "Günther", "Frank", "Berger", "Winkler", "Roth", "Beck", "Lorenz", "Baumann", "Franke", "Albrecht", "Schuster",
    "Simon", "Ludwig", "Böhm", "Winter", "Kraus", "Schumacher", "Krämer", "Vogt", "Stein", "Jäger", "Otto", "Sommer",
    "Groß", "Seidel", "Heinrich", "Brandt", "Haas", "Schreiber", "Graf", "Dietrich", "Ziegler", "Kuhn", "Kühn", "Pohl",
    "Engel", "Horn", "Busch", "Bergmann", "Voigt", "Sauer", "Arnold", "Pfeiffer", "Böttcher", "Müller-Lüdenscheidt"};

const char *const kStreets[] = {"Hauptstraße", "Bahnhofstraße", "Schulstraße", "Gartenstraße", "Dorfstraße",
    "Bergstraße", "Birkenweg", "Lindenstraße", "Kirchstraße", "Waldstraße", "Ringstraße", "Schillerstraße",
    "Goethestraße", "Friedrichstraße", "Jahnstraße", "Wiesenweg", "Mühlenweg", "Am Markt", "Rosenweg", "Buchenweg",
    "Mozartstraße", "Beethovenstraße", "Eichendorffstraße", "Tulpenweg", "Feldstraße", "Industriestraße",
    "Gewerbestraße", "Königstraße", "Kastanienallee", "Uhlandstraße", "Bismarckstraße", "Kantstraße", "Hölderlinweg",
    "Grüner Weg", "Am Sportplatz", "Brückenstraße", "Schützenstraße", "Blumenstraße", "Fröbelstraße", "Mühlgasse",
    "Lessingstraße", "Poststraße", "Talstraße", "Sonnenstraße", "Am Hang", "Weidenweg", "Parkstraße", "Lärchenweg",
    "Schloßallee", "Gänsemarkt"};

const char *const kMailProviders[] = {
    "web.de", "gmx.de", "t-online.de", "gmail.com", "posteo.de", "outlook.de", "freenet.de", "icloud.com"};
const char *const kAustrianMailProviders[] = {"gmx.at", "aon.at", "gmail.com"};
const char *const kSwissMailProviders[] = {"bluewin.ch", "gmx.ch", "gmail.com"};

const char *const kNotes[] = {"Zustellung nur vormittags", "Bitte beim Nachbarn abgeben", "Hinterhaus, 2. OG",
    "Anlieferung über Rampe 3", "Vor Anlieferung bitte anrufen", "Keine Zufahrt für LKW über 7,5 t", "Tor 2 benutzen",
    "Abholung ab 14 Uhr", "Rechnung bitte per E-Mail", "Öffnungszeiten Mo–Fr 8–17 Uhr"};

const char *const kBranches[] = {"Logistik", "Spedition", "Maschinenbau", "Textil", "Elektrotechnik", "Feinkost",
    "Möbel", "Druckerei", "Bau", "Medizintechnik", "Autoteile", "Getränkehandel", "Sportartikel", "Gartenbau",
    "Werkzeugbau", "Metallbau", "Bürobedarf", "Kunststofftechnik", "Schuhhandel", "Versandhandel"};
const char *const kLegalForms[] = {
    "GmbH", "GmbH", "GmbH", "GmbH & Co. KG", "KG", "e.K.", "AG", "OHG", "UG (haftungsbeschränkt)"};
const char *const kPrivateReferences[] = {"privat", "Geschenk", "Umzug", "Retoure", "Reklamation", "Ersatz"};
const char *const kTimeWindowFees[] = {"15,00", "19,90", "25,00", "35,00"};
const char *const kFuelSurcharges[] = {"7,5", "8,0", "9,5", "10,0", "11,0", "12,5", "15,0"};

// What an order carries, and the weights (in kg) it comes in.
struct Goods
{
    const char *text;
    double minKg, maxKg;
};
const Goods kGoods[] = {
    {"Dokumente", 0.1, 1.0},
    {"Vertragsunterlagen", 0.1, 0.8},
    {"Paket Kleidung", 1, 12},
    {"Ersatzteile", 0.5, 25},
    {"Musterkollektion", 2, 20},
    {"Laborproben", 0.2, 3},
    {"Elektronikbauteile", 0.3, 8},
    {"Bücherpaket", 2, 18},
    {"Weinpaket 6 Flaschen", 8, 12},
    {"Messeausstattung", 20, 150},
    {"Maschinenteile", 15, 400},
    {"Palette Getränke", 250, 800},
    {"Palette Fliesen", 400, 900},
    {"Möbel", 30, 120},
    {"Umzugskartons", 10, 60},
    {"Reifensatz", 35, 45},
    {"Medizinische Geräte", 5, 60},
    {"Werkzeugkoffer", 5, 20},
    {"Druckerzeugnisse", 5, 40},
    {"Kühlware Feinkost", 3, 25},
};

// Shipment types by catalogue position (0-18): how often each is chosen,
// and its price as a base plus a rate per kg, in cents.
const int kShipmentWeights[19] = {12, 14, 6, 10, 5, 3, 6, 4, 2, 1, 5, 7, 3, 2, 1, 4, 3, 3, 2};
const int kBaseCents[19] = {
    690, 890, 1190, 1990, 2890, 3990, 2490, 3290, 4190, 5290, 1490, 4990, 6490, 7990, 9490, 8900, 14900, 2500, 1500};
const int kCentsPerKg[19] = {40, 50, 60, 90, 110, 130, 100, 120, 140, 160, 70, 450, 500, 550, 600, 30, 20, 10, 50};
// Heavy goods go by these types only.
const int kHeavyShipments[] = {0, 1, 6, 10, 16, 17, 18};
constexpr int kShippingPartners = 7; // catalogue positions 0-6
constexpr int kExport = 0, kImport = 1, kThirdCountry = 2, kDomestic = 3, kLocal = 4;
// The tax rows of the schema: 19 %, 0 % (the client's choice for worldwide
// express, position 1 of the list), 16 %.
constexpr int kTax19 = 1, kTax0 = 2, kTax16 = 3;

// Order dates fall in the two years before this day (2025-06-30, UTC), so a
// seed gives the same data whenever it runs.
constexpr std::time_t kSeedUntil = 1751241600;
constexpr int kSeedDays = 730;

// A number of `count` digits that does not start with 0 (a subscriber
// number behind an area code, a VAT number).
std::string digits(Rng &rng, int count)
{
    std::string out(1, static_cast<char>('1' + rng.below(9)));
    for (int i = 1; i < count; ++i)
        out += static_cast<char>('0' + rng.below(10));
    return out;
}

std::string zeroPadded(std::int64_t value, int width)
{
    std::string s = std::to_string(value);
    return s.size() < static_cast<std::size_t>(width) ? std::string(width - s.size(), '0') + s : s;
}

// Swiss addresses are written without ß.
std::string withoutSharpS(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "ß") == 0) {
            out += "ss";
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

// "2,5" below 10 kg, whole kilograms above.
std::string weightText(double kg)
{
    if (kg >= 10)
        return std::to_string(static_cast<long>(kg + 0.5));
    const long tenths = std::max(1L, static_cast<long>(kg * 10 + 0.5));
    return std::to_string(tenths / 10) + (tenths % 10 ? "," + std::to_string(tenths % 10) : "");
}

struct SeededCustomer
{
    std::int64_t id;
    bool business;
    std::string reference; // prefix of the business customer's references
};

class Seeder
{
public:
    Seeder(Db &db, std::uint64_t seed) : db_(db), rng_(seed)
    {
        for (const Town &t : kTowns)
            townWeights_.push_back(t.weight);
    }

    SeededCustomer customer()
    {
        const bool female = rng_.chance(0.5);
        const std::string first = female ? rng_.pick(kFemaleNames) : rng_.pick(kMaleNames);
        const std::string last = rng_.pick(kLastNames);
        const Town &town = kTowns[rng_.weighted(townWeights_)];
        const Country &country = town.country;
        const bool business = rng_.chance(0.25);

        std::string street = std::string(rng_.pick(kStreets)) + " " + std::to_string(rng_.between(1, 180));
        if (rng_.chance(0.07))
            street += static_cast<char>('a' + rng_.below(3));
        if (!country.writesSharpS)
            street = withoutSharpS(street);
        const std::string zipcode = zeroPadded(town.zipFirst + rng_.below(town.zipCount), country.zipDigits);
        const bool mobile = !business && country.id == kGermany.id && rng_.chance(0.3);
        const std::string phone = mobile
            ? "01" + std::to_string(rng_.between(51, 79)) + " " + digits(rng_, 7)
            : std::string(town.areaCode) + " " + digits(rng_, static_cast<int>(rng_.between(5, 7)));
        std::string fax;
        std::string email;
        std::optional<std::int64_t> commercialId;
        SeededCustomer seeded {0, business, ""};

        if (business) {
            const std::string branch = rng_.pick(kBranches);
            const std::string form = rng_.pick(kLegalForms);
            std::string company;
            switch (rng_.below(4)) {
            case 0:
                company = last + " & " + rng_.pick(kLastNames) + " " + form;
                break;
            case 1:
                company = branch + " " + town.name + " " + form;
                break;
            default:
                company = last + " " + branch + " " + form;
                break;
            }
            const std::string domain = mailPart(last) + "-" + mailPart(branch) + country.topLevelDomain;
            email = rng_.chance(0.5) ? "info@" + domain : mailPart(first) + "." + mailPart(last) + "@" + domain;
            if (rng_.chance(0.6))
                fax = phone.substr(0, phone.rfind(' ')) + " " + digits(rng_, 5) + "-99";
            const std::string contact =
                rng_.chance(0.3) ? std::string(female ? "Frau " : "Herr ") + last : first + " " + last;
            db_.prepare("INSERT INTO customer_commercial(company, vatid, fuel_surcharge, contact_person) "
                        "VALUES (?, ?, ?, ?)")
                .bind(1, company)
                .bind(2, country.vatPrefix + digits(rng_, country.vatDigits))
                .bind(3, std::string(rng_.pick(kFuelSurcharges)))
                .bind(4, contact)
                .run();
            commercialId = db_.lastInsertId();
            seeded.reference = mailPart(last).substr(0, 2);
            for (auto &ch : seeded.reference)
                ch = static_cast<char>(ch - 32 * (ch >= 'a' && ch <= 'z'));
        } else {
            const std::string provider = country.id == kAustria.id ? rng_.pick(kAustrianMailProviders)
                : country.id == kSwitzerland.id                    ? rng_.pick(kSwissMailProviders)
                                                                   : rng_.pick(kMailProviders);
            email = mailPart(first) + (rng_.chance(0.5) ? "." : "") + mailPart(last)
                + (rng_.chance(0.3) ? std::to_string(rng_.between(1, 99)) : "") + "@" + provider;
        }

        db_.prepare("INSERT INTO customers(surname, lastname, address_street_no, address_zipcode, address_town, "
                    "address_province, address_country, phone, fax, email, info, commercialability, commercial_id) "
                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .bind(1, first)
            .bind(2, last)
            .bind(3, street)
            .bind(4, zipcode)
            .bind(5, town.name)
            .bind(6, town.province)
            .bind(7, country.id)
            .bind(8, phone)
            .bind(9, fax)
            .bind(10, email)
            .bind(11, rng_.chance(0.12) ? std::string(rng_.pick(kNotes)) : std::string())
            .bind(12, business)
            .bind(13, commercialId)
            .run();
        seeded.id = db_.lastInsertId();
        return seeded;
    }

    void order(const SeededCustomer &customer, int daysBefore, std::int64_t number)
    {
        const Goods &goods = rng_.pick(kGoods);
        const double kg = goods.minKg + (goods.maxKg - goods.minKg) * static_cast<double>(rng_.below(1001)) / 1000.0;
        const bool heavy = kg > 150;
        const int shipment = heavy ? rng_.pick(kHeavyShipments) : static_cast<int>(rng_.weighted(kShipmentWeights));
        const bool worldwide = shipment >= 11 && shipment <= 14;
        int direction = kDomestic;
        if (worldwide)
            direction = rng_.chance(0.6) ? kExport : rng_.chance(0.5) ? kImport : kThirdCountry;
        else if (shipment >= 15 && shipment <= 17)
            direction = rng_.chance(0.7) ? kLocal : kDomestic;
        else if (rng_.chance(0.15))
            direction = rng_.chance(0.5) ? kExport : kImport;
        const int tax = worldwide || direction == kExport || direction == kThirdCountry ? kTax0
            : rng_.chance(0.02)                                                         ? kTax16
                                                                                        : kTax19;

        // Sales price rounded up to ten cents; the purchase price is what the
        // shipping partner charges, a good part of it.
        std::int64_t sale = kBaseCents[shipment] + static_cast<std::int64_t>(kCentsPerKg[shipment] * kg);
        sale = (sale + 9) / 10 * 10;
        const std::int64_t purchase = sale * rng_.between(55, 80) / 100;
        const bool insured = rng_.chance(0.06);
        const bool timeWindow = rng_.chance(0.05);

        std::string reference;
        if (customer.business)
            reference = customer.reference + "-" + std::to_string(rng_.between(1000, 9999));
        else if (rng_.chance(0.5))
            reference = rng_.pick(kPrivateReferences);

        const std::time_t day = kSeedUntil - static_cast<std::time_t>(daysBefore) * 86400;
        auto s = db_.prepare(orderInsert());
        int i = 1;
        s.bind(i++, customer.id);
        s.bind(i++, germanDate(day));
        s.bind(i++, "B-" + zeroPadded(number, 6));
        s.bind(i++, reference);
        s.bind(i++, std::string(goods.text));
        s.bind(i++, weightText(kg));
        s.bind(i++, shipment);
        s.bind(i++, static_cast<int>(rng_.below(kShippingPartners)));
        s.bind(i++, direction);
        s.bind(i++, tax);
        s.bind(i++, formatMoneyDe(sale));
        s.bind(i++, formatMoneyDe(purchase));
        s.bind(i++, rng_.chance(0.05)); // zustellung_im_aussengebiet
        s.bind(i++, rng_.chance(0.03)); // abholung_im_aussengebiet
        s.bind(i++, rng_.chance(heavy ? 0.3 : 0.03)); // versand_oversized
        s.bind(i++, kg > 70 && rng_.chance(0.5)); // versand_heavy_weight
        s.bind(i++, heavy && rng_.chance(0.2)); // versand_nicht_stapelbare_palette
        s.bind(i++, rng_.chance(0.03)); // zustellung_samstags
        s.bind(i++, rng_.chance(0.02)); // abholung_samstags
        s.bind(i++, rng_.chance(0.04)); // gebuehr_fuer_zusaetzliche_handhabung
        s.bind(i++, insured);
        s.bind(i++, insured ? formatMoneyDe(std::max<std::int64_t>(250, (sale / 50 + 9) / 10 * 10)) : std::string());
        s.bind(i++, rng_.chance(0.02)); // gebuehr_fuer_erstellung_einer_ae
        s.bind(i++, rng_.chance(0.01)); // gebuehr_fuer_kein_envelope
        s.bind(i++, timeWindow);
        s.bind(i++, timeWindow ? std::string(rng_.pick(kTimeWindowFees)) : std::string());
        s.bind(i++, isoUtc(day + rng_.between(7 * 3600, 18 * 3600)));
        s.run();
    }

    Rng &rng() { return rng_; }

private:
    Db &db_;
    Rng rng_;
    std::vector<int> townWeights_;
};

std::vector<SeededCustomer> existingCustomers(Db &db)
{
    std::vector<SeededCustomer> out;
    auto s = db.prepare("SELECT id, commercialability FROM customers ORDER BY id");
    while (s.step())
        out.push_back(SeededCustomer {s.getInt("id"), s.getBool("commercialability"), "KD"});
    return out;
}

} // namespace

std::string mailPart(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0xC3 && i + 1 < s.size()) {
            switch (static_cast<unsigned char>(s[++i])) {
            case 0xA4:
            case 0x84:
                out += "ae";
                break;
            case 0xB6:
            case 0x96:
                out += "oe";
                break;
            case 0xBC:
            case 0x9C:
                out += "ue";
                break;
            case 0x9F:
                out += "ss";
                break;
            default:
                break;
            }
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c + 32);
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        }
    }
    return out;
}

SeedResult seedDatabase(Db &db, const SeedRequest &request)
{
    SeedResult result;
    if (request.customers <= 0 && request.orders <= 0)
        return result;
    const std::string mark = "seeded_" + std::to_string(request.seed);
    if (db.meta(mark))
        return result;

    Transaction tx(db);
    Seeder seeder(db, request.seed);
    std::vector<SeededCustomer> customers;
    customers.reserve(static_cast<std::size_t>(std::max<std::int64_t>(request.customers, 0)));
    for (std::int64_t i = 0; i < request.customers; ++i) {
        customers.push_back(seeder.customer());
        result.businessCustomers += customers.back().business;
    }
    result.customers = request.customers;

    if (request.orders > 0) {
        if (customers.empty())
            customers = existingCustomers(db);
        if (customers.empty())
            throw std::runtime_error("orders need customers: seed some with --seed-customers");
        std::vector<SeededCustomer> business;
        for (const auto &c : customers)
            if (c.business)
                business.push_back(c);
        // Oldest first, so that record ids follow the order dates.
        std::vector<int> days(static_cast<std::size_t>(request.orders));
        for (auto &d : days)
            d = static_cast<int>(seeder.rng().below(kSeedDays));
        std::sort(days.begin(), days.end(), std::greater<int>());
        // Business customers send more than private ones.
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto &customer = !business.empty() && seeder.rng().chance(0.6)
                ? business[static_cast<std::size_t>(seeder.rng().below(static_cast<std::int64_t>(business.size())))]
                : customers[static_cast<std::size_t>(seeder.rng().below(static_cast<std::int64_t>(customers.size())))];
            seeder.order(customer, days[i], static_cast<std::int64_t>(i + 1));
        }
        result.orders = request.orders;
    }
    db.setMeta(mark,
        std::to_string(result.customers) + " customers, " + std::to_string(result.orders) + " orders, " + nowIso());
    tx.commit();
    // On PostgreSQL, what autovacuum would do some time later: the planner
    // learns of the new rows, and the new index entries leave the trigram
    // indexes' pending lists, which every search reads through.
    if (db.engine() == Engine::Postgres)
        db.exec("VACUUM ANALYZE");
    result.seeded = true;
    return result;
}

} // namespace vx
