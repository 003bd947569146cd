#include "shared/SysObjects.h"

#include "automation/runtime.h"
#include "host/components.h"
#include "host/progids.h"
#include "host/transfer_bill.h"
#include "shared/MLoadPWString.h"
#include "shared/ProcessState.h"

namespace sc {

namespace {

struct SysState {
  ax::Object glData;
  ax::Object glView;
  ax::Object profile;     // the last system profile fetched
  ax::Object systemData;  // the last system data fetched
  ax::Object langInfo;    // LmLangInfo.LangInfo for a context without a context string
  ax::Object help;        // LmCHMResTool.ClsCHMHelp
  ax::Object fontLoader;  // FrmRes.FrmResLoader
};

SysState& Sys() { return ProcessWide<SysState>(); }

// The form as the font loader sees it: its name and caption at the time of the call.
class FormObject : public ax::Dispatch {
 public:
  explicit FormObject(const ax::Form& form) : name_(form.Name()), caption_(form.caption) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    (void)args;
    if ((kind & ax::kGet) && ax::EqualsNoCase(member, "Name")) return name_;
    if ((kind & ax::kGet) && ax::EqualsNoCase(member, "Caption")) return caption_;
    throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                              "Form." + std::string(member));
  }
  std::string ClassName() const override { return name_; }

 private:
  std::string name_;
  std::string caption_;
};

}  // namespace

ax::Object GetGLData() {
  SysState& s = Sys();
  if (s.glData.IsNothing()) s.glData = ax::CreateObject(host::ProgId::GLData);
  return s.glData;
}

ax::Object GetGLView() {
  SysState& s = Sys();
  if (s.glView.IsNothing()) s.glView = ax::CreateObject(host::ProgId::GLView);
  return s.glView;
}

ax::Object GetProfileObject() {
  SysState& s = Sys();
  s.profile = host::SystemProfile(GetGLData());
  return s.profile;
}

ax::Object GetSystemData() {
  SysState& s = Sys();
  ax::Object clientBase = ax::CreateObject(host::ProgId::ClientBase);
  s.systemData = clientBase.GetObj("SystemData");
  return s.systemData;
}

ax::Variant GetSharedProperty(const std::string& name) {
  ax::Object props = ax::CreateObject(host::ProgId::ShareProps);
  int32_t processId = static_cast<int32_t>(ax::GetUi().CurrentProcessId());
  return props.Get("GetProperty", {processId, name});
}

std::string GetPropsString() {
  return host::TextOf(GetSharedProperty("PropsString"));
}

std::string GetPropsValue(const std::string& key) {
  std::string props;
  try {
    props = GetPropsString();
  } catch (...) {
    props.clear();
  }
  if (props.empty()) {
    SysState& s = Sys();
    if (s.langInfo.IsNothing()) s.langInfo = ax::CreateObject(host::ProgId::LangInfo);
    return host::TextOf(s.langInfo.Get("CurrentLanguage"));
  }
  if (props.back() != ';') props += ';';
  int32_t at = ax::InStr(1, props, key + "=", true);
  if (at == 0) return {};
  int32_t end = ax::InStr(at, props, ";");
  std::string entry = ax::Mid(props, at, end - at);
  return ax::Mid(entry, ax::Len(key) + 2);
}

ax::Object GetLoginObject() { return ax::Object(GetSharedProperty("PWLogin")); }

bool CommitLoginTask(int32_t& taskId) {
  if (taskId == 0) return false;
  bool committed = ax::IsTrue(GetLoginObject().Get("CommitTask", {taskId}));
  if (committed) taskId = 0;
  return committed;
}

bool ShowF1Help(int32_t keyCode, int32_t helpContextId, const std::string& text1, int32_t long1,
                const std::string& text2, int32_t long2) {
  if (keyCode != 112) return false;
  SysState& s = Sys();
  if (s.help.IsNothing()) s.help = ax::CreateObject(host::ProgId::CHMHelp);
  s.help.Call("ShowHELP", {helpContextId, 0, text1, long1, text2, long2});
  return true;
}

void FormKeyDownHelp(int16_t& keyCode, int16_t& shift, int32_t helpContextId) {
  if (ShowF1Help(keyCode, helpContextId, "", 0, "", 0)) {
    keyCode = 0;
    shift = 0;
  }
}

void SetFormFont(ax::Form& form) {
  SysState& s = Sys();
  if (s.fontLoader.IsNothing()) s.fontLoader = ax::CreateObject(host::ProgId::FrmResLoader);
  ax::Object formObject(std::make_shared<FormObject>(form));
  s.fontLoader.Call("SetFrmFont", {formObject, GetLanguage()});
}

}  // namespace sc
