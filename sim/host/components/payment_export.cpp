// LmWBExport.CExport, the host's payment-file export: ExportPayBill writes the chosen bills as a
// bank payment file, one line per bill (bill number, payer's and payee's bank accounts, amount
// and currency), into the output folder (ExportState: by default a temporary folder of the
// host's own, removed with it), and records the call.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/components/payment_export.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

std::string Folder(ExportState& state) {
  if (state.folder.empty()) {
    // A folder of its own: a name nobody has taken yet, created here (create_directory fails on
    // one that exists).
    std::random_device random;
    std::error_code ec;
    const auto temp = std::filesystem::temp_directory_path(ec);
    for (int attempt = 0; !ec && attempt < 100 && state.folder.empty(); ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "sctav-export-%08x", static_cast<unsigned>(random()));
      const auto folder = temp / name;
      if (std::filesystem::create_directory(folder, ec) && !ec) {
        state.folder = folder.string();
        state.temporary = true;
      }
    }
    if (state.folder.empty())
      throw ax::AutomationError(kComponentError, "无法创建引出目录", "LmWBExport.CExport");
  }
  return state.folder;
}

std::string Amount(const ax::Variant& amount, const ax::Variant& scale) {
  const int digits = scale.isNull() ? 2 : ax::CLng(scale);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", digits < 0 ? 0 : digits, ax::CDbl(amount));
  return buf;
}

class PaymentExport : public HostObject {
 public:
  PaymentExport(Host& host, std::shared_ptr<ExportState> state)
      : HostObject(host, "LmWBExport.CExport", "CExport"), state_(std::move(state)) {
    Method("ExportPayBill", [this](ax::Args& args) { return ExportPayBill(args); });
  }

 private:
  [[noreturn]] void Raise(const std::string& description) {
    throw ax::AutomationError(kComponentError, description, "LmWBExport.CExport");
  }

  // ExportPayBill(bank-type key by reference, subsystem key, id list by reference, bill kind).
  ax::Variant ExportPayBill(ax::Args& args) {
    CallCheck(host(), "CExport.ExportPayBill", args)
        .Count(4)
        .ByRef(0)
        .Kind(0, ax::VarType::String)
        .Value(1, "ESC")
        .ByRef(2)
        .Kind(2, ax::VarType::String)
        .Value(3, "scTransfer");
    const std::string key = ArgText(args, 0);
    const std::string subsystem = ArgText(args, 1);
    const std::string ids = ArgText(args, 2);
    const std::string billKind = ArgText(args, 3);
    host().RecordCall("export", {key, subsystem, ids, billKind});

    Database& db = host().Db();
    if (db.QueryNative("SELECT 1 FROM t_BankType WHERE FKey=?", {key}).data.empty())
      Raise("未定义的银行付款文件格式：" + key);

    std::vector<std::string> lines;
    std::stringstream list(ids);
    std::string item;
    while (std::getline(list, item, ',')) {
      char* end = nullptr;
      const long id = std::strtol(item.c_str(), &end, 10);
      if (item.empty() || *end != '\0') Raise("单据内码无效：" + item);
      Rows r = db.QueryNative(
          "SELECT t.FBillNo, t.FPayBankAcnt, t.FRecBankAcnt, t.FAmt, c.FNumber, c.FScale"
          " FROM t_scTransfer t LEFT JOIN t_Currency c ON c.FCurrencyID=t.FCyID WHERE t.FID=?",
          {static_cast<int32_t>(id)});
      if (r.data.empty()) Raise("单据不存在：" + item);
      const auto& row = r.data[0];
      lines.push_back(ax::DisplayText(row[0]) + "," + ax::DisplayText(row[1]) + "," +
                      ax::DisplayText(row[2]) + "," + Amount(row[3], row[5]) + "," +
                      ax::DisplayText(row[4]));
    }

    const std::string date = ax::FormatDate(host().Today(), "yyyy-mm-dd");
    std::string stamp;
    for (char c : date)
      if (c != '-') stamp += c;
    const std::filesystem::path path = std::filesystem::path(Folder(*state_)) /
                                       (key + "_" + stamp + "_" + std::to_string(++state_->written) + ".txt");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << "\r\n";
    out.close();
    if (!out) Raise("无法写入付款文件：" + path.string());
    state_->lastFile = path.string();
    host().Note(Channel::Call, "payment file written: " + path.string() + " (" +
                                   std::to_string(lines.size()) + " bills)");
    for (const auto& line : lines) host().Note(Channel::Call, "  " + line);
    return {};
  }

  std::shared_ptr<ExportState> state_;
};

}  // namespace

void RegisterPaymentExport(Host& host) {
  host.Register("LmWBExport.CExport", [](Host& h) -> ax::DispatchPtr {
    return std::make_shared<PaymentExport>(h, h.Extension<ExportState>());
  });
}

}  // namespace sim
