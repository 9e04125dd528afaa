// PDF documents of the business: invoices and delivery notes, drawn with
// libharu's standard fonts in the Windows-1252 encoding (German umlauts, ß
// and € render; other characters become '?').
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vx {

std::string utf8ToCp1252(const std::string &utf8);

struct InvoicePosition
{
    std::string datum;
    std::string belegnummer;
    std::string text;
    std::string service;
    std::string richtung;
    std::string tax;
    std::int64_t netCents = 0;
};

struct InvoiceRateLine
{
    int rate;
    std::int64_t net, tax, sum;
};

struct InvoiceDocument
{
    std::string invoiceNo;
    std::string issuedDate; // dd.MM.yyyy
    std::string customerNo;
    std::string customerVatId;
    std::vector<std::string> address; // recipient block, line by line
    std::vector<InvoicePosition> positions;
    std::vector<InvoiceRateLine> rates;
    std::int64_t totalCents = 0;
};

struct DeliveryNoteLine
{
    std::string articlename, articleno, typ, farbe, size, ean;
    std::int64_t quantity = 0;
};

struct DeliveryNote
{
    std::int64_t number = 0;
    std::string date; // dd.MM.yyyy
    std::string customerNo;
    std::vector<std::string> address;
    std::vector<DeliveryNoteLine> lines;
};

// Both throw std::runtime_error when libharu reports a failure.
std::string renderInvoice(const InvoiceDocument &doc);
std::string renderDeliveryNote(const DeliveryNote &note);

} // namespace vx
