// The host's transfer-bill window and its bill interface (Supports("BillInterface")).
//
// Members the plug-in calls (case-insensitive; object name "Bill" for `fail`):
//   GetFieldValue(key, row, kind)  head field (any row reads the head: the bill has no entries);
//                                  kind 1 stored value, 2 code, 3 display text (default 1)
//   SetFieldValue(key, value, row) stores a head field (base-data fields by code, see below)
//   LmLib                          the data library (GetData, ExecuteSQL, User)
//   ClassType(key) / ClassType     the class description (FName 划拨单, BillNoField FBillNo,
//                                  FTableName t_scTransfer, FClassTypeID 1006007, FObjectType,
//                                  FObjectID)
//   BillStatus (get/put), EditStatus (1 new, 2 existing bill), IsDataChanged, ReloadBill
//   GetFieldInfoByKey(key, "", 0)  field description: a dictionary with FKey, FFieldName,
//                                  FTableName, FLock
//   GetDataFld(description)        a dictionary with FFLD (stored value), FFND (code), FDSP
//                                  (display text) of the field
//   SetFieldInfo(description, v, flag)  flag 1: v is the stored value; flag 2: v is the display
//                                  text; flag 0: v is the stored value when it is a number or
//                                  numeric text, otherwise the display text
//   BillForm                       object with BillStatus, GetFieldInfoByKey, GetDataFld
//   BillParams                     dictionary of the values the bill was opened with
//   MenuBar / oMenuBar             the window's menu bar (sim/host/menu_bar.h)
//   SetToolProperty(key, name, v)  sets a tool property ("Enabled", "Visible", ...)
//   FieldControls                  FieldControls(1) (or .Item(1)) is the head page; page(key)
//                                  (or .Item(key)) is the field's control with Locked (get/put)
//   hwnd                           the window's handle
//
// Field data: every column of t_scTransfer is a head field with a stored value, a code and a
// display text. Base-data fields hold ids: FPayAcctID/FRecAcctID show the account code as code
// and display text and are written by account code; FCyID shows the currency number as code
// and its name as display text and is written by currency number; FPreparerID, FCheckerID and
// FReCheckerID show the user's name; FVoucherID shows "记-" and the voucher number. A base-data
// field without a value (0 or NULL) holds Empty and shows "". Other fields show their value as
// text. Values written by the plug-in or typed by the user are kept as given.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/window.h"

namespace sim {

// The transfer bill's class description (row 1006007 of t_ClassType): FClassTypeID, FName,
// BillNoField, FTableName, FObjectType, FObjectID.
inline constexpr int32_t kTransferClassTypeId = 1006007;
std::shared_ptr<Dictionary> TransferClassType(Database& db);

// A column of t_scTransfer as the table declares it.
struct ColumnInfo {
  std::string name;
  std::string type;        // declared type: INTEGER, REAL, TEXT
  bool notNull = false;
  ax::Variant dflt;        // the declared default (Empty when none)
};
std::vector<ColumnInfo> TransferColumns(Database& db);

class BillWindow : public HostObject, public Window {
 public:
  enum class BaseKind { None, Account, Currency, User, Voucher };
  struct Field {
    std::string key;    // as the table spells it
    ColumnInfo column;  // type and default
    BaseKind base = BaseKind::None;
    ax::Variant value;
    std::string code;  // kind 2 for base data
    std::string text;  // kind 3 for base data
    bool locked = false;
  };

  BillWindow(Host& host, int32_t userId);
  ~BillWindow() override;

  bool IsBill() const override { return true; }
  bool Supports(std::string_view interfaceName) const override;
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override;

  // Opens the bill (see Host::OpenBill): loads or creates the data, attaches the bill plug-in
  // and raises MenuBarInitialize and the load or new-bill events.
  void Open(const BillOpening& opening);

  // ---- data -------------------------------------------------------------------------------
  Field* FindField(std::string_view key);
  Field& FieldOrFail(std::string_view key);  // HostCommandError when unknown
  ax::Variant FieldValue(std::string_view key, int32_t kind);  // raises 5 when unknown
  // Stores a value as SetFieldValue does (base-data fields resolved by code or id).
  void StoreValue(Field& field, const ax::Variant& value);
  std::optional<int32_t> Fid() const;
  int32_t billStatus = 0;
  int32_t editStatus = 1;
  bool changed = false;
  const std::vector<Field>& Fields() const { return fields_; }
  std::shared_ptr<Dictionary> Params() const { return params_; }

  // ---- what the user does -----------------------------------------------------------------
  void Edit(const std::string& key, const std::string& text);
  void Lookup(const std::string& key);
  void Save();
  void Reload();
  void LoadOther(int32_t fid);  // shows another existing bill in this window
  // The host's new bill in this window: a new bill's defaults, BillStatus and EditStatus 1,
  // AfterNewBill; the menus and the opening values stay.
  void NewHere();

  std::string DescribeFields() const;

 private:
  void LoadRow(int32_t fid);
  void NewDefaults();
  void RaiseLoadEvents();
  void RunHostCommand(const std::string& toolKey) override;
  void Resolve(Field& field);
  std::shared_ptr<Dictionary> FieldDescription(const Field& field);
  std::shared_ptr<Dictionary> FieldData(const Field& field);
  Field& FieldFromDescription(const ax::Variant& description);
  void InstallMembers();
  ax::DispatchPtr MakeBillForm();
  ax::DispatchPtr MakeFieldControls();

  int32_t userId_;
  std::vector<Field> fields_;
  std::shared_ptr<Dictionary> params_;
  std::shared_ptr<DataLibrary> lmLib_;
  std::string editKey_;  // field of the last BeginEdit
  bool opening_ = false;
};

}  // namespace sim
