// The centre-collection dialog (中心归集): the query date, the account-code range and two
// options; on confirmation it computes the collections and opens one prefilled transfer bill
// per collection in the host's bill window.
#pragma once

#include <cstdint>
#include <string>

#include "automation/form.h"
#include "automation/object.h"

namespace sc {

class dlgBalSum : public ax::Form {
 public:
  dlgBalSum();

  // The one instance of the process, created on first use; OK and Cancel only hide it, so the
  // next showing keeps the range, options and date.
  static dlgBalSum& Instance();

  void Form_Load() override;
  void Form_KeyDown(int16_t& keyCode, int16_t& shift) override;
  void Click(const std::string& control) override;

  void ApplyCaptions();
  void btnOK_Click();
  void btnCancel_Click();
  void btnLookup_Click(int32_t index);

  // Collection accounts and amounts. Each list is a host vector of keyed collections.
  ax::Object GetAutoCollectAccounts();
  ax::Object GetAccountBalances();
  ax::Object BuildCollectionList();

  // Collection bills: the new bill of the data service filled from one collection item, and
  // one bill window per item.
  ax::Object BuildTransferBill(const ax::Object& dataService, const ax::Object& item);
  void OpenCollectionBills(const ax::Object& items);

  // The currency of the selected cboCy entry, for the balance query.
  int32_t SelectedCurrencyID() const { return m_CurrencyID; }

 private:
  int32_t m_CurrencyID = 0;
};

}  // namespace sc
