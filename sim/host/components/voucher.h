// Voucher.clsVoucher, the host's voucher component (voucher.cpp): what it was given.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/variant.h"

namespace sim {

// The key accounts (KeyAcctID, KeyAcctID2) of every bill information a voucher window of "Add"
// or "Edit" worked from, oldest first.
struct VoucherKeyAccounts {
  std::vector<std::pair<double, double>> accounts;
};

// Items as a caller handed them over: key and value, in the order read.
using VoucherItems = std::vector<std::pair<std::string, ax::Variant>>;

// The bill information of every voucher window of "Add" or "Edit", oldest first, and the lines
// of every voucher a completed window stored, as the caller's line dictionaries held them.
struct VoucherWindows {
  std::vector<VoucherItems> billInfos;
  std::vector<std::vector<VoucherItems>> storedLines;
};

}  // namespace sim
