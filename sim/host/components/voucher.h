// Voucher.clsVoucher, the host's voucher component (voucher.cpp): what it was given.
#pragma once

#include <utility>
#include <vector>

namespace sim {

// The key accounts (KeyAcctID, KeyAcctID2) of every bill information a voucher window of "Add"
// or "Edit" worked from, oldest first.
struct VoucherKeyAccounts {
  std::vector<std::pair<double, double>> accounts;
};

}  // namespace sim
