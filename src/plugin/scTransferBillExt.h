// The transfer-bill window's plug-in class. The handlers live with their subsystem under
// src/bill/; this header holds the class, its per-window state and the event routing.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/plugin_class.h"

namespace sc {

class scTransferBillExt : public PluginClass {
 public:
  scTransferBillExt() = default;
  ~scTransferBillExt() override;
  std::string ClassName() const override { return "scTransferBillExt"; }

  void Show(const ax::Variant& oBillInterface) override;

  // Host events.
  void AfterLoadBill();
  void AfterNewBill();
  void BeforLoadBillFillData();
  void BeginEdit(const ax::Object& dct, int32_t Col, int32_t Row);
  void Change(const ax::Object& dct, const ax::Object& dctFld, int32_t Col, int32_t Row,
              bool& Cancel);
  void BeforeSave(bool& bCancel);
  void AfterSave(bool& bCancel);
  void MenuBarInitialize(const ax::Object& oMenuBar);
  void MenuBarClick(const ax::Object& TAVTool, bool& Cancel);

  // The host's bill interface, re-read at every use.
  const ax::Object& Bill() const { return m_BillInterface.Get(); }
  bool IsBound() const { return m_BillInterface.IsBound(); }

 protected:
  bool HandleEvent(std::string_view eventName, ax::Args& args) override;

 private:
  // Procedures of the class.
  void CheckBill(int32_t action);
  bool CheckBillRules(const ax::Object& oBill, int32_t action);
  void CreateVoucher(bool automatic, bool& result);
  void CreateVouNoAuto();
  void ViewVoucher();
  void SelAcct(const std::string& fieldKey);
  void CheckAcct(const std::string& fieldKey);
  void Clearacctinfo(const std::string& fieldKey);
  void SelPurpose();
  void CalcFcyAmt();
  bool CheckBillData();

  // Per-window state.
  int32_t m_lngOpenStatus = -1;  // status the window was first opened with; -1 until read
  std::string m_sEditKey;        // key of the field being edited
  std::string m_sOperator;       // exchange-rate operator of the last currency applied to the
                                 // bill shown; forgotten when the window shows another bill
  int32_t m_lRecSettID = 0;      // receipt the bill was opened from, refreshed at every save
  int32_t m_NewVoucherID = 0;    // voucher produced by the last voucher generation

  EventSource m_BillInterface;
};

}  // namespace sc
