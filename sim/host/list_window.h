// The host's transfer list windows and their list interface (Supports("ListInterface")):
// "transfer" (plug-in scTAVExt.scTransferListExt) and "banksubmit" (scTAVExt.scTransferListExt1).
//
// Members the plug-in calls (case-insensitive; object name "List" for `fail`, also for the
// sub-objects List, dataSrv and Parent):
//   List            the list object:
//     GetSelectedBillID   a vector of the selected bills' ids as texts, in selection order
//                         (or the ids it was set apart to answer)
//     RsId                a record set holding the current row (all columns)
//     RefreshList(b)      re-reads and refills the rows (ListFillRow again)
//     BillOperation(code, result)  the host's bill operation on the selected bills; recorded
//                         (call "listop": code and ids); result (by reference) is set to 0
//     Parent              the window object, with hwnd
//   LmLib           the data library (GetData, ExecuteSQL, User)
//   dataSrv         ClassType(key) / ClassType (the class description dictionary),
//                   ClassTypeID (1006007), TableInfo(fieldKey) -> dictionary with FFieldName
//                   and FKey, ClassTypeEntry(1) -> the entry dictionary with FTableName and the
//                   writable FFilter (the list's extra condition, applied in SQL at every fill);
//                   ClassTypeEntry without index is a vector of the entries
//   SelectedRows    a vector of the selected rows, each a dictionary of the row's columns
//                   (item "FID" is the bill id)
//   CustomFilter    Boolean option (get/put); the transfer list sets it when it binds
//   MenuBar / oMenuBar, hwnd
//
// Rows: the transfer bills the filter lets through (FID order) with every column of
// t_scTransfer and FSubmitState, FCommitPayStatus (view_BKPaymentTAV) and
// FBaseProperty6_DSPName. Filling raises ListFillRow(lRow, RowData, HeadDict, CellData,
// BackColor, ContinueRaise) for each cell, left to right; HeadDict holds FFieldNameExt
// ("t_scTransfer.FBillNo", "view_BKPaymentTAV.FSubmitState", "FBaseProperty6_DSPName") and
// FFieldName. A row starts white (16777215); the row keeps the last BackColor and each cell the
// CellData it came back with; ContinueRaise False stops the events for the rest of the row.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/host/collections.h"
#include "sim/host/database.h"
#include "sim/host/host.h"
#include "sim/host/window.h"

namespace sim {

class ListWindow : public HostObject, public Window {
 public:
  struct Row {
    int32_t fid = 0;
    std::vector<ax::Variant> values;       // by column
    std::vector<std::string> cells;        // final cell texts, by column
    int32_t backColor = 16777215;
  };

  ListWindow(Host& host, std::string kind, int32_t userId);

  bool IsBill() const override { return false; }
  bool Supports(std::string_view interfaceName) const override;
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override;

  // Attaches the plug-in, raises MenuBarInitialize and fills the rows.
  void Open();
  void Refill();

  const std::string& Kind() const { return kind_; }
  const std::vector<std::string>& Columns() const { return columns_; }
  const std::vector<Row>& ListRows() const { return rows_; }
  const Row* FindRow(int32_t fid) const;
  // The text of a cell by column name (bare or table.column); nullopt when no such column.
  std::optional<std::string> Cell(const Row& row, std::string_view column) const;
  std::string Filter() const;

  // ---- what the user does -----------------------------------------------------------------
  void Select(const std::vector<int32_t>& fids);
  // The selected rows set apart from the ids GetSelectedBillID answers (the host's two members
  // need not agree); the next Select without ids joins them again.
  void Select(const std::vector<int32_t>& fids, const std::vector<int32_t>& billIds);
  // The current row alone (List.RsId and the host's modify), the selection unchanged; nullopt:
  // no current row. Scenario failure for a bill not listed.
  void SetCurrentRow(std::optional<int32_t> fid);  // HostCommandError for a bill not listed
  const std::vector<int32_t>& Selection() const { return selection_; }
  std::optional<int32_t> CurrentRow() const { return current_; }
  bool customFilter = false;

  std::string DescribeRows() const;

 private:
  void InstallMembers();
  std::shared_ptr<Dictionary> RowDictionary(const Row& row) const;
  void RunHostCommand(const std::string& toolKey) override;
  std::string FieldNameExt(const std::string& column) const;

  std::string kind_;
  std::vector<std::string> columns_;
  std::vector<std::string> tableColumns_;  // of t_scTransfer
  std::vector<Row> rows_;
  std::vector<int32_t> selection_;
  std::optional<std::vector<int32_t>> billIds_;  // GetSelectedBillID's ids when set apart
  std::optional<int32_t> current_;
  std::shared_ptr<DataLibrary> lmLib_;
  std::shared_ptr<Dictionary> entry_;  // ClassTypeEntry(1): FTableName, FFilter
};

}  // namespace sim
