// The bank-submission result dialog: one rich-text box with the result lines of a submission or
// withdrawal and a close button. One shared instance serves every caller.
#pragma once

#include <cstdint>
#include <string>

#include "automation/form.h"

namespace sc {

class dlgBankSend : public ax::Form {
 public:
  // Help topic of the dialog (F1).
  static constexpr int32_t kHelpContextId = 460131;

  dlgBankSend();

  // The shared instance, created on first use.
  static dlgBankSend& Default();
  // Shows the text (replacing what the box held) modally; returns when the dialog is closed.
  static void ShowMsg(const std::string& text);

  void Form_Load() override;
  void Form_Resize() override;
  void Form_KeyDown(int16_t& keyCode, int16_t& shift) override;
  void Click(const std::string& control) override;

 private:
  void Show(const std::string& text);
};

}  // namespace sc
