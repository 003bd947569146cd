// The bank-submission list's plug-in class. Its procedures live under src/banksubmit/.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/plugin_class.h"

namespace sc {

class scTransferListExt1 : public PluginClass {
 public:
  scTransferListExt1() = default;
  ~scTransferListExt1() override;
  std::string ClassName() const override { return "scTransferListExt1"; }

  void Show(const ax::Variant& oListInterface) override;

  // Host events.
  void MenuBarInitialize(const ax::Object& oMenuBar);
  void MenuBarClick(const ax::Object& TAVTool, bool& Cancel);

  // Procedures of the class.
  void SubmitToBankBill();
  void UnSubmitToBankBill();
  void ExportPayBill(const std::string& bankTypeKey);

  const ax::Object& List() const { return m_ListInterface.Get(); }
  bool IsBound() const { return m_ListInterface.IsBound(); }

 protected:
  bool HandleEvent(std::string_view eventName, ax::Args& args) override;

 private:
  EventSource m_ListInterface;
};

}  // namespace sc
