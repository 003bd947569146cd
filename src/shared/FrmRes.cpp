#include "shared/FrmRes.h"

#include "automation/error.h"

namespace sc {

namespace {
const std::vector<ax::Picture>& ImgList() {
  static const std::vector<ax::Picture> kImages = {
      {FrmRes::kCheck, "审核: a green tick on a sheet"},
      {FrmRes::kApprove, "审批: a red seal on a sheet"},
      {FrmRes::kCentreCollect, "中心归集: arrows converging on a coin stack"},
      {FrmRes::kBankCollect, "银行归集: arrows converging on a bank"},
      {FrmRes::kCreateVoucher, "单据生成凭证: a sheet with an arrow to a ledger page"},
      {FrmRes::kVoucher, "凭证: a ledger page"},
  };
  return kImages;
}
}  // namespace

ax::Picture FrmRes::ListImage(int32_t index) {
  const auto& images = ImgList();
  if (index < 1 || index > static_cast<int32_t>(images.size()))
    throw ax::AutomationError(ax::err::kIndexOutOfBounds, "Index out of bounds", "ImgList");
  return images[static_cast<size_t>(index - 1)];
}

int32_t FrmRes::ImageCount() { return static_cast<int32_t>(ImgList().size()); }

}  // namespace sc
