// Registration of every simulated host component. Each component file under sim/host/components/
// provides one RegisterXxx(Host&) and adds one line here.
#include "sim/host/host.h"

namespace sim {

void RegisterCollections(Host& host);

void RegisterBankLink(Host& host);
void RegisterBankUpdate(Host& host);
void RegisterExportInfo(Host& host);
void RegisterPaymentExport(Host& host);
void RegisterReceiptList(Host& host);
void RegisterDispBuilder(Host& host);
void RegisterAppConnection(Host& host);
void RegisterClassUpdate(Host& host);
void RegisterAcctInfo(Host& host);
void RegisterLedgerSum(Host& host);
void RegisterCurrencyInfo(Host& host);
void RegisterClassBill(Host& host);
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
  RegisterReceiptList(host);
  RegisterDispBuilder(host);
  RegisterAppConnection(host);
  RegisterClassUpdate(host);
  RegisterAcctInfo(host);
  RegisterLedgerSum(host);
  RegisterCurrencyInfo(host);
  RegisterClassBill(host);
  RegisterGlComponents(host);
  RegisterContextComponents(host);
  RegisterTransferUpdate(host);
  RegisterVoucher(host);
  RegisterItemInfo(host);
}

}  // namespace sim
