// The host's context and service components the shared routines use:
//
//   LmLangInfo.LangInfo        CurrentLanguage: the scenario's `language` (default "chs"; in a
//                              key audit "chs" is reported as Host::kAuditLanguage).
//   LmResLoader.Loader         ResFileBaseName, LanguageID (get/put); LoadString(text): with
//                              ResFileBaseName "QOR" and a language that is not "chs", the
//                              scenario's `translate` entry for the text exactly as given (the
//                              loader does not trim it), else (`catalogue on`, sctav
//                              --language) the shipped translation of that language, otherwise
//                              the text unchanged. Every key asked for is recorded.
//   PWLogMsg.Log               IsEnabled (True; may be set), LogStart(name) -> handle 1, 2, …
//                              and LogEnd(handle, failed): trace entries in the transcript,
//                              each start and the flag its end came with kept in order
//                              (trace_log.h).
//   PropsMgr.ShareProps        GetProperty(process id, name): "PropsString" gives the context
//                              string "Language=<code>;UserID=<id>;UserName=<name>;DBName=
//                              demo;", "PWLogin" the login object (CommitTask(id) -> True).
//                              Another process id has no properties (Empty).
//   HOLBase.ClientBase         SystemData: CurrentUserID, CurrentUserName, Language.
//   KIVBase.SecurityInfo       AccessCheck(context, four numbers): the scenario's `security`;
//                              IsAdministrator(context, user): the scenario's `admin`. Both
//                              refuse an empty context string with an error.
//   LmCHMResTool.ClsCHMHelp    ShowHELP(six arguments): recorded as call "help".
//   FrmRes.FrmResLoader        SetFrmFont(form, language): recorded as call "font" with the
//                              form's Name and the language; sets the Font (Name, Size, Bold,
//                              Charset) of the form and of each of its Controls.
#include <map>
#include <memory>
#include <string>

#include "automation/error.h"
#include "sim/host/call_check.h"
#include "sim/host/components/trace_log.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

class LangInfo : public HostObject {
 public:
  explicit LangInfo(Host& host) : HostObject(host, "LmLangInfo.LangInfo", "LangInfo") {
    Property("CurrentLanguage", [this] { return ax::Variant(this->host().ReportedLanguage()); });
  }
};

class ResLoader : public HostObject {
 public:
  explicit ResLoader(Host& host) : HostObject(host, "LmResLoader.Loader", "Loader") {
    Property("ResFileBaseName", [this] { return ax::Variant(baseName_); },
             [this](const ax::Variant& v) { baseName_ = ax::DisplayText(v); });
    Property("LanguageID", [this] { return ax::Variant(language_); },
             [this](const ax::Variant& v) { language_ = ax::DisplayText(v); });
    Method("LoadString", [this](ax::Args& args) -> ax::Variant {
      std::string text = ArgText(args, 0);
      this->host().NoteLoaderKey(text);
      if (language_.empty() || ax::EqualsNoCase(language_, "chs") ||
          language_ == Host::kAuditLanguage)
        return text;
      // The translations live in the resource file of base name "QOR": a loader that was not
      // pointed at it finds none. Keys are looked up as given, not trimmed here.
      if (baseName_ != "QOR") return text;
      auto translated = this->host().LoaderText(language_, text);
      return translated ? *translated : text;
    });
  }

 private:
  std::string baseName_;
  std::string language_;
};

class TraceLog : public HostObject {
 public:
  explicit TraceLog(Host& host) : HostObject(host, "PWLogMsg.Log", "Log") {
    Property("IsEnabled", [this] { return ax::Variant(enabled_); },
             [this](const ax::Variant& v) { enabled_ = ax::CBool(v); });
    Method("LogStart", [this](ax::Args& args) -> ax::Variant {
      int32_t handle = ++last_;
      auto& entries = this->host().Extension<TraceEntries>()->entries;
      entries.push_back({ArgText(args, 0), handle, std::nullopt});
      open_[handle] = entries.size() - 1;
      this->host().Note(Channel::Trace, "start " + entries.back().name);
      return handle;
    });
    Method("LogEnd", [this](ax::Args& args) -> ax::Variant {
      int32_t handle = ArgLong(args, 0);
      int32_t failed = ArgLong(args, 1);
      auto& entries = this->host().Extension<TraceEntries>()->entries;
      auto it = open_.find(handle);
      std::string name = "#" + std::to_string(handle);
      if (it != open_.end()) {
        entries[it->second].failed = failed;
        name = entries[it->second].name;
        open_.erase(it);
      }
      this->host().Note(Channel::Trace, "end   " + name + (failed ? " (failed)" : ""));
      return {};
    });
  }

 private:
  bool enabled_ = true;
  int32_t last_ = 0;
  std::map<int32_t, size_t> open_;  // handle -> its entry in TraceEntries
};

class LoginObject : public HostObject {
 public:
  explicit LoginObject(Host& host) : HostObject(host, "PWLogin", "Login") {
    Method("CommitTask", [this](ax::Args& args) -> ax::Variant {
      this->host().Note(Channel::Host, "login task " + ArgText(args, 0) + " committed");
      return true;
    });
  }
};

class ShareProps : public HostObject {
 public:
  explicit ShareProps(Host& host) : HostObject(host, "PropsMgr.ShareProps", "ShareProps") {
    Method("GetProperty", [this](ax::Args& args) -> ax::Variant {
      Host& h = this->host();
      // Shared properties belong to the host process that set them.
      if (ArgLong(args, 0) != static_cast<int32_t>(h.CurrentProcessId())) return {};
      std::string name = ArgText(args, 1);
      if (ax::EqualsNoCase(name, "PropsString")) return ContextString(h);
      if (ax::EqualsNoCase(name, "PWLogin"))
        return ax::DispatchPtr(std::make_shared<LoginObject>(h));
      return {};
    });
  }
};

class SystemData : public HostObject {
 public:
  explicit SystemData(Host& host) : HostObject(host, "HOLBase.ClientBase", "SystemData") {
    Property("CurrentUserID", [this] { return ax::Variant(this->host().CurrentUser()); });
    Property("CurrentUserName",
             [this] { return ax::Variant(this->host().UserName(this->host().CurrentUser())); });
    Property("Language", [this] { return ax::Variant(this->host().Language()); });
  }
};

class ClientBase : public HostObject {
 public:
  explicit ClientBase(Host& host) : HostObject(host, "HOLBase.ClientBase", "ClientBase") {
    Property("SystemData", [this] {
      return ax::Variant(ax::DispatchPtr(std::make_shared<SystemData>(this->host())));
    });
  }
};

class SecurityInfo : public HostObject {
 public:
  explicit SecurityInfo(Host& host) : HostObject(host, "KIVBase.SecurityInfo", "SecurityInfo") {
    Method("AccessCheck", [this](ax::Args& args) -> ax::Variant {
      RequireContext(args, "AccessCheck");
      // The function codes of submitting to and withdrawing from the bank and the show-error
      // flag; whether they come by reference is the caller's.
      CallCheck(this->host(), "SecurityInfo.AccessCheck", args)
          .Count(5)
          .Context(0)
          .Value(1, 29)
          .Value(2, 11)
          .OneOf(3, {256, 512})
          .Value(4, true);
      bool allowed = this->host().SecurityAllowed(ax::CLng(args[3].value()));
      this->host().RecordCall("security", {ArgText(args, 1), ArgText(args, 2), ArgText(args, 3),
                                           allowed ? "allowed" : "denied"});
      this->host().Note(Channel::Host, std::string("function security test: ") +
                                           (allowed ? "allowed" : "denied"));
      return allowed;
    });
    Method("IsAdministrator", [this](ax::Args& args) -> ax::Variant {
      RequireContext(args, "IsAdministrator");
      return this->host().IsAdministrator(ArgLong(args, 1));
    });
  }

 private:
  static void RequireContext(const ax::Args& args, const char* member) {
    if (ax::Trim(ArgText(args, 0)).empty())
      throw ax::AutomationError(ax::err::kInvalidCall, "没有有效的系统上下文",
                                std::string("SecurityInfo.") + member);
  }
};

class ChmHelp : public HostObject {
 public:
  explicit ChmHelp(Host& host) : HostObject(host, "LmCHMResTool.ClsCHMHelp", "ClsCHMHelp") {
    Method("ShowHELP", [this](ax::Args& args) -> ax::Variant {
      // The help context id, 0, then the dialog's text, Long, text, Long.
      CallCheck(this->host(), "ClsCHMHelp.ShowHELP", args)
          .Count(6).Numeric(0).Number(1, 0).Kind(2, ax::VarType::String).Kind(3, ax::VarType::Long)
          .Kind(4, ax::VarType::String).Kind(5, ax::VarType::Long);
      std::vector<std::string> values;
      for (size_t i = 0; i < args.size(); ++i) values.push_back(ax::DisplayText(args[i].value()));
      this->host().RecordCall("help", std::move(values));
      return {};
    });
  }
};

class FrmResLoader : public HostObject {
  static void SetFont(const ax::Object& font) {
    for (const char* member : {"Name", "Size", "Bold", "Charset"}) font.Put(member, font.Get(member));
  }

 public:
  explicit FrmResLoader(Host& host) : HostObject(host, "FrmRes.FrmResLoader", "FrmResLoader") {
    Method("SetFrmFont", [this](ax::Args& args) -> ax::Variant {
      ax::Object form = ax::Object::FromVariantOrNothing(ax::ArgAt(args, 0));
      std::string name = form.IsNothing() ? std::string("Nothing") : ax::DisplayText(form.Get("Name"));
      this->host().RecordCall("font", {name, ArgText(args, 1)});
      if (!form.IsNothing()) {
        // As a form's font loader does: the form's font, then every control's. The fonts are
        // written back as they are; which face a language takes is the host's own.
        SetFont(form.GetObj("Font"));
        ax::Object controls = form.GetObj("Controls");
        int32_t count = ax::CLng(controls.Get("Count"));
        for (int32_t i = 0; i < count; ++i) SetFont(controls.ItemObj(i).GetObj("Font"));
      }
      return {};
    });
  }
};

template <class T>
Host::Factory Make() {
  return [](Host& h) -> ax::DispatchPtr { return std::make_shared<T>(h); };
}

}  // namespace

void RegisterContextComponents(Host& host) {
  host.Register("LmLangInfo.LangInfo", Make<LangInfo>());
  host.Register("LmResLoader.Loader", Make<ResLoader>());
  host.Register("PWLogMsg.Log", Make<TraceLog>());
  host.Register("PropsMgr.ShareProps", Make<ShareProps>());
  host.Register("HOLBase.ClientBase", Make<ClientBase>());
  host.Register("KIVBase.SecurityInfo", Make<SecurityInfo>());
  host.Register("LmCHMResTool.ClsCHMHelp", Make<ChmHelp>());
  host.Register("FrmRes.FrmResLoader", Make<FrmResLoader>());
}

}  // namespace sim
