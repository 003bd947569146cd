// Every host member the plug-in's procedures are meant to call: the interfaces and components
// the host fixes and the members each procedure calls, with the subsystems that call them.
// tests/host_contract_test.cpp holds this table against the calls the scenario suite makes and
// writes the second table of docs/host-contract.md from it; a member no scenario reaches fails
// that test unless its last column says why no scenario can reach it yet.
//
// Columns: object (a component by ProgID, or the host's own: Bill, List, LmLib, MenuBar, Band,
// Tool, ...), interface it is reached through ("" for the object's own, and for CreateObject),
// // member, call ("" any; "get" read or called; "put"; "put by reference"), the subsystems that
// make the call, and the reason a scenario cannot reach it ("" when one must). Names are those
// of the contract page; where an operation has no member name of the host's ("the selection", "a
// bill operation run by numeric code", the receipt list's members), the member is the one the
// plug-in calls. Object, interface and member compare without regard to case, so the two
// spellings of the GL view's ProgID ("HOLGLView.GLView", "HOLGLview.glview") are one row.
//
// The record sets, dictionaries and vectors that components, the data library and the windows
// hand over, and those the plug-in creates, answer to the name of who made them; their rows
// name any object ("*"). Not listed: the host library's routines (error reporter, business-date
// function, formatting; ax::Environment, not host objects), the controls on the plug-in's own
// forms (DTPicker, ImageList, RichTextBox) and the container's properties of a hosted control
// (Left, Top, Width, Height of the receipt list).
#pragma once

#include "sim/harness/contract.h"

namespace host_contract {

inline constexpr sim::ExpectedMember kExpectedMembers[] = {
    // ---- record sets, read to their end (has records: not EOF), their fields by name
    {"*", "Recordset", "EOF", "get", "host interfaces, host components", ""},
    {"*", "Recordset", "MoveNext", "", "host interfaces, host components", ""},
    {"*", "Recordset", "MoveFirst", "", "collection amounts", ""},
    {"*", "Recordset", "Fields", "get", "host interfaces, host components", ""},
    {"*", "Recordset", "Filter", "put", "submission menus", ""},
    {"*", "Fields", "Item", "get", "host interfaces, host components", ""},
    {"*", "Field", "Value", "get", "host interfaces, host components", ""},

    // ---- the host library's dictionary and vector
    {"*", "Dictionary", "Item", "get", "host interfaces, host components", ""},
    {"*", "Dictionary", "Item", "put", "host components, collection bills, bills from receipts", ""},
    {"*", "Dictionary", "Item", "put by reference", "vouchers", ""},
    {"*", "Dictionary", "GetValue", "", "field changes, saving, vouchers, bills from receipts", ""},
    {"*", "Vector", "Count", "get", "host components", ""},
    {"*", "Vector", "Item", "get", "host components", ""},
    {"*", "Vector", "Add", "", "modify check and deletion, collection amounts, vouchers, bills from receipts", ""},

    // ---- bank link (bank submission, withdrawal)
    {"BKC_Bank.Bank", "", "CreateObject", "", "bank submission", ""},
    {"BKC_Bank.Bank", "Bank", "Version", "put", "bank submission", ""},
    {"BKC_Bank.Bank", "Bank", "ImportPayment", "", "bank submission", ""},
    {"BKS_Bank.Update", "", "CreateObject", "", "withdrawal", ""},
    {"BKS_Bank.Update", "Update", "CancelPayment", "", "withdrawal", ""},

    // ---- a band of a menu bar: its tool list with the "before" and "after" insert operations,
    // a tool by key, the kind and visible flag of a band the plug-in adds (host interfaces, bill menus, submission menus,
    // 4.1)
    {"Band", "", "Tools", "get", "host interfaces, bill menus, submission menus, transfer list", ""},
    {"Band", "", "Type", "put", "submission menus", ""},
    {"Band", "", "Visible", "put", "submission menus", ""},
    {"Band", "Tools", "InsertBefore", "", "bill menus, submission menus, transfer list", ""},
    {"Band", "Tools", "InsertAfter", "", "bill menus, submission menus, transfer list", ""},
    {"Band", "Tools", "Item", "get", "bill menus, transfer list", ""},

    // ---- the bill interface of a transfer-bill window (host interfaces)
    {"Bill", "BillInterface", "GetFieldValue", "", "host interfaces, bill loading, field changes, saving, check and approval, vouchers", ""},
    {"Bill", "BillInterface", "SetFieldValue", "", "host interfaces, field changes, vouchers", ""},
    {"Bill", "BillInterface", "LmLib", "get", "host interfaces, saving, check and approval, vouchers", ""},
    {"Bill", "BillInterface", "ClassType", "get", "shared services", ""},
    {"Bill", "BillInterface", "BillStatus", "get", "bill tools", ""},
    {"Bill", "BillInterface", "EditStatus", "get", "saving, vouchers", ""},
    {"Bill", "BillInterface", "IsDataChanged", "get", "vouchers", ""},
    {"Bill", "BillInterface", "ReloadBill", "", "check and approval, vouchers", ""},
    {"Bill", "BillInterface", "GetFieldInfoByKey", "", "bill tools, saving", ""},
    {"Bill", "BillInterface", "GetDataFld", "", "bill tools", ""},
    {"Bill", "BillInterface", "SetFieldInfo", "", "saving", ""},
    {"Bill", "BillInterface", "BillForm", "get", "bill loading", ""},
    {"Bill", "BillInterface", "BillParams", "get", "saving", ""},
    {"Bill", "BillInterface", "MenuBar", "get", "bill tools", ""},
    {"Bill", "BillInterface", "SetToolProperty", "", "bill loading, field changes", ""},
    {"Bill", "BillInterface", "FieldControls", "get", "bill loading, field changes", ""},
    {"Bill", "BillForm", "BillStatus", "get", "bill loading", ""},
    {"Bill", "BillForm", "BillStatus", "put", "bill loading", ""},
    {"Bill", "BillForm", "GetFieldInfoByKey", "", "bill loading", ""},
    {"Bill", "BillForm", "GetDataFld", "", "bill loading", ""},
    // FieldControls item 1 is the head page; its item by field key is the field's control
    {"Bill", "FieldControls", "Item", "get", "bill loading, field changes", ""},
    {"Bill", "FieldPage", "Item", "get", "bill loading, field changes", ""},
    {"Bill", "FieldControl", "Locked", "put", "bill loading, field changes", ""},
    // dictionaries the bill hands over: the events' dct, GetDataFld's result, BillParams
    {"Bill", "Dictionary", "Item", "get", "host interfaces, bill tools, bill loading, field changes, saving", ""},
    {"Bill", "Dictionary", "GetValue", "", "host interfaces, field changes", ""},

    // ---- centre collection's sums (collection amounts)
    {"FENRFundSum.LedgerSum", "", "CreateObject", "", "collection amounts", ""},
    {"FENRFundSum.LedgerSum", "LedgerSum", "GetBalSum", "", "collection amounts", ""},
    {"FENRFundSum.LedgerSum", "LedgerSum", "GetAllAcnt", "", "collection amounts", ""},
    {"FENRMTAVExt.cAcctInfo", "", "CreateObject", "", "collection amounts", ""},
    {"FENRMTAVExt.cAcctInfo", "cAcctInfo", "GetAcctList", "", "collection amounts", ""},
    {"FENRMTAVExt.cAcctInfo", "cAcctInfo", "GetScTransferSum", "", "collection amounts", ""},

    // ---- the transfer-bill update component (modify check and deletion, check and approval, transfer list, bills from receipts)
    {"FENRMTAVExt.cTransferUpdate", "", "CreateObject", "", "modify check and deletion, check and approval, transfer list, bills from receipts", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "GetCheckAcctTableSql", "", "transfer list", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "GetBankType", "", "bills from receipts", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "Check", "", "check and approval", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "ReCheck", "", "check and approval", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "DeleteVou", "", "modify check and deletion", ""},

    // ---- shared services' components (shared services, resources)
    {"FrmRes.FrmResLoader", "", "CreateObject", "", "shared services", ""},
    {"FrmRes.FrmResLoader", "FrmResLoader", "SetFrmFont", "", "shared services", ""},
    {"HOLBase.ClientBase", "", "CreateObject", "", "shared services", ""},
    {"HOLBase.ClientBase", "ClientBase", "SystemData", "get", "shared services", ""},
    {"HOLBase.ClientBase", "SystemData", "CurrentUserID", "get", "check and approval", ""},

    // ---- the GL data object: system profile, accounts, currencies, business log, permission
    // test (shared services, modify check and deletion, field changes, saving, vouchers, bank submission, collection dialog, collection amounts, bills from receipts)
    {"HOLGLView.GLData", "", "CreateObject", "", "shared services", ""},
    {"HOLGLView.GLData", "GLData", "SystemProfile", "get", "shared services", ""},
    {"HOLGLView.GLData", "GLData", "GetAccount", "", "field changes, saving, vouchers", ""},
    {"HOLGLView.GLData", "GLData", "GetCurrency", "", "field changes, bank submission, bills from receipts", ""},
    {"HOLGLView.GLData", "GLData", "WriteLog", "", "shared services", ""},
    {"HOLGLView.GLData", "GLData", "AccessCheck", "", "shared services, modify check and deletion", ""},
    {"HOLGLView.GLData", "SystemProfile", "Refresh", "", "shared services, bill loading, saving, vouchers, collection dialog, collection bills, bills from receipts", ""},
    {"HOLGLView.GLData", "SystemProfile", "GetSystemProfile", "", "shared services, vouchers", ""},
    {"HOLGLView.GLData", "SystemProfile", "Item", "get", "collection dialog, collection amounts", ""},
    {"HOLGLView.GLData", "SystemProfile", "GLGetPeriodDate", "", "collection dialog, collection amounts", ""},
    {"HOLGLView.GLData", "SystemProfile", "SCGetVoucherAfterBank", "get", "vouchers", ""},
    {"HOLGLView.GLData", "SystemProfile", "SCGetBillAutoVch", "get", "vouchers", ""},
    {"HOLGLView.GLData", "Account", "CurrencyID", "get", "field changes, saving", ""},
    {"HOLGLView.GLData", "Account", "AccountID", "get", "vouchers", ""},
    {"HOLGLView.GLData", "Account", "IsBank", "get", "vouchers", ""},
    {"HOLGLView.GLData", "Currency", "Number", "get", "field changes, bills from receipts", ""},
    {"HOLGLView.GLData", "Currency", "Name", "get", "bank submission, bills from receipts", ""},
    {"HOLGLView.GLData", "Currency", "ExchangeRate", "get", "field changes", ""},
    {"HOLGLView.GLData", "Currency", "Operator", "get", "field changes", ""},
    {"HOLGLView.GLData", "Currency", "FixRate", "get", "field changes", ""},

    // ---- the GL view's look-ups: the purpose list (singleton "HOLGLView.GLView") and the
    // account look-up (created at each use as "HOLGLview.glview") (field changes, collection dialog)
    {"HOLGLView.GLView", "", "CreateObject", "", "shared services, field changes, collection dialog", ""},
    {"HOLGLView.GLView", "GLView", "SubMesLookup", "", "field changes", ""},
    {"HOLGLView.GLView", "GLView", "AcntLookup", "", "field changes, collection dialog", ""},
    {"HOLGLView.GLView", "LookupResult", "ReturnOK", "get", "field changes, collection dialog", ""},
    {"HOLGLView.GLView", "LookupResult", "ReturnObject", "get", "field changes, collection dialog", ""},
    {"HOLGLView.GLView", "Item", "Name", "get", "field changes", ""},
    {"HOLGLView.GLView", "Account", "Acct", "get", "field changes, collection dialog", ""},
    {"HOLGLView.GLView", "Account", "AcntName", "get", "field changes", ""},
    {"HOLGLView.GLView", "Account", "AcntNo", "get", "field changes", ""},
    {"HOLGLView.GLView", "Account", "Bank", "get", "field changes", ""},

    // ---- the host library's dictionary and vector (vouchers, bank submission, collection amounts, bills from receipts)
    {"HostLib.Dictionary", "", "CreateObject", "", "vouchers, bank submission, collection amounts, bills from receipts", ""},
    {"HostLib.Vector", "", "CreateObject", "", "vouchers, collection amounts, bills from receipts", ""},

    // ---- security, currencies, accounts (shared services, field changes, transfer list, collection dialog)
    {"KIVBase.SecurityInfo", "", "CreateObject", "", "shared services, transfer list", ""},
    {"KIVBase.SecurityInfo", "SecurityInfo", "AccessCheck", "", "shared services", ""},
    {"KIVBase.SecurityInfo", "SecurityInfo", "IsAdministrator", "", "transfer list", ""},
    {"KIVGLCurrency.CurrencyInfo", "", "CreateObject", "", "collection dialog", ""},
    {"KIVGLCurrency.CurrencyInfo", "CurrencyInfo", "GetList", "", "collection dialog", ""},
    {"Kivglitem.Iteminfo", "", "CreateObject", "", "field changes", ""},
    {"Kivglitem.Iteminfo", "Iteminfo", "GetAnyRecordSet", "", "field changes", ""},

    // ---- the list interface of a transfer list (host interfaces, modify check and deletion, submission menus to 3.4, 4.1, 5.2)
    {"List", "ListInterface", "List", "get", "host interfaces, modify check and deletion, bank submission, withdrawal, transfer list", ""},
    {"List", "ListInterface", "LmLib", "get", "host interfaces, modify check and deletion, bank submission, withdrawal, transfer list", ""},
    {"List", "ListInterface", "dataSrv", "get", "host interfaces, modify check and deletion, transfer list", ""},
    {"List", "ListInterface", "SelectedRows", "get", "host interfaces, payment-file export, transfer list", ""},  // "the selection"
    {"List", "ListInterface", "CustomFilter", "put", "host interfaces, transfer list", ""},  // "a Boolean option ... set True"
    // the list's List object (shown as the object's own on the page)
    {"List", "", "GetSelectedBillID", "", "modify check and deletion, bank submission, withdrawal", ""},
    {"List", "", "RsId", "get", "modify check and deletion", ""},
    {"List", "", "RefreshList", "", "modify check and deletion, bank submission, withdrawal, transfer list", ""},
    {"List", "", "BillOperation", "", "host interfaces, transfer list", ""},  // "a bill operation run by numeric code"
    {"List", "", "Parent", "get", "bills from receipts", ""},
    {"List", "Parent", "hwnd", "get", "bills from receipts", ""},
    {"List", "dataSrv", "ClassType", "get", "modify check and deletion, transfer list", ""},
    {"List", "dataSrv", "ClassTypeID", "get", "modify check and deletion", ""},
    {"List", "dataSrv", "TableInfo", "get", "modify check and deletion", ""},
    {"List", "dataSrv", "ClassTypeEntry", "get", "modify check and deletion, transfer list", ""},
    // the row record sets the list hands over (RsId, ListFillRow's RowData), HeadDict
    {"List", "Recordset", "Fields", "get", "modify check and deletion, transfer list", ""},
    {"List", "Fields", "Item", "get", "modify check and deletion, transfer list", ""},
    {"List", "Field", "Value", "get", "modify check and deletion, transfer list", ""},
    {"List", "Dictionary", "Item", "get", "transfer list", ""},

    // ---- bill windows opened with a template (collection bills, bills from receipts)
    {"LmClassTpl.DataSrv", "", "CreateObject", "", "collection bills, bills from receipts", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "ClassTypeID", "put", "collection bills, bills from receipts", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "GetEmptyBill", "", "collection bills, bills from receipts", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "TableInfo", "get", "collection bills, bills from receipts", ""},
    {"LmSingleClassBill.ClassInfoManager", "", "CreateObject", "", "collection bills, bills from receipts", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "dataSrv", "put by reference", "collection bills, bills from receipts", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "FormShowStatus", "put", "collection bills, bills from receipts", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "Show", "", "collection bills, bills from receipts", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "hwnd", "get", "bills from receipts", ""},

    // ---- deletion and its result display (modify check and deletion)
    {"LmDisplayer.DispBuilder", "", "CreateObject", "", "modify check and deletion", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Cols", "put", "modify check and deletion", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Titles", "put", "modify check and deletion", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "SetColWidth", "", "modify check and deletion", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Add", "", "modify check and deletion", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Show", "", "modify check and deletion", ""},
    {"Lmconnection.Appconnection", "", "CreateObject", "", "modify check and deletion", ""},
    {"Lmconnection.Appconnection", "Appconnection", "Execute", "", "modify check and deletion", ""},
    {"LmMClass.ClassUpdate", "", "CreateObject", "", "modify check and deletion", ""},
    {"LmMClass.ClassUpdate", "ClassUpdate", "DeleteBill", "", "modify check and deletion", ""},

    // ---- the receipt picker's form support and control (receipt picker; the control's member names
    // are the implementer's)
    {"LmFormLib.FormSupport", "", "CreateObject", "", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "", "CreateObject", "", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Mode", "put", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Filter", "put", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Init", "", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "LoadData", "", "receipt picker", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "ReturnData", "get", "receipt picker", ""},

    // ---- language and resources (resources)
    {"LmLangInfo.LangInfo", "", "CreateObject", "", "shared services, resources", ""},
    {"LmLangInfo.LangInfo", "LangInfo", "CurrentLanguage", "get", "shared services, resources", ""},
    {"LmResLoader.Loader", "", "CreateObject", "", "resources", ""},
    {"LmResLoader.Loader", "Loader", "ResFileBaseName", "put", "resources", ""},
    {"LmResLoader.Loader", "Loader", "LanguageID", "put", "resources", ""},
    {"LmResLoader.Loader", "Loader", "LoadString", "", "resources", ""},

    // ---- F1 help of the plug-in's dialogs (shared services, submission result, collection dialog, bank-collection dialog)
    {"LmCHMResTool.ClsCHMHelp", "", "CreateObject", "", "shared services", ""},
    {"LmCHMResTool.ClsCHMHelp", "ClsCHMHelp", "ShowHELP", "", "shared services", ""},

    // ---- the data library of a bill or list (host interfaces)
    {"LmLib", "", "GetData", "", "host interfaces, modify check and deletion, saving, check and approval, bank submission, withdrawal", ""},
    {"LmLib", "", "ExecuteSQL", "", "host interfaces, saving, vouchers, bank submission", ""},
    {"LmLib", "", "User", "get", "host interfaces, modify check and deletion, saving, transfer list", ""},
    {"LmLib", "User", "UserID", "get", "host interfaces, modify check and deletion, saving, transfer list", ""},
    {"LmLib", "User", "UserName", "get", "host interfaces, saving", ""},  // "and name"

    // ---- export (submission menus, payment-file export)
    {"LmMWBExportSetting.CExportInfo", "", "CreateObject", "", "submission menus", ""},
    {"LmMWBExportSetting.CExportInfo", "CExportInfo", "GetExportConfig", "", "submission menus", ""},
    {"LmWBExport.CExport", "", "CreateObject", "", "payment-file export", ""},
    {"LmWBExport.CExport", "CExport", "ExportPayBill", "", "payment-file export", ""},

    // ---- a menu bar: a band by key or the bands to add one to, a tool by key or the tools to
    // add one to (host interfaces, bill tools, bill menus, submission menus, transfer list)
    {"MenuBar", "", "Bands", "get", "bill menus, submission menus, transfer list", ""},
    {"MenuBar", "Bands", "Add", "", "submission menus", ""},
    {"MenuBar", "", "TAVTools", "get", "bill tools, bill menus, submission menus, transfer list", ""},
    {"MenuBar", "TAVTools", "Add", "", "bill menus, submission menus, transfer list", ""},

    // ---- trace (shared services)
    {"PWLogMsg.Log", "", "CreateObject", "", "shared services", ""},
    {"PWLogMsg.Log", "Log", "IsEnabled", "get", "shared services", ""},
    {"PWLogMsg.Log", "Log", "LogStart", "", "shared services", ""},
    {"PWLogMsg.Log", "Log", "LogEnd", "", "shared services", ""},

    // ---- shared properties and the login object (shared services)
    {"PropsMgr.ShareProps", "", "CreateObject", "", "shared services", ""},
    {"PropsMgr.ShareProps", "ShareProps", "GetProperty", "", "shared services", ""},
    {"PWLogin", "Login", "CommitTask", "", "shared services", "CommitLoginTask is a shared routine no procedure calls; tests/shared_test.cpp calls it"},

    // ---- a menu tool (TAVTool): key, texts, id, flags, face from the clipboard, drop-down band
    // (host interfaces, bill tools, bill menus, submission menus, transfer list)
    {"Tool", "TAVTool", "Key", "get", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "Caption", "put", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "ToolTipText", "put", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "DescriptionText", "put", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "Id", "put", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "Visible", "put", "bill tools, bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "Enabled", "put", "bill tools, bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "BeginGroup", "put", "bill menus, submission menus, transfer list", ""},
    {"Tool", "TAVTool", "PasteFace", "", "bill menus, transfer list", ""},
    {"Tool", "TAVTool", "DropDownBand", "put", "submission menus", ""},

    // ---- the voucher component (check and approval, vouchers)
    {"Voucher.clsVoucher", "", "CreateObject", "", "check and approval, vouchers", ""},
    {"Voucher.clsVoucher", "clsVoucher", "BillInfo", "put by reference", "vouchers", ""},
    {"Voucher.clsVoucher", "clsVoucher", "BillInfo", "get", "vouchers", ""},
    {"Voucher.clsVoucher", "clsVoucher", "vchEdit", "", "check and approval, vouchers", ""},
    {"Voucher.clsVoucher", "clsVoucher", "VchDone", "get", "check and approval, vouchers", ""},
};

}  // namespace host_contract
