#include "banksubmit/dlgBankSend.h"

#include <memory>

#include "automation/error.h"
#include "shared/MLoadPWString.h"
#include "shared/ProcessState.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

// Design-time layout, in twips.
constexpr int32_t kFormWidth = 7200;
constexpr int32_t kFormHeight = 5400;
constexpr int32_t kMsgLeft = 120;
constexpr int32_t kMsgTop = 120;
constexpr int32_t kButtonWidth = 1215;
constexpr int32_t kButtonHeight = 375;

// A control's width or height: a negative extent is an invalid property value, as the
// platform's controls refuse it.
void SetExtent(int32_t& extent, int32_t value) {
  if (value < 0)
    throw ax::AutomationError(ax::err::kInvalidPropertyValue, "Invalid property value");
  extent = value;
}

}  // namespace

dlgBankSend::dlgBankSend() : ax::Form("dlgBankSend") {
  width = kFormWidth;
  height = kFormHeight;
  // The layout keeps 120 twips beside the text box and beneath the close button: of the 900
  // below the text box's top the rest is the frame.
  scaleWidth = kFormWidth - 120;
  scaleHeight = kFormHeight - 205;

  ax::Control& rtMsg = AddControl("rtMsg", "RichTextBox");
  rtMsg.left = kMsgLeft;
  rtMsg.top = kMsgTop;
  rtMsg.width = kFormWidth - 2 * kMsgLeft - 120;
  rtMsg.height = kFormHeight - 900;
  rtMsg.tabIndex = 0;
  rtMsg.locked = true;  // the results are read, never edited

  ax::Control& button = AddControl("Command1", "CommandButton");
  button.width = kButtonWidth;
  button.height = kButtonHeight;
  button.top = rtMsg.top + rtMsg.height + 80;
  button.left = kFormWidth - kButtonWidth - 180;
  button.tabIndex = 1;
}

dlgBankSend& dlgBankSend::Default() {
  std::unique_ptr<dlgBankSend>& instance = ProcessWide<std::unique_ptr<dlgBankSend>>();
  if (!instance) instance = std::make_unique<dlgBankSend>();
  return *instance;
}

void dlgBankSend::ShowMsg(const std::string& text) { Default().Show(text); }

void dlgBankSend::Show(const std::string& text) {
  // Touching the text box loads the form first, so Load never overwrites the new text.
  EnsureLoaded();
  C("rtMsg").text = text;
  ShowModal();
}

void dlgBankSend::Form_Load() {
  keyPreview = true;
  SetFormFont(*this);
  caption = LoadPWString("提交银行");
  C("Command1").caption = LoadPWString("关闭(&C)");
}

void dlgBankSend::Form_KeyDown(int16_t& keyCode, int16_t& shift) {
  FormKeyDownHelp(keyCode, shift, kHelpContextId);
}

void dlgBankSend::Form_Resize() {
  // A minimised form reports sizes too small for the layout: the first refused extent ends the
  // layout and the controls not reached keep their places.
  try {
    ax::Control& rtMsg = C("rtMsg");
    ax::Control& button = C("Command1");
    SetExtent(rtMsg.width, width - 2 * rtMsg.left - 120);
    SetExtent(rtMsg.height, height - 900);
    button.top = rtMsg.top + rtMsg.height + 80;
    button.left = width - button.width - 180;
  } catch (const ax::AutomationError&) {
  }
}

void dlgBankSend::Click(const std::string& control) {
  if (control == "Command1") Unload();
}

}  // namespace sc
