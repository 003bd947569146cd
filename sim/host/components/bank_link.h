// BKC_Bank.Bank, the host's bank link for payment orders (bank_link.cpp): what it received.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/variant.h"

namespace sim {

// The items the bank maps onto its payment record, under these exact keys.
inline constexpr const char* kBankOrderItems[] = {
    "FSource",   "FSourceID",      "FSourceNumber", "FRecAcntNumber", "FRecBranch",
    "FPayBranch", "FRecBankNumber", "FRecBank",      "FRecName",       "FAmt",
    "FCurrency", "FPayAcntNumber", "FPayBank",      "FPayName",       "FRecAreaName",
    "FPayAreaName", "FPurpose",    "FExplanation",  "FUrgent",        "FPaymentMode"};
// The version of the order format the bank takes.
inline constexpr const char* kBankOrderVersion = "1.0.0";

// The payment orders the bank link received, oldest first: the link's Version when each came
// and its items in order.
struct BankOrders {
  struct Order {
    std::string version;
    std::vector<std::pair<std::string, ax::Variant>> items;
  };
  std::vector<Order> orders;
};

}  // namespace sim
