// BKC_Bank.Bank, the host's bank link for payment orders (bank_link.cpp): what it received.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/variant.h"

namespace sim {

// The payment orders the bank link received, oldest first.
struct BankOrders {
  std::vector<std::vector<std::pair<std::string, ax::Variant>>> orders;
};

}  // namespace sim
