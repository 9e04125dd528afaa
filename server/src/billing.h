// Billing: previews of open orders, their confirmation into invoices, and
// the invoice documents.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db.h"
#include "pdf.h"

namespace vx {

// Net amounts per VAT rate, and what follows from them.
class RateTotals
{
public:
    // Sums are checked: 422 when they leave the range of whole cents.
    void add(int ratePercent, std::int64_t netCents);
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
// Stores the preview and returns it with its "id". A customer with more
// than maxOrders open orders gets a 422 that names the number.
Json previewSingle(Db &db, std::int64_t orderId);
Json previewMultiple(Db &db, std::int64_t customerId, std::int64_t maxOrders);

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

// What the PDF of a document shows, as the database holds it now; empty
// when there is no document under this capability and file name. Reading
// is quick; the drawing (renderInvoice) runs afterwards, outside any
// transaction.
std::optional<InvoiceDocument> loadInvoiceDocument(Db &db, const std::string &capability, const std::string &fileName);

// What the delivery note of a delivery order (record id) shows; 406 when
// there is no such delivery order.
DeliveryNote loadDeliveryNote(Db &db, std::int64_t deliveryOrderId);

} // namespace vx
