// Small stand-ins for unit tests of the plug-in core: late-bound objects whose members are
// lambdas and record every call, and an environment (component registry, user interface, host
// library) that records what the plug-in asked of it. Each test installs a fresh FakeEnv and
// starts with the library's process-wide caches dropped.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/error.h"
#include "automation/object.h"
#include "automation/runtime.h"
#include "automation/variant.h"
#include "host/progids.h"

namespace sctest {

// The calls made on fake objects, in order, as "Name.Member(arg,arg)" for calls and reads and
// "Name.Member=value" for assignments.
using CallLog = std::vector<std::string>;

inline std::string ArgText(const ax::Variant& v) {
  if (v.isMissing()) return "<omitted>";
  if (v.isObject()) return v.asObject() ? v.asObject()->ClassName() : "Nothing";
  if (v.isString()) return "\"" + v.asString() + "\"";
  return ax::DisplayText(v);
}

class FakeObject : public ax::Dispatch {
 public:
  using Fn = std::function<ax::Variant(ax::Args&)>;
  FakeObject(std::string name, CallLog* log) : name_(std::move(name)), log_(log) {}

  // A member answering every call kind with fn (for puts the value is the last argument).
  FakeObject& On(const std::string& member, Fn fn) {
    members_[Key(member)] = std::move(fn);
    return *this;
  }
  // A property holding a value: get returns it, put replaces it.
  FakeObject& Prop(const std::string& member, ax::Variant value) {
    props_[Key(member)] = std::move(value);
    return *this;
  }
  const ax::Variant& PropValue(const std::string& member) { return props_[Key(member)]; }

  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    std::string key = Key(std::string(member));
    if (log_) log_->push_back(Describe(member, kind, args));
    if (auto it = members_.find(key); it != members_.end()) return it->second(args);
    if (auto it = props_.find(key); it != props_.end()) {
      if (kind & (ax::kPut | ax::kPutRef)) {
        it->second = ax::PutValue(args);
        return {};
      }
      return it->second;
    }
    throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                              name_ + "." + std::string(member));
  }
  std::string ClassName() const override { return name_; }

 private:
  static std::string Key(const std::string& s) { return ax::UCase(s); }
  std::string Describe(std::string_view member, unsigned kind, const ax::Args& args) const {
    bool put = (kind & (ax::kPut | ax::kPutRef)) != 0;
    size_t n = put && !args.empty() ? args.size() - 1 : args.size();
    std::string out = name_ + "." + std::string(member);
    if (n > 0 || !put) {
      out += "(";
      for (size_t i = 0; i < n; ++i) out += (i ? "," : "") + ArgText(args[i].value());
      out += ")";
    }
    if (put && !args.empty()) out += "=" + ArgText(args.back().value());
    return out;
  }

  std::string name_;
  CallLog* log_;
  std::map<std::string, Fn> members_;
  std::map<std::string, ax::Variant> props_;
};

using FakePtr = std::shared_ptr<FakeObject>;

struct ShownBox {
  std::string text;
  int flags;
  std::string title;
};

class FakeEnv : public ax::ComponentRegistry, public ax::Ui, public ax::HostLibrary {
 public:
  CallLog log;
  std::vector<ShownBox> boxes;
  std::vector<int> pointers;  // every SetMousePointer, in order
  std::vector<ax::AutomationError> reported;
  std::vector<std::pair<ax::DateValue, ax::DateValue>> centreDateCalls;
  std::map<std::string, int> created;  // ProgID (upper case) -> creations
  ax::DateValue now = ax::MakeDate(2026, 12, 8, 10, 30, 0);
  int answer = ax::mb::kIdOk;

  // Registers a component: factory runs at every CreateObject of the ProgID.
  void Register(const std::string& progId, std::function<ax::Object()> factory) {
    factories_[ax::UCase(progId)] = std::move(factory);
  }
  // Registers a component that always hands out the same object.
  FakePtr Single(const std::string& progId, const std::string& name) {
    auto obj = std::make_shared<FakeObject>(name, &log);
    Register(progId, [obj] { return ax::Object(obj); });
    return obj;
  }
  // A new fake object that logs into this environment's call log.
  FakePtr Make(const std::string& name) { return std::make_shared<FakeObject>(name, &log); }

  ax::Object Create(std::string_view progId) override {
    std::string key = ax::UCase(progId);
    ++created[key];
    auto it = factories_.find(key);
    if (it == factories_.end()) throw ax::Error(ax::err::kCantCreate, std::string(progId));
    return it->second();
  }

  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    boxes.push_back({text, flags, title});
    return answer;
  }
  void SetMousePointer(int pointer) override {
    pointer_ = pointer;
    pointers.push_back(pointer);
  }
  int MousePointer() const override { return pointer_; }
  void DoEvents() override {}
  void SetClipboardPicture(const ax::Picture& picture) override { clip_ = picture; }
  ax::Picture ClipboardPicture() const override { return clip_; }
  void ShowModal(ax::Form&) override {}
  double Timer() override { return 0; }
  ax::DateValue Now() override { return now; }
  uint32_t CurrentProcessId() override { return 777; }
  intptr_t GetParent(intptr_t) override { return 0; }
  bool IsWindow(intptr_t) override { return false; }
  bool IsIconic(intptr_t) override { return false; }
  bool ShowWindow(intptr_t, int) override { return false; }
  bool SetForegroundWindow(intptr_t) override { return false; }
  bool GetWindowRect(intptr_t, ax::Rect&) override { return false; }
  intptr_t SendMessageA(intptr_t, uint32_t, uintptr_t, intptr_t) override { return 0; }

  void ReportError(const ax::AutomationError& error) override { reported.push_back(error); }
  ax::DateValue CentreDate(ax::DateValue profileDate, ax::DateValue today) override {
    centreDateCalls.emplace_back(profileDate, today);
    return profileDate;
  }

  // The calls logged since the last Take, and the log emptied.
  CallLog Take() {
    CallLog out;
    out.swap(log);
    return out;
  }

 private:
  std::map<std::string, std::function<ax::Object()>> factories_;
  int pointer_ = 0;
  ax::Picture clip_;
};

// Installs a fresh environment of type Env around each test and drops the library's caches
// before and after.
template <class Env>
class FakeHostTestOf : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ax::GetEnvironment();
    ax::RunUnloadHooks();
    ax::SetEnvironment(ax::Environment{&env, &env, &env});
  }
  void TearDown() override {
    ax::RunUnloadHooks();
    ax::SetEnvironment(saved_);
  }
  // The components every form needs: the language ("chs") and the font loader.
  void AddFormComponents() {
    env.Single(std::string(sc::host::ProgId::LangInfo), "LangInfo")->Prop("CurrentLanguage", "chs");
    env.Single(std::string(sc::host::ProgId::FrmResLoader), "Fonts")
        ->On("SetFrmFont", [](ax::Args&) -> ax::Variant { return {}; });
  }
  Env env;

 private:
  ax::Environment saved_;
};
using FakeHostTest = FakeHostTestOf<FakeEnv>;

// Runs f and gives "error N" for the automation error it raised, "" when it completed.
template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
    return "";
  } catch (const ax::AutomationError& e) {
    return "error " + std::to_string(e.Number());
  }
}

}  // namespace sctest
