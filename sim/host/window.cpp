#include "sim/host/window.h"

#include "automation/error.h"
#include "sim/host/collections.h"
#include "sim/host/counted_object.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/recordset.h"

namespace sim {

Window::Window(Host& host, std::string title)
    : winHost_(host), title_(std::move(title)), menuBar_(std::make_shared<MenuBar>(host)) {
  hwnd_ = winHost_.NewHwnd(winHost_.MainHwnd(), title_);
}

Window::~Window() {
  // The plug-in is released first so that it disconnects while the window still exists.
  plugin_.reset();
}

void Window::Close() {
  if (!open_) return;
  open_ = false;
  plugin_.reset();
  winHost_.DestroyHwnd(hwnd_);
}

void Window::AttachPlugin(std::string_view progId, const ax::DispatchPtr& self) {
  ax::DispatchPtr plugin;
  try {
    plugin = winHost_.CreatePlugin(progId);
    ax::Args args{ax::Arg(ax::Variant(self))};
    plugin->Invoke("Show", ax::kMethod, args);
  } catch (const ax::AutomationError& e) {
    winHost_.ReportError(e);
    return;
  }
  plugin_ = std::move(plugin);
}

std::string ArgForTranscript(const ax::Variant& v) {
  switch (v.type()) {
    case ax::VarType::String:
      return "\"" + v.asString() + "\"";
    case ax::VarType::Object: {
      if (!v.asObject()) return "Nothing";
      if (auto d = std::dynamic_pointer_cast<Dictionary>(v.asObject())) {
        std::string out = "{";
        bool first = true;
        for (const auto& [k, val] : d->Entries()) {
          if (val.isObject()) continue;
          out += first ? "" : ", ";
          first = false;
          out += k + "=" + ArgForTranscript(val);
        }
        return out + "}";
      }
      if (auto t = std::dynamic_pointer_cast<Tool>(v.asObject())) return "Tool " + t->key;
      return v.asObject()->ClassName();
    }
    case ax::VarType::Missing:
      return "(omitted)";
    default:
      return ax::DisplayText(v);
  }
}

bool Window::Raise(std::string_view eventName, ax::Args& args, bool quiet) {
  // The objects an event hands over are counted host objects like any other.
  for (auto& a : args)
    if (!a.isByRef()) a = Counted(winHost_, IsBill() ? "Bill" : "List", a.value());
  if (quiet) {
    try {
      events_.Raise(eventName, args);
      return true;
    } catch (const ax::AutomationError& e) {
      winHost_.Note(Channel::Event, std::string(eventName) + " -> failed: " + e.Description());
      winHost_.ReportError(e);
      return false;
    }
  }
  std::string text = std::string(eventName) + "(";
  std::vector<ax::Variant> before;
  for (size_t i = 0; i < args.size(); ++i) {
    text += (i ? ", " : "") + ArgForTranscript(args[i].value());
    before.push_back(args[i].value());
  }
  text += ")";
  winHost_.Note(Channel::Event, text);
  bool ok = true;
  std::string failure;
  try {
    events_.Raise(eventName, args);
  } catch (const ax::AutomationError& e) {
    ok = false;
    failure = e.Description();
    winHost_.ReportError(e);
  }
  // By-reference parameters the plug-in changed.
  std::string changed;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!args[i].isByRef()) continue;
    const ax::Variant& now = args[i].value();
    bool same = now.type() == before[i].type() && ax::DisplayText(now) == ax::DisplayText(before[i]);
    if (!same)
      changed += (changed.empty() ? "" : ", ") + std::string("#") + std::to_string(i + 1) + "=" +
                 ArgForTranscript(now);
  }
  std::string outcome;
  if (!changed.empty()) outcome += " " + changed;
  if (!ok) outcome += " failed: " + failure;
  if (!outcome.empty()) winHost_.Note(Channel::Event, std::string(eventName) + " ->" + outcome);
  return ok;
}

// ---- LmLib ------------------------------------------------------------------------------------

DataLibrary::DataLibrary(Host& host, int32_t userId)
    : HostObject(host, "LmLib", "LmLib"), userId_(userId) {
  Method("GetData", [this](ax::Args& args) -> ax::Variant {
    CallCheck(this->host(), "LmLib.GetData", args).Count(1).Kind(0, ax::VarType::String);
    std::string sql = ArgText(args, 0);
    this->host().RecordSql("GetData", sql);
    Rows rows = this->host().Db().QuerySent(sql);
    return this->host().DataRecordset(std::move(rows), this->ObjectName());
  });
  Method("ExecuteSQL", [this](ax::Args& args) -> ax::Variant {
    CallCheck(this->host(), "LmLib.ExecuteSQL", args).Count(1).Kind(0, ax::VarType::String);
    std::string sql = ArgText(args, 0);
    this->host().RecordSql("ExecuteSQL", sql);
    this->host().Db().ExecuteSent(sql);
    return {};
  });
  Property("User", [this]() -> ax::Variant {
    auto user = std::make_shared<BasicObject>(this->host(), "LmLib", "User");
    int32_t id = userId_;
    std::string name = this->host().UserName(id);
    user->Property("UserID", [id]() -> ax::Variant { return id; });
    user->Property("UserName", [name]() -> ax::Variant { return name; });
    user->Property("Name", [name]() -> ax::Variant { return name; });
    return ax::DispatchPtr(user);
  });
}

void Window::Click(const std::string& toolKey) {
  // The host hands over the tool the user clicked, whose key is exactly the one written; a key
  // that differs only in case is another tool (a stand-in of that key when the menu holds none),
  // so that the plug-in's exact-key dispatch can be scripted.
  std::shared_ptr<Tool> tool;
  for (const auto& t : Menu().Tools())
    if (t->key == toolKey) {
      tool = t;
      break;
    }
  if (!tool) tool = std::make_shared<Tool>(winHost_, toolKey);
  std::string window = "window " + std::to_string(Number());
  winHost_.Note(Channel::Host, window + ": the user clicks " + toolKey + (tool->enabled ? "" : " (disabled)"));
  ax::Variant cancel(false);
  ax::Args args{ax::Arg(ax::Variant(ax::DispatchPtr(tool))), ax::Arg::byRef(cancel)};
  bool ok = Raise("MenuBarClick", args);
  lastCancelled = ax::IsTrue(cancel);
  if (!ok) return;  // the host reported the failure and does not run its command
  if (lastCancelled) {
    winHost_.Note(Channel::Host, window + ": " + toolKey + " cancelled by the plug-in");
    return;
  }
  RunHostCommand(toolKey);
}

}  // namespace sim
