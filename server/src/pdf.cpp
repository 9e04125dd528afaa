#include "pdf.h"

#include <hpdf.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <stdexcept>

#include "money.h"

namespace vx {

std::string utf8ToCp1252(const std::string &s)
{
    // Code points 0x80-0x9F of Windows-1252 that differ from Latin-1.
    struct Extra
    {
        std::uint32_t cp;
        unsigned char byte;
    };
    static const Extra extras[] = {{0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
        {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96},
        {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C}, {0x017E, 0x9E},
        {0x0178, 0x9F}, {0x1E9E, 0xDF} /* capital sharp s as ß */};
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::uint32_t cp = 0;
        int len = 0;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        bool valid = i + static_cast<std::size_t>(len) <= s.size();
        for (int k = 1; valid && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(len);
        if (cp < 0x20) {
            out += ' '; // control characters (tabs, line breaks) would not render
        } else if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
        } else {
            char mapped = '?';
            for (const auto &e : extras)
                if (e.cp == cp)
                    mapped = static_cast<char>(e.byte);
            out += mapped;
        }
    }
    return out;
}

namespace {

constexpr float kLeft = 56.0f;
constexpr float kRight = 539.0f;
constexpr float kTop = 800.0f;
constexpr float kBottom = 110.0f; // rows stop here; the footer lies below

const char *const kCompany = "Vendrix Kurier & Logistik GmbH";
const char *const kCompanyLine = "Hafenstraße 12 · 20457 Hamburg · Tel. 040 5550 1200 · buero@vendrix.example";
const char *const kFooter1 = "Vendrix Kurier & Logistik GmbH · Geschäftsführung: Erika Mustermann · "
                             "Amtsgericht Hamburg HRB 000000 · USt-IdNr. DE000000000";
const char *const kFooter2 =
    "Bankverbindung: Beispielbank Hamburg · IBAN DE00 0000 0000 0000 0000 00 · BIC XXXXDEXXXXX";

// A small drawing surface over libharu that collects its errors instead of
// jumping out of C code.
class Canvas
{
public:
    explicit Canvas(const std::string &title)
    {
        doc_ = HPDF_New(&Canvas::onError, this);
        if (!doc_)
            throw std::runtime_error("cannot create PDF document");
        HPDF_SetCompressionMode(doc_, HPDF_COMP_ALL);
        regular_ = HPDF_GetFont(doc_, "Helvetica", "WinAnsiEncoding");
        bold_ = HPDF_GetFont(doc_, "Helvetica-Bold", "WinAnsiEncoding");
        HPDF_SetInfoAttr(doc_, HPDF_INFO_CREATOR, "vendrix-server");
        HPDF_SetInfoAttr(doc_, HPDF_INFO_TITLE, utf8ToCp1252(title).c_str());
        std::time_t t = std::time(nullptr);
        std::tm tm {};
        gmtime_r(&t, &tm);
        HPDF_Date d {};
        d.year = tm.tm_year + 1900;
        d.month = tm.tm_mon + 1;
        d.day = tm.tm_mday;
        d.hour = tm.tm_hour;
        d.minutes = tm.tm_min;
        d.seconds = tm.tm_sec;
        d.ind = 'Z';
        HPDF_SetInfoDateAttr(doc_, HPDF_INFO_CREATION_DATE, d);
        newPage();
    }
    ~Canvas() { HPDF_Free(doc_); }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    void newPage()
    {
        page_ = HPDF_AddPage(doc_);
        HPDF_Page_SetSize(page_, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
        pages_.push_back(page_);
    }
    std::size_t pageCount() const { return pages_.size(); }
    void usePage(std::size_t i) { page_ = pages_.at(i); }

    float width(const std::string &cp1252, float size, bool bold) const
    {
        if (cp1252.empty())
            return 0;
        const HPDF_TextWidth w = HPDF_Font_TextWidth(bold ? bold_ : regular_,
            reinterpret_cast<const HPDF_BYTE *>(cp1252.c_str()), static_cast<HPDF_UINT>(cp1252.size()));
        return static_cast<float>(w.width) * size / 1000.0f;
    }

    // Shortens text to a width, ending it with an ellipsis. Whatever its
    // length: no glyph is narrower than a tenth of the font size, so only
    // the first characters that could fit are measured, and the cut is
    // found by halving.
    std::string fit(const std::string &utf8, float maxWidth, float size, bool bold = false) const
    {
        std::string t = utf8ToCp1252(utf8);
        const auto mostThatFit = static_cast<std::size_t>(maxWidth / (size * 0.1f)) + 2;
        if (t.size() <= mostThatFit && width(t, size, bold) <= maxWidth)
            return t;
        t.resize(std::min(t.size(), mostThatFit));
        const std::string ellipsis = "\x85";
        std::size_t lo = 0, hi = t.size();
        while (lo < hi) {
            const std::size_t mid = (lo + hi + 1) / 2;
            if (width(t.substr(0, mid) + ellipsis, size, bold) <= maxWidth)
                lo = mid;
            else
                hi = mid - 1;
        }
        return t.substr(0, lo) + ellipsis;
    }

    // Texts of the page's own layout; cut to the page width like any other.
    void text(float x, float y, const std::string &utf8, float size, bool bold = false)
    {
        drawRaw(x, y, fit(utf8, kRight - x, size, bold), size, bold);
    }
    void textRight(float xRight, float y, const std::string &utf8, float size, bool bold = false)
    {
        const std::string t = fit(utf8, xRight - kLeft, size, bold);
        drawRaw(xRight - width(t, size, bold), y, t, size, bold);
    }
    void drawRaw(float x, float y, const std::string &cp1252, float size, bool bold = false)
    {
        if (cp1252.empty())
            return;
        HPDF_Page_BeginText(page_);
        HPDF_Page_SetFontAndSize(page_, bold ? bold_ : regular_, size);
        HPDF_Page_TextOut(page_, x, y, cp1252.c_str());
        HPDF_Page_EndText(page_);
    }
    void line(float x1, float y1, float x2, float y2, float w = 0.5f)
    {
        HPDF_Page_SetLineWidth(page_, w);
        HPDF_Page_MoveTo(page_, x1, y1);
        HPDF_Page_LineTo(page_, x2, y2);
        HPDF_Page_Stroke(page_);
    }

    std::string save()
    {
        HPDF_SaveToStream(doc_);
        checkErrors();
        std::string out(HPDF_GetStreamSize(doc_), '\0');
        HPDF_UINT32 size = static_cast<HPDF_UINT32>(out.size());
        HPDF_ReadFromStream(doc_, reinterpret_cast<HPDF_BYTE *>(out.data()), &size);
        out.resize(size);
        checkErrors();
        return out;
    }

private:
    static void onError(HPDF_STATUS error, HPDF_STATUS detail, void *user)
    {
        auto *self = static_cast<Canvas *>(user);
        if (self->error_.empty()) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "libharu error 0x%04X (detail %u)", static_cast<unsigned>(error),
                static_cast<unsigned>(detail));
            self->error_ = buf;
        }
    }
    void checkErrors() const
    {
        if (!error_.empty())
            throw std::runtime_error(error_);
    }

    HPDF_Doc doc_ = nullptr;
    HPDF_Page page_ = nullptr;
    HPDF_Font regular_ = nullptr;
    HPDF_Font bold_ = nullptr;
    std::vector<HPDF_Page> pages_;
    std::string error_;
};

// Letterhead, recipient block and the document's key data on the right.
float drawHead(Canvas &c, const std::string &title, const std::vector<std::pair<std::string, std::string>> &facts,
    const std::vector<std::string> &address)
{
    c.text(kLeft, kTop, kCompany, 16, true);
    c.text(kLeft, kTop - 14, kCompanyLine, 8);
    c.line(kLeft, kTop - 22, kRight, kTop - 22, 0.8f);

    float y = 712;
    c.text(kLeft, y + 14, "Vendrix Kurier & Logistik GmbH · Hafenstraße 12 · 20457 Hamburg", 6.5f);
    for (const auto &l : address) {
        c.drawRaw(kLeft, y, c.fit(l, 250, 10), 10);
        y -= 13;
    }

    c.text(360, 712, title, 14, true);
    float fy = 694;
    for (const auto &[label, value] : facts) {
        c.text(360, fy, label, 9);
        c.textRight(kRight, fy, value, 9, true);
        fy -= 12;
    }
    return std::min(y, fy) - 24;
}

void drawFooters(Canvas &c)
{
    const std::size_t n = c.pageCount();
    for (std::size_t i = 0; i < n; ++i) {
        c.usePage(i);
        c.line(kLeft, 62, kRight, 62, 0.5f);
        c.text(kLeft, 50, kFooter1, 6.5f);
        c.text(kLeft, 41, kFooter2, 6.5f);
        c.textRight(kRight, 28, "Seite " + std::to_string(i + 1) + " von " + std::to_string(n), 7);
    }
}

struct Column
{
    const char *title;
    float x;
    float width;
    bool right;
};

void drawTableHeader(Canvas &c, const std::vector<Column> &cols, float y)
{
    for (const auto &col : cols) {
        if (col.right)
            c.textRight(col.x + col.width, y, col.title, 8.5f, true);
        else
            c.text(col.x, y, col.title, 8.5f, true);
    }
    c.line(kLeft, y - 4, kRight, y - 4, 0.6f);
}

void drawRow(Canvas &c, const std::vector<Column> &cols, const std::vector<std::string> &cells, float y)
{
    for (std::size_t i = 0; i < cols.size() && i < cells.size(); ++i) {
        const auto &col = cols[i];
        const std::string t = c.fit(cells[i], col.width, 8.5f);
        if (col.right)
            c.drawRaw(col.x + col.width - c.width(t, 8.5f, false), y, t, 8.5f);
        else
            c.drawRaw(col.x, y, t, 8.5f);
    }
}

// Rows of a table that continues on new pages; returns the y below it.
float drawTable(Canvas &c, const std::vector<Column> &cols, const std::vector<std::vector<std::string>> &rows, float y)
{
    constexpr float rowHeight = 13;
    drawTableHeader(c, cols, y);
    y -= 17;
    for (const auto &row : rows) {
        if (y < kBottom) {
            c.newPage();
            y = kTop;
            c.text(kLeft, y, kCompany, 9, true);
            y -= 24;
            drawTableHeader(c, cols, y);
            y -= 17;
        }
        drawRow(c, cols, row, y);
        y -= rowHeight;
    }
    c.line(kLeft, y + 8, kRight, y + 8, 0.6f);
    return y - 8;
}

// Keeps a block of the given height on one page.
float ensureRoom(Canvas &c, float y, float height)
{
    if (y - height >= kBottom)
        return y;
    c.newPage();
    return kTop;
}

} // namespace

std::string renderInvoice(const InvoiceDocument &doc)
{
    Canvas c("Rechnung " + doc.invoiceNo);
    std::vector<std::pair<std::string, std::string>> facts = {
        {"Rechnungsnummer", doc.invoiceNo},
        {"Rechnungsdatum", doc.issuedDate},
        {"Kundennummer", doc.customerNo},
    };
    if (!doc.customerVatId.empty())
        facts.emplace_back("USt-IdNr. Kunde", doc.customerVatId);
    float y = drawHead(c, "Rechnung", facts, doc.address);

    c.text(kLeft, y, "Sehr geehrte Damen und Herren,", 10);
    y -= 14;
    c.text(kLeft, y, "für unsere Leistungen erlauben wir uns, Ihnen Folgendes in Rechnung zu stellen:", 10);
    y -= 26;

    const std::vector<Column> cols = {
        {"Pos.", kLeft, 22, false},
        {"Datum", 80, 50, false},
        {"Beleg-Nr.", 132, 58, false},
        {"Beschreibung", 192, 140, false},
        {"Service", 334, 72, false},
        {"Richtung", 408, 52, false},
        {"USt", 462, 24, true},
        {"Netto EUR", 490, 49, true},
    };
    std::vector<std::vector<std::string>> rows;
    int pos = 1;
    for (const auto &p : doc.positions)
        rows.push_back({std::to_string(pos++), p.datum, p.belegnummer, p.text, p.service, p.richtung, p.tax,
            formatMoneyDe(p.netCents)});
    y = drawTable(c, cols, rows, y);

    y = ensureRoom(c, y - 10, 20.0f * static_cast<float>(doc.rates.size()) * 3 + 60);
    y -= 10;
    for (const auto &r : doc.rates) {
        const std::string rate = std::to_string(r.rate) + " %";
        c.text(330, y, "Nettobetrag " + rate, 9);
        c.textRight(kRight, y, formatMoneyDe(r.net) + " €", 9);
        y -= 12;
        c.text(330, y, "Umsatzsteuer " + rate, 9);
        c.textRight(kRight, y, formatMoneyDe(r.tax) + " €", 9);
        y -= 12;
        c.text(330, y, "Summe " + rate, 9, true);
        c.textRight(kRight, y, formatMoneyDe(r.sum) + " €", 9, true);
        y -= 18;
    }
    c.line(330, y + 8, kRight, y + 8, 0.8f);
    y -= 6;
    c.text(330, y, "Gesamtbetrag", 11, true);
    c.textRight(kRight, y, formatMoneyDe(doc.totalCents) + " €", 11, true);
    y -= 30;

    y = ensureRoom(c, y, 40);
    c.text(kLeft, y, "Zahlbar innerhalb von 14 Tagen nach Rechnungsdatum ohne Abzug.", 9);
    y -= 12;
    c.text(kLeft, y, "Bitte geben Sie bei der Zahlung die Rechnungsnummer " + doc.invoiceNo + " an.", 9);

    drawFooters(c);
    return c.save();
}

std::string renderDeliveryNote(const DeliveryNote &note)
{
    const std::string no = std::to_string(note.number);
    Canvas c("Lieferschein " + no);
    float y = drawHead(c, "Lieferschein",
        {{"Lieferschein-Nr.", no}, {"Lieferdatum", note.date}, {"Kundennummer", note.customerNo}}, note.address);

    c.text(kLeft, y, "Wir haben folgende Artikel für Sie eingelagert:", 10);
    y -= 26;

    const std::vector<Column> cols = {
        {"Pos.", kLeft, 22, false},
        {"Artikel", 80, 120, false},
        {"Art.-Nr.", 202, 60, false},
        {"Typ", 264, 60, false},
        {"Farbe", 326, 50, false},
        {"Größe", 378, 36, false},
        {"EAN", 416, 84, false},
        {"Menge", 502, 37, true},
    };
    std::vector<std::vector<std::string>> rows;
    std::int64_t pieces = 0;
    int pos = 1;
    for (const auto &l : note.lines) {
        rows.push_back({std::to_string(pos++), l.articlename, l.articleno, l.typ, l.farbe, l.size, l.ean,
            std::to_string(l.quantity)});
        pieces += l.quantity;
    }
    y = drawTable(c, cols, rows, y);
    y = ensureRoom(c, y - 6, 60);
    c.text(330, y - 6, "Stück gesamt", 10, true);
    c.textRight(kRight, y - 6, std::to_string(pieces), 10, true);
    y -= 50;
    c.text(kLeft, y, "Ware vollständig und in einwandfreiem Zustand erhalten:", 9);
    c.line(kLeft, y - 30, 250, y - 30, 0.5f);
    c.text(kLeft, y - 40, "Datum, Unterschrift", 7);

    drawFooters(c);
    return c.save();
}

} // namespace vx
