// Billing: previews of open orders, their confirmation into invoices, and
// the invoice documents.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db.h"

namespace vx {

// Net amounts per VAT rate, and what follows from them.
class RateTotals
{
public:
    void add(int ratePercent, std::int64_t netCents) { net_[ratePercent] += netCents; }
    struct Line
    {
        int rate;
        std::int64_t net, tax, sum;
    };
    std::vector<Line> lines() const; // highest rate first
    std::int64_t total() const;
    // The keys of a checkout preview: net_amount19 ... sum_tax0, total_cost,
    // as German number text. The three usual rates are always present.
    void putPreviewAmounts(Json &j) const;

private:
    std::map<int, std::int64_t> net_;
};

// Preview of one order (orderId) or of all open orders of a customer.
// Stores the preview and returns it with its "id".
Json previewSingle(Db &db, std::int64_t orderId);
Json previewMultiple(Db &db, std::int64_t customerId);

// Bills exactly the orders of the preview; 406 unknown preview, 409 when it
// was confirmed already or an order changed since.
Json confirmPreview(Db &db, std::int64_t previewId, const std::string &origin);

struct DocumentRef
{
    std::int64_t id;
    std::string invoiceNo;
    std::string capability;
    std::string fileName;
};
// A new invoice document (number, capability URL) for a customer.
DocumentRef createDocument(Db &db, std::int64_t customerId);

// Renders the PDF of a document from what the database holds now; empty
// when there is no document under this capability and file name.
std::optional<std::string> renderDocumentPdf(Db &db, const std::string &capability, const std::string &fileName);

// The delivery note of a delivery order (record id) as PDF.
std::string renderDeliveryNotePdf(Db &db, std::int64_t deliveryOrderId);

} // namespace vx
