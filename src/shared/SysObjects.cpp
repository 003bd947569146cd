#include "shared/SysObjects.h"

#include <memory>
#include <utility>

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

// The form as the font loader sees it: its name and caption, its font and its controls with
// theirs, as a form's font loader walks them. They reach into the form only while the loader's
// call lasts: a loader that keeps one and uses it later gets error 91, never a form that is gone.
ax::AutomationError NoMember(const std::string& object, std::string_view member) {
  return ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                             object + "." + std::string(member));
}

// Shared by the objects of one loader call; false once the call has returned.
using Lease = std::shared_ptr<bool>;

void NeedLease(const Lease& lease, std::string_view object) {
  if (!*lease)
    throw ax::AutomationError(ax::err::kObjectNotSet, ax::StandardDescription(ax::err::kObjectNotSet),
                              std::string(object));
}

class FontObject : public ax::Dispatch {
 public:
  FontObject(ax::Font& font, Lease lease) : font_(font), lease_(std::move(lease)) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    NeedLease(lease_, "Font");
    bool put = (kind & ax::kPut) != 0;
    if (ax::EqualsNoCase(member, "Name")) {
      if (put) font_.name = ax::CStr(ax::PutValue(args));
      return put ? ax::Variant() : ax::Variant(font_.name);
    }
    if (ax::EqualsNoCase(member, "Size")) {
      if (put) font_.size = ax::CDbl(ax::PutValue(args));
      return put ? ax::Variant() : ax::Variant(font_.size);
    }
    if (ax::EqualsNoCase(member, "Bold")) {
      if (put) font_.bold = ax::CBool(ax::PutValue(args));
      return put ? ax::Variant() : ax::Variant(font_.bold);
    }
    if (ax::EqualsNoCase(member, "Charset")) {
      if (put) font_.charset = ax::CInt(ax::PutValue(args));
      return put ? ax::Variant() : ax::Variant(static_cast<int16_t>(font_.charset));
    }
    throw NoMember("Font", member);
  }
  std::string ClassName() const override { return "StdFont"; }

 private:
  ax::Font& font_;
  Lease lease_;
};

class ControlObject : public ax::Dispatch {
 public:
  ControlObject(ax::Control& control, Lease lease) : control_(control), lease_(std::move(lease)) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args&) override {
    NeedLease(lease_, "Control");
    if ((kind & ax::kGet) && ax::EqualsNoCase(member, "Name")) return control_.Name();
    if ((kind & ax::kGet) && ax::EqualsNoCase(member, "Font")) {
      return ax::Variant(std::make_shared<FontObject>(control_.font, lease_));
    }
    throw NoMember(control_.Name(), member);
  }
  std::string ClassName() const override { return *lease_ ? control_.Kind() : "Control"; }

 private:
  ax::Control& control_;
  Lease lease_;
};

// Form.Controls: Count, and Item by 0-based index or by name.
class ControlsObject : public ax::Dispatch {
 public:
  ControlsObject(ax::Form& form, Lease lease) : form_(form), lease_(std::move(lease)) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    NeedLease(lease_, "Controls");
    const std::vector<std::string>& order = form_.ControlOrder();
    if ((kind & ax::kGet) && ax::EqualsNoCase(member, "Count")) {
      return static_cast<int32_t>(order.size());
    }
    if ((kind & (ax::kGet | ax::kMethod)) && (ax::EqualsNoCase(member, "Item") || member.empty())) {
      if (args.size() != 1) throw ax::Error(ax::err::kWrongArgs);
      const ax::Variant& key = args[0].value();
      if (key.isString()) return ax::Variant(std::make_shared<ControlObject>(form_.C(ax::CStr(key)), lease_));
      int32_t index = ax::CLng(key);
      if (index < 0 || static_cast<size_t>(index) >= order.size()) throw ax::Error(ax::err::kSubscript);
      return ax::Variant(std::make_shared<ControlObject>(form_.C(order[static_cast<size_t>(index)]), lease_));
    }
    throw NoMember("Controls", member);
  }
  std::string ClassName() const override { return "Object"; }

 private:
  ax::Form& form_;
  Lease lease_;
};

class FormObject : public ax::Dispatch {
 public:
  FormObject(ax::Form& form, Lease lease) : form_(form), lease_(std::move(lease)) {}
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args&) override {
    NeedLease(lease_, "Form");
    if (kind & ax::kGet) {
      if (ax::EqualsNoCase(member, "Name")) return form_.Name();
      if (ax::EqualsNoCase(member, "Caption")) return form_.caption;
      if (ax::EqualsNoCase(member, "Font")) return ax::Variant(std::make_shared<FontObject>(form_.font, lease_));
      if (ax::EqualsNoCase(member, "Controls")) return ax::Variant(std::make_shared<ControlsObject>(form_, lease_));
    }
    throw NoMember("Form", member);
  }
  std::string ClassName() const override { return *lease_ ? form_.Name() : "Form"; }

 private:
  ax::Form& form_;
  Lease lease_;
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
  auto lease = std::make_shared<bool>(true);
  struct EndLease {
    Lease& lease;
    ~EndLease() { *lease = false; }
  } end{lease};
  ax::Object formObject(std::make_shared<FormObject>(form, lease));
  s.fontLoader.Call("SetFrmFont", {formObject, GetLanguage()});
}

}  // namespace sc
