// The transfer list's plug-in class. Its procedures live under src/translist/.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/plugin_class.h"

namespace sc {

class scTransferListExt : public PluginClass {
 public:
  scTransferListExt() = default;
  ~scTransferListExt() override;
  std::string ClassName() const override { return "scTransferListExt"; }

  // Binds the list and restricts it to the accounts the user may see.
  void Show(const ax::Variant& oListInterface) override;

  // Host events.
  void ListFillRow(int32_t lRow, const ax::Object& RowData, const ax::Object& HeadDict,
                   ax::Variant& CellData, ax::Variant& BackColor, ax::Variant& ContinueRaise);
  void MenuBarInitialize(const ax::Object& oMenuBar);
  void MenuBarClick(const ax::Object& TAVTool, bool& Cancel);

  // Procedures of the class.
  void ApplyAccountFilter();
  void RunListOperation();
  void ShowCentreCollection();
  void ShowBankCollection();
  std::string GetAccountSecuritySql();

  const ax::Object& List() const { return m_ListInterFace.Get(); }
  bool IsBound() const { return m_ListInterFace.IsBound(); }

 protected:
  bool HandleEvent(std::string_view eventName, ax::Args& args) override;

 private:
  EventSource m_ListInterFace;
};

}  // namespace sc
