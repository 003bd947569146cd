#include "shared/BankClientPub.h"

#include <string_view>

#include "shared/MLoadPWString.h"

namespace sc {

std::string BankStatusText(const std::string& code) {
  struct Entry {
    std::string_view code;
    const char* text;
  };
  static constexpr Entry kTexts[] = {
      {"INVALIDATED", N_("数据格式错误")},
      {"SUBMIT_SUCCESSE", N_("提交成功")},
      {"TRANSACTION_FAILURE", N_("交易失败")},
      {"TRANSACTION_NOTCONFIRM", N_("交易未确定")},
      {"TRANSACTION_SUCCESS", N_("交易成功")},
      {"WILLSUBMIT", N_("准备提交")},
      {"EXCEPTION", N_("异常错误")},
      {"BK201", N_("已撤消")},
      {"FC001", N_("付款单未提交")},
      {"FC002", N_("付款单已撤销，不能再次撤销")},
      {"FC003", N_("付款单提交成功，不能撤销")},
  };
  if (code.empty()) return {};
  for (const Entry& e : kTexts) {
    if (e.code == code) return LoadPWString(e.text);
  }
  return LoadPWString("未知的错误信息");
}

}  // namespace sc
