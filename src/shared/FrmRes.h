// The resource form: the pictures of the plug-in's menu commands, by 1-based index.
#pragma once

#include <cstdint>
#include <vector>

#include "automation/runtime.h"

namespace sc {

class FrmRes {
 public:
  enum Image : int32_t {
    kCheck = 1,         // 审核
    kApprove = 2,       // 审批
    kCentreCollect = 3, // 中心归集
    kBankCollect = 4,   // 银行归集
    kCreateVoucher = 5, // 单据生成凭证
    kVoucher = 6,       // 凭证
  };

  // ImgList.ListImages(index).Picture; an index outside 1…Count raises 35600
  // "Index out of bounds", as the image list does.
  static ax::Picture ListImage(int32_t index);
  static int32_t ImageCount();
};

}  // namespace sc
