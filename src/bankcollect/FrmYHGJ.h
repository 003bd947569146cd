// Bank collection (银行归集): the date-range query dialog FrmYHGJ. It hands the range to the
// receipt picker (FrmRecSettList) and turns the chosen receipts into prefilled transfer bills in
// the host's bill windows, the first of which is brought to the front.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/form.h"
#include "automation/object.h"

namespace sc {

class FrmYHGJ : public ax::Form {
 public:
  // Help topic of the dialog (F1).
  static constexpr int32_t kHelpContextId = 460130;

  FrmYHGJ();
  ~FrmYHGJ() override;

  // The caller's list object; used only to find the host's main window.
  ax::Object oList;

  void Form_Load() override;
  void Form_KeyDown(int16_t& keyCode, int16_t& shift) override;
  void Form_Unload() override;
  void Click(const std::string& control) override;

  void btnOK_Click();
  void btnCancel_Click();

  // The two receipt-date conditions of the picker's query, each ending in CR LF.
  std::string GetDateFilter();

  // Transfer bills from the chosen receipts (the picker's vector of row dictionaries). Any
  // error ends it silently; the windows opened so far stay open.
  void GenerateTransferBills(const ax::Object& receipts);
  // One dictionary per receipt, keyed by transfer-bill field names, in the picker's order.
  ax::Object MapReceiptsToBills(const ax::Object& receipts);
  // The data service's empty bill filled from one mapped receipt, copied fields locked.
  ax::Object FillEmptyBill(const ax::Object& dataService, const ax::Object& m);

  // The host's top-level window above oList's window; 0 when unknown.
  int32_t GetHostTopWindow();
  // Brings a window to the front as a click on its title bar does.
  void ActivateWindow(int32_t hwnd);
  // low + high × 65536 as a Long; a value beyond the Long range raises 6 "Overflow".
  static int32_t MakeLParam(int32_t low, int32_t high);

  // The data services and bill windows of the bills generated last (1-based, as kept).
  const std::vector<ax::Object>& DataServices() const { return m_DataSrvs; }
  const std::vector<ax::Object>& BillWindows() const { return m_BillForms; }

 private:
  // Lets the message loop run for the given seconds of elapsed time.
  static void PauseWithEvents(double seconds);

  std::vector<ax::Object> m_DataSrvs;
  std::vector<ax::Object> m_BillForms;
};

// The transfer list's bank-collection command: a new FrmYHGJ with its oList set to the list
// object, shown modally and released when the modal show returns.
void ShowFrmYHGJ(const ax::Object& list);

}  // namespace sc
