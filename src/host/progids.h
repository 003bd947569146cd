// ProgIDs of the host's components, written once. Every component is created late-bound through
// ax::CreateObject; ProgIDs compare without regard to case, so the two spellings of the GL view
// component reach the same class.
#pragma once

#include <string_view>

namespace sc::host::ProgId {

// Held process-wide (created on first use, kept until the library unloads).
inline constexpr std::string_view GLData = "HOLGLView.GLData";
inline constexpr std::string_view GLView = "HOLGLView.GLView";
inline constexpr std::string_view LangInfo = "LmLangInfo.LangInfo";
inline constexpr std::string_view ResLoader = "LmResLoader.Loader";
inline constexpr std::string_view CHMHelp = "LmCHMResTool.ClsCHMHelp";
inline constexpr std::string_view FrmResLoader = "FrmRes.FrmResLoader";
inline constexpr std::string_view LogMsg = "PWLogMsg.Log";

// Created at each use.
inline constexpr std::string_view ShareProps = "PropsMgr.ShareProps";
inline constexpr std::string_view ClientBase = "HOLBase.ClientBase";
inline constexpr std::string_view GLViewLookup = "HOLGLview.glview";  // same class as GLView
inline constexpr std::string_view ItemInfo = "Kivglitem.Iteminfo";
inline constexpr std::string_view SecurityInfo = "KIVBase.SecurityInfo";
inline constexpr std::string_view CurrencyInfo = "KIVGLCurrency.CurrencyInfo";
inline constexpr std::string_view TransferUpdate = "FENRMTAVExt.cTransferUpdate";
inline constexpr std::string_view AcctInfo = "FENRMTAVExt.cAcctInfo";
inline constexpr std::string_view LedgerSum = "FENRFundSum.LedgerSum";
inline constexpr std::string_view DataSrv = "LmClassTpl.DataSrv";
inline constexpr std::string_view ClassInfoManager = "LmSingleClassBill.ClassInfoManager";
inline constexpr std::string_view DispBuilder = "LmDisplayer.DispBuilder";
inline constexpr std::string_view AppConnection = "Lmconnection.Appconnection";
inline constexpr std::string_view ClassUpdate = "LmMClass.ClassUpdate";
inline constexpr std::string_view Voucher = "Voucher.clsVoucher";
inline constexpr std::string_view ExportInfo = "LmMWBExportSetting.CExportInfo";
inline constexpr std::string_view Export = "LmWBExport.CExport";
inline constexpr std::string_view BankLink = "BKC_Bank.Bank";
inline constexpr std::string_view BankUpdate = "BKS_Bank.Update";

// The host library's keyed dictionary and 1-based vector.
inline constexpr std::string_view Dictionary = "HostLib.Dictionary";
inline constexpr std::string_view Vector = "HostLib.Vector";

// Controls hosted on the plug-in's own forms.
inline constexpr std::string_view DTPicker = "MSComCtl2.DTPicker";
inline constexpr std::string_view ImageList = "MSComctlLib.ImageList";
inline constexpr std::string_view RichTextBox = "RichTextLib.RichTextBox";
inline constexpr std::string_view ListRecSett = "RecSettLib.ListRecSett";
// Form support of the host's form library, handed to hosted controls such as the receipt list.
inline constexpr std::string_view FormSupport = "LmFormLib.FormSupport";

}  // namespace sc::host::ProgId
