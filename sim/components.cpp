// Registration of every simulated host component. Each component file under sim/components/
// provides one RegisterXxx(Host&) and adds one line here.
#include "sim/host.h"
#include "sim/scenario_language.h"

namespace sim {

void RegisterCollections(Host& host);

void RegisterBankLink(Host& host);
void RegisterBankUpdate(Host& host);
void RegisterExportInfo(Host& host);
void RegisterPaymentExport(Host& host);
void RegisterBankSendDriver(Host& host);
void RegisterReceiptList(Host& host);
void RegisterBankCollectDialog(Host& host);
void RegisterDispBuilder(Host& host);
void RegisterAppConnection(Host& host);
void RegisterClassUpdate(Host& host);
void RegisterAcctInfo(Host& host);
void RegisterLedgerSum(Host& host);
void RegisterCurrencyInfo(Host& host);
void RegisterClassBill(Host& host);
void RegisterCentreDialog(Host& host);
void RegisterGlComponents(Host& host);
void RegisterContextComponents(Host& host);
void RegisterTransferUpdate(Host& host);
void RegisterVoucher(Host& host);
void RegisterItemInfo(Host& host);

void RegisterComponents(Host& host) {
  RegisterCollections(host);
  RegisterBankLink(host);
  RegisterBankUpdate(host);
  RegisterExportInfo(host);
  RegisterPaymentExport(host);
  RegisterBankSendDriver(host);
  RegisterReceiptList(host);
  RegisterBankCollectDialog(host);
  RegisterDispBuilder(host);
  RegisterAppConnection(host);
  RegisterClassUpdate(host);
  RegisterAcctInfo(host);
  RegisterLedgerSum(host);
  RegisterCurrencyInfo(host);
  RegisterClassBill(host);
  RegisterCentreDialog(host);
  RegisterGlComponents(host);
  RegisterContextComponents(host);
  RegisterTransferUpdate(host);
  RegisterVoucher(host);
  RegisterItemInfo(host);
}

std::vector<ScenarioCommand> PaymentExportCommands();
std::vector<ScenarioCommand> CentreDialogCommands();
std::vector<ScenarioCommand> BankCollectDialogCommands();
std::vector<ScenarioCommand> ReceiptListCommands();
std::vector<ScenarioCommand> BankLinkCommands();

// The scenario commands the components add to the language, each beside its component.
std::vector<ScenarioCommand> ComponentCommands() {
  std::vector<ScenarioCommand> all;
  for (auto part : {PaymentExportCommands, CentreDialogCommands, BankCollectDialogCommands, ReceiptListCommands,
                BankLinkCommands})
    for (auto& c : part()) all.push_back(std::move(c));
  return all;
}

}  // namespace sim
