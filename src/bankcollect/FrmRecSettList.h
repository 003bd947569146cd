// The receipt picker of bank collection ([银行归集]收款业务序时簿): the host's receipt list
// control filling the whole form, restricted to the receipts that may become transfer bills.
// The control runs the query and the selection; the form configures it and keeps its result.
//
// Members of the receipt list control (RecSettLib.ListRecSett) used here: Mode (2: choosing
// rows for a caller), Filter (the query condition on the receipts v and their centre account
// Acnt1), Init(form support), LoadData() (runs the query and shows the rows), ReturnData (the
// vector of chosen rows), and its event Confirm, raised when the user confirms a choice.
#pragma once

#include <string>

#include "automation/form.h"
#include "automation/object.h"

namespace sc {

class FrmRecSettList : public ax::Form {
 public:
  FrmRecSettList();

  // Extra conditions appended to the control's filter (the receipt-date range).
  void set_sFilter(const std::string& filter) { m_sFilter = filter; }
  // True once the control reported a confirmed choice.
  bool OK() const { return m_OK; }
  // The chosen rows (one dictionary per row); Nothing until a choice was confirmed.
  const ax::Object& VectReturnData() const { return m_VectReturnData; }

  // The whole condition handed to the control.
  std::string ListFilter() const;

  void Form_Load() override;
  void Form_Resize() override;
  void ControlEvent(const std::string& control, const std::string& event,
                    ax::Args& args) override;

 private:
  void ListRecSett_Confirm();

  std::string m_sFilter;
  bool m_OK = false;
  ax::Object m_VectReturnData;
  ax::Object ThisForm;
};

}  // namespace sc
