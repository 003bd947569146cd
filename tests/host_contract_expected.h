// Every host member the plug-in's procedures are meant to call, as the specification writes them
// (Parts 1.4 and 1.5, which list the host's interfaces and components, and the procedures of the
// Parts named in the part column). tests/host_contract_test.cpp holds this table against the
// calls the scenario suite makes and writes the second table of docs/host-contract.md from it; a
// member no scenario reaches fails that test unless its last column says why no scenario can
// reach it yet.
//
// Columns: object (a component by ProgID, or the host's own: Bill, List, LmLib, MenuBar, Band,
// Tool, ...), interface it is reached through ("" for the object's own, and for CreateObject),
// member, call ("" any; "get" read or called; "put"; "put by reference"), Part, and the reason a
// scenario cannot reach it ("" when one must). Names are those of the contract page; where the
// specification names an operation without the host's member name ("the selection", "a bill
// operation run by numeric code", the receipt list's members), the member is the one the
// plug-in calls. Object, interface and member compare without regard to case, so the two
// spellings of the GL view's ProgID ("HOLGLView.GLView", "HOLGLview.glview") are one row.
//
// Not listed, because the contract log does not see them as calls into a host object (yet): the
// members of the record sets that data calls return (RecordCount, EOF, MoveNext, Filter, Fields)
// and of the host library's dictionaries and vectors the plug-in makes or is handed (Item,
// GetValue, Count, Add); once they are noted they appear on the page under "Observed calls
// outside the expected table" and belong here. Also not listed: the host library's routines
// (error reporter, business-date function, formatting; ax::Environment, not host objects), the
// controls on the plug-in's own forms (DTPicker, ImageList, RichTextBox) and the container's
// properties of a hosted control (Left, Top, Width, Height of the receipt list).
#pragma once

#include "sim/harness/contract.h"

namespace host_contract {

inline constexpr sim::ExpectedMember kExpectedMembers[] = {
    // ---- bank link (Parts 3.2, 3.3)
    {"BKC_Bank.Bank", "", "CreateObject", "", "3.2", ""},
    {"BKC_Bank.Bank", "Bank", "Version", "put", "3.2", ""},
    {"BKC_Bank.Bank", "Bank", "ImportPayment", "", "3.2", ""},
    {"BKS_Bank.Update", "", "CreateObject", "", "3.3", ""},
    {"BKS_Bank.Update", "Update", "CancelPayment", "", "3.3", ""},

    // ---- a band of a menu bar: its tool list with the "before" and "after" insert operations,
    // a tool by key, the kind and visible flag of a band the plug-in adds (Parts 1.4, 2.2, 3.1,
    // 4.1)
    {"Band", "", "Tools", "get", "1.4, 2.2, 3.1, 4.1", ""},
    {"Band", "", "Type", "put", "3.1", ""},
    {"Band", "", "Visible", "put", "3.1", ""},
    {"Band", "Tools", "InsertBefore", "", "2.2, 3.1, 4.1", ""},
    {"Band", "Tools", "InsertAfter", "", "2.2, 3.1, 4.1", ""},
    {"Band", "Tools", "Item", "get", "2.2, 4.1", ""},

    // ---- the bill interface of a transfer-bill window (Part 1.4)
    {"Bill", "BillInterface", "GetFieldValue", "", "1.4, 2.1, 2.3, 2.4, 2.5, 2.6", ""},
    {"Bill", "BillInterface", "SetFieldValue", "", "1.4, 2.3, 2.6", ""},
    {"Bill", "BillInterface", "LmLib", "get", "1.4, 2.4, 2.5, 2.6", ""},
    {"Bill", "BillInterface", "ClassType", "get", "1.2", ""},
    {"Bill", "BillInterface", "BillStatus", "get", "1.7", ""},
    {"Bill", "BillInterface", "EditStatus", "get", "2.4, 2.6", ""},
    {"Bill", "BillInterface", "IsDataChanged", "get", "2.6", ""},
    {"Bill", "BillInterface", "ReloadBill", "", "2.5, 2.6", ""},
    {"Bill", "BillInterface", "GetFieldInfoByKey", "", "1.7, 2.4", ""},
    {"Bill", "BillInterface", "GetDataFld", "", "1.7", ""},
    {"Bill", "BillInterface", "SetFieldInfo", "", "2.4", ""},
    {"Bill", "BillInterface", "BillForm", "get", "2.1", ""},
    {"Bill", "BillInterface", "BillParams", "get", "2.4", ""},
    {"Bill", "BillInterface", "MenuBar", "get", "1.7", ""},
    {"Bill", "BillInterface", "SetToolProperty", "", "2.1, 2.3", ""},
    {"Bill", "BillInterface", "FieldControls", "get", "2.1, 2.3", ""},
    {"Bill", "BillForm", "BillStatus", "get", "2.1", ""},
    {"Bill", "BillForm", "BillStatus", "put", "2.1", ""},
    {"Bill", "BillForm", "GetFieldInfoByKey", "", "2.1", ""},
    {"Bill", "BillForm", "GetDataFld", "", "2.1", ""},
    // FieldControls item 1 is the head page; its item by field key is the field's control
    {"Bill", "FieldControls", "Item", "get", "2.1, 2.3", ""},
    {"Bill", "FieldPage", "Item", "get", "2.1, 2.3", ""},
    {"Bill", "FieldControl", "Locked", "put", "2.1, 2.3", ""},
    // dictionaries the bill hands over: the events' dct, GetDataFld's result, BillParams
    {"Bill", "Dictionary", "Item", "get", "1.4, 1.7, 2.1, 2.3, 2.4", ""},
    {"Bill", "Dictionary", "GetValue", "", "1.4, 2.3", ""},

    // ---- centre collection's sums (Part 4.3)
    {"FENRFundSum.LedgerSum", "", "CreateObject", "", "4.3", ""},
    {"FENRFundSum.LedgerSum", "LedgerSum", "GetBalSum", "", "4.3", ""},
    {"FENRFundSum.LedgerSum", "LedgerSum", "GetAllAcnt", "", "4.3", ""},
    {"FENRMTAVExt.cAcctInfo", "", "CreateObject", "", "4.3", ""},
    {"FENRMTAVExt.cAcctInfo", "cAcctInfo", "GetAcctList", "", "4.3", ""},
    {"FENRMTAVExt.cAcctInfo", "cAcctInfo", "GetScTransferSum", "", "4.3", ""},

    // ---- the transfer-bill update component (Parts 1.6, 2.5, 4.1, 5.2)
    {"FENRMTAVExt.cTransferUpdate", "", "CreateObject", "", "1.6, 2.5, 4.1, 5.2", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "GetCheckAcctTableSql", "", "4.1", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "GetBankType", "", "5.2", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "Check", "", "2.5", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "ReCheck", "", "2.5", ""},
    {"FENRMTAVExt.cTransferUpdate", "cTransferUpdate", "DeleteVou", "", "1.6", ""},

    // ---- shared services' components (Parts 1.2, 1.3)
    {"FrmRes.FrmResLoader", "", "CreateObject", "", "1.2", ""},
    {"FrmRes.FrmResLoader", "FrmResLoader", "SetFrmFont", "", "1.2", ""},
    {"HOLBase.ClientBase", "", "CreateObject", "", "1.2", ""},
    {"HOLBase.ClientBase", "ClientBase", "SystemData", "get", "1.2", ""},
    {"HOLBase.ClientBase", "SystemData", "CurrentUserID", "get", "2.5", ""},

    // ---- the GL data object: system profile, accounts, currencies, business log, permission
    // test (Parts 1.2, 1.6, 2.3, 2.4, 2.6, 3.2, 4.2, 4.3, 5.2)
    {"HOLGLView.GLData", "", "CreateObject", "", "1.2", ""},
    {"HOLGLView.GLData", "GLData", "SystemProfile", "get", "1.2", ""},
    {"HOLGLView.GLData", "GLData", "GetAccount", "", "2.3, 2.4, 2.6", ""},
    {"HOLGLView.GLData", "GLData", "GetCurrency", "", "2.3, 3.2, 5.2", ""},
    {"HOLGLView.GLData", "GLData", "WriteLog", "", "1.2", ""},
    {"HOLGLView.GLData", "GLData", "AccessCheck", "", "1.2, 1.6", ""},
    {"HOLGLView.GLData", "SystemProfile", "Refresh", "", "1.2, 2.1, 2.4, 2.6, 4.2, 4.4, 5.2", ""},
    {"HOLGLView.GLData", "SystemProfile", "GetSystemProfile", "", "1.2, 2.6", ""},
    {"HOLGLView.GLData", "SystemProfile", "Item", "get", "4.2, 4.3", ""},
    {"HOLGLView.GLData", "SystemProfile", "GLGetPeriodDate", "", "4.2, 4.3", ""},
    {"HOLGLView.GLData", "SystemProfile", "SCGetVoucherAfterBank", "get", "2.6", ""},
    {"HOLGLView.GLData", "SystemProfile", "SCGetBillAutoVch", "get", "2.6", ""},
    {"HOLGLView.GLData", "Account", "CurrencyID", "get", "2.3, 2.4", ""},
    {"HOLGLView.GLData", "Account", "AccountID", "get", "2.6", ""},
    {"HOLGLView.GLData", "Account", "IsBank", "get", "2.6", ""},
    {"HOLGLView.GLData", "Currency", "Number", "get", "2.3, 5.2", ""},
    {"HOLGLView.GLData", "Currency", "Name", "get", "3.2, 5.2", ""},
    {"HOLGLView.GLData", "Currency", "ExchangeRate", "get", "2.3", ""},
    {"HOLGLView.GLData", "Currency", "Operator", "get", "2.3", ""},
    {"HOLGLView.GLData", "Currency", "FixRate", "get", "2.3", ""},

    // ---- the GL view's look-ups: the purpose list (singleton "HOLGLView.GLView") and the
    // account look-up (created at each use as "HOLGLview.glview") (Parts 2.3, 4.2)
    {"HOLGLView.GLView", "", "CreateObject", "", "1.2, 2.3, 4.2", ""},
    {"HOLGLView.GLView", "GLView", "SubMesLookup", "", "2.3", ""},
    {"HOLGLView.GLView", "GLView", "AcntLookup", "", "2.3, 4.2", ""},
    {"HOLGLView.GLView", "LookupResult", "ReturnOK", "get", "2.3, 4.2", ""},
    {"HOLGLView.GLView", "LookupResult", "ReturnObject", "get", "2.3, 4.2", ""},
    {"HOLGLView.GLView", "Item", "Name", "get", "2.3", ""},
    {"HOLGLView.GLView", "Account", "Acct", "get", "2.3, 4.2", ""},
    {"HOLGLView.GLView", "Account", "AcntName", "get", "2.3", ""},
    {"HOLGLView.GLView", "Account", "AcntNo", "get", "2.3", ""},
    {"HOLGLView.GLView", "Account", "Bank", "get", "2.3", ""},

    // ---- the host library's dictionary and vector (Parts 2.6, 3.2, 4.3, 5.2)
    {"HostLib.Dictionary", "", "CreateObject", "", "2.6, 3.2, 4.3, 5.2", ""},
    {"HostLib.Vector", "", "CreateObject", "", "2.6, 4.3, 5.2", ""},

    // ---- security, currencies, accounts (Parts 1.2, 2.3, 4.1, 4.2)
    {"KIVBase.SecurityInfo", "", "CreateObject", "", "1.2, 4.1", ""},
    {"KIVBase.SecurityInfo", "SecurityInfo", "AccessCheck", "", "1.2", ""},
    {"KIVBase.SecurityInfo", "SecurityInfo", "IsAdministrator", "", "4.1", ""},
    {"KIVGLCurrency.CurrencyInfo", "", "CreateObject", "", "4.2", ""},
    {"KIVGLCurrency.CurrencyInfo", "CurrencyInfo", "GetList", "", "4.2", ""},
    {"Kivglitem.Iteminfo", "", "CreateObject", "", "2.3", ""},
    {"Kivglitem.Iteminfo", "Iteminfo", "GetAnyRecordSet", "", "2.3", ""},

    // ---- the list interface of a transfer list (Parts 1.4, 1.6, 3.1 to 3.4, 4.1, 5.2)
    {"List", "ListInterface", "List", "get", "1.4, 1.6, 3.2, 3.3, 4.1", ""},
    {"List", "ListInterface", "LmLib", "get", "1.4, 1.6, 3.2, 3.3, 4.1", ""},
    {"List", "ListInterface", "dataSrv", "get", "1.4, 1.6, 4.1", ""},
    {"List", "ListInterface", "SelectedRows", "get", "1.4, 3.4, 4.1", ""},  // "the selection"
    {"List", "ListInterface", "CustomFilter", "put", "1.4, 4.1", ""},  // "a Boolean option ... set True"
    // the list's List object (shown as the object's own on the page)
    {"List", "", "GetSelectedBillID", "", "1.6, 3.2, 3.3", ""},
    {"List", "", "RsId", "get", "1.6", ""},
    {"List", "", "RefreshList", "", "1.6, 3.2, 3.3, 4.1", ""},
    {"List", "", "BillOperation", "", "1.4, 4.1", ""},  // "a bill operation run by numeric code"
    {"List", "", "Parent", "get", "5.2", ""},
    {"List", "Parent", "hwnd", "get", "5.2", ""},
    {"List", "dataSrv", "ClassType", "get", "1.6, 4.1", ""},
    {"List", "dataSrv", "ClassTypeID", "get", "1.6", ""},
    {"List", "dataSrv", "TableInfo", "get", "1.6", ""},
    {"List", "dataSrv", "ClassTypeEntry", "get", "1.6, 4.1", ""},
    // the row record sets the list hands over (RsId, ListFillRow's RowData), HeadDict
    {"List", "Recordset", "Fields", "get", "1.6, 4.1", ""},
    {"List", "Fields", "Item", "get", "1.6, 4.1", ""},
    {"List", "Field", "Value", "get", "1.6, 4.1", ""},
    {"List", "Dictionary", "Item", "get", "4.1", ""},

    // ---- bill windows opened with a template (Parts 4.4, 5.2)
    {"LmClassTpl.DataSrv", "", "CreateObject", "", "4.4, 5.2", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "ClassTypeID", "put", "4.4, 5.2", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "GetEmptyBill", "", "4.4, 5.2", ""},
    {"LmClassTpl.DataSrv", "DataSrv", "TableInfo", "get", "4.4, 5.2", ""},
    {"LmSingleClassBill.ClassInfoManager", "", "CreateObject", "", "4.4, 5.2", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "dataSrv", "put by reference", "4.4, 5.2", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "FormShowStatus", "put", "4.4, 5.2", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "Show", "", "4.4, 5.2", ""},
    {"LmSingleClassBill.ClassInfoManager", "ClassInfoManager", "hwnd", "get", "5.2", ""},

    // ---- deletion and its result display (Part 1.6)
    {"LmDisplayer.DispBuilder", "", "CreateObject", "", "1.6", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Cols", "put", "1.6", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Titles", "put", "1.6", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "SetColWidth", "", "1.6", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Add", "", "1.6", ""},
    {"LmDisplayer.DispBuilder", "DispBuilder", "Show", "", "1.6", ""},
    {"Lmconnection.Appconnection", "", "CreateObject", "", "1.6", ""},
    {"Lmconnection.Appconnection", "Appconnection", "Execute", "", "1.6", ""},
    {"LmMClass.ClassUpdate", "", "CreateObject", "", "1.6", ""},
    {"LmMClass.ClassUpdate", "ClassUpdate", "DeleteBill", "", "1.6", ""},

    // ---- the receipt picker's form support and control (Part 5.3; the control's member names
    // are the implementer's)
    {"LmFormLib.FormSupport", "", "CreateObject", "", "5.3", ""},
    {"RecSettLib.ListRecSett", "", "CreateObject", "", "5.3", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Mode", "put", "5.3", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Filter", "put", "5.3", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "Init", "", "5.3", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "LoadData", "", "5.3", ""},
    {"RecSettLib.ListRecSett", "ListRecSett", "ReturnData", "get", "5.3", ""},

    // ---- language and resources (Part 1.3)
    {"LmLangInfo.LangInfo", "", "CreateObject", "", "1.2, 1.3", ""},
    {"LmLangInfo.LangInfo", "LangInfo", "CurrentLanguage", "get", "1.2, 1.3", ""},
    {"LmResLoader.Loader", "", "CreateObject", "", "1.3", ""},
    {"LmResLoader.Loader", "Loader", "ResFileBaseName", "put", "1.3", ""},
    {"LmResLoader.Loader", "Loader", "LanguageID", "put", "1.3", ""},
    {"LmResLoader.Loader", "Loader", "LoadString", "", "1.3", ""},

    // ---- F1 help of the plug-in's dialogs (Parts 1.2, 3.5, 4.2, 5.1)
    {"LmCHMResTool.ClsCHMHelp", "", "CreateObject", "", "1.2", "no scenario command presses F1 in a dialog; tests/shared_test.cpp calls ShowF1Help"},
    {"LmCHMResTool.ClsCHMHelp", "ClsCHMHelp", "ShowHELP", "", "1.2", "no scenario command presses F1 in a dialog; tests/shared_test.cpp calls ShowF1Help"},

    // ---- the data library of a bill or list (Part 1.4)
    {"LmLib", "", "GetData", "", "1.4, 1.6, 2.4, 2.5, 3.2, 3.3", ""},
    {"LmLib", "", "ExecuteSQL", "", "1.4, 2.4, 2.6, 3.2", ""},
    {"LmLib", "", "User", "get", "1.4, 1.6, 2.4, 4.1", ""},
    {"LmLib", "User", "UserID", "get", "1.4, 1.6, 2.4, 4.1", ""},
    {"LmLib", "User", "UserName", "get", "1.4, 2.4", ""},  // "and name"

    // ---- export (Parts 3.1, 3.4)
    {"LmMWBExportSetting.CExportInfo", "", "CreateObject", "", "3.1", ""},
    {"LmMWBExportSetting.CExportInfo", "CExportInfo", "GetExportConfig", "", "3.1", ""},
    {"LmWBExport.CExport", "", "CreateObject", "", "3.4", ""},
    {"LmWBExport.CExport", "CExport", "ExportPayBill", "", "3.4", ""},

    // ---- a menu bar: a band by key or the bands to add one to, a tool by key or the tools to
    // add one to (Parts 1.4, 1.7, 2.2, 3.1, 4.1)
    {"MenuBar", "", "Bands", "get", "2.2, 3.1, 4.1", ""},
    {"MenuBar", "Bands", "Add", "", "3.1", ""},
    {"MenuBar", "", "TAVTools", "get", "1.7, 2.2, 3.1, 4.1", ""},
    {"MenuBar", "TAVTools", "Add", "", "2.2, 3.1, 4.1", ""},

    // ---- trace (Part 1.2)
    {"PWLogMsg.Log", "", "CreateObject", "", "1.2", ""},
    {"PWLogMsg.Log", "Log", "IsEnabled", "get", "1.2", ""},
    {"PWLogMsg.Log", "Log", "LogStart", "", "1.2", ""},
    {"PWLogMsg.Log", "Log", "LogEnd", "", "1.2", ""},

    // ---- shared properties and the login object (Part 1.2)
    {"PropsMgr.ShareProps", "", "CreateObject", "", "1.2", ""},
    {"PropsMgr.ShareProps", "ShareProps", "GetProperty", "", "1.2", ""},
    {"PWLogin", "Login", "CommitTask", "", "1.2", "CommitLoginTask is a shared routine no procedure of the specification calls; tests/shared_test.cpp calls it"},

    // ---- a menu tool (TAVTool): key, texts, id, flags, face from the clipboard, drop-down band
    // (Parts 1.4, 1.7, 2.2, 3.1, 4.1)
    {"Tool", "TAVTool", "Key", "get", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "Caption", "put", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "ToolTipText", "put", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "DescriptionText", "put", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "Id", "put", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "Visible", "put", "1.7, 2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "Enabled", "put", "1.7, 2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "BeginGroup", "put", "2.2, 3.1, 4.1", ""},
    {"Tool", "TAVTool", "PasteFace", "", "2.2, 4.1", ""},
    {"Tool", "TAVTool", "DropDownBand", "put", "3.1", ""},

    // ---- the voucher component (Parts 2.5, 2.6)
    {"Voucher.clsVoucher", "", "CreateObject", "", "2.5, 2.6", ""},
    {"Voucher.clsVoucher", "clsVoucher", "BillInfo", "put by reference", "2.6", ""},
    {"Voucher.clsVoucher", "clsVoucher", "BillInfo", "get", "2.6", ""},
    {"Voucher.clsVoucher", "clsVoucher", "vchEdit", "", "2.5, 2.6", ""},
    {"Voucher.clsVoucher", "clsVoucher", "VchDone", "get", "2.5, 2.6", ""},
};

}  // namespace host_contract
