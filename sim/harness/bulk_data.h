// Large centres for benchmarks and call-count tests, added to the demo centre: many member
// accounts collected into account 101, many approved bills from 101 to 102.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sim {

class Database;

// n member accounts 09.000000, 09.000001, ... (FID 1000 on) collected into account 101 (retain
// 1000, minimum 100), each with the ledger balance balance(i).
void AddMemberAccounts(Database& db, int n, const std::function<double(int)>& balance);
// n approved, unsubmitted bills HS000000, HS000001, ... (FID 1001 on) from 101 to 102 of 1000 + i;
// returns their ids.
std::vector<int32_t> AddApprovedBills(Database& db, int n);

}  // namespace sim
