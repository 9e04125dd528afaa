// Registration of the resource handlers. Every handler runs with the
// database lock held and with an authenticated user.
#pragma once

#include "http.h"

namespace vx {

void addCustomerRoutes(Router &r);
void addOrderRoutes(Router &r); // orders, taxes, checkout, invoices
void addWarehouseRoutes(Router &r);

// Shared by the search endpoints: 204 without hits, else 200 with the list.
void replyList(Ctx &c, const Json &list, bool noContentWhenEmpty);

// Searches return at most this many records.
constexpr int kSearchLimit = 200;

} // namespace vx
