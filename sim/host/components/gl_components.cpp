// The general ledger's shared objects: HOLGLView.GLData and HOLGLView.GLView (also spelled
// HOLGLview.glview; ProgIDs compare without regard to case).
//
// GLData
//   SystemProfile          the system profile (t_SystemProfile). Like the host's, it keeps the
//                          values it read until Refresh, so a scenario that changes a `profile`
//                          or `setting` after the plug-in first read them sees them only where
//                          the plug-in refreshes. Members: Refresh, GetSystemProfile(category,
//                          key, default) (the default when the entry is missing), Item(category,
//                          key) (Empty when missing), the Booleans SCGetVoucherAfterBank and
//                          SCGetBillAutoVch (`setting`).
//   GetAccount(text)       the ledger account of the centre account with that code: CurrencyID,
//                          AccountID (t_Account.FAccountID), IsBank, and Number, Name, FID of the
//                          centre account. Nothing when there is no such account or the current
//                          user may not use it (view_UserAcnt).
//   GetCurrency(id)        Number, Name, ExchangeRate, Operator, FixRate (0/1), Scale; Nothing for
//                          an unknown id.
//   WriteLog(code, kind, text)   a business-log entry (t_Log, read by `expect log`).
//   AccessCheck(object type, object id, right)   the scenario's `right <user> <code>` for the
//                          current user; allowed when the scenario said nothing.
//
// GLView
//   AcntLookup(omitted, 0, 1)   the centre-account look-up: takes the queued `pick account
//                          <code>|cancel`; ReturnOK, ReturnObject (Acct, AcntName, AcntNo, Bank,
//                          FID). Only accounts the user may use can be picked.
//   SubMesLookup(type, "")  the message-list look-up (412 purposes): takes the queued `pick
//                          purpose "<text>"|cancel`; ReturnOK, ReturnObject (Name, FID, FInterID).
//
// Every sub-object answers to the component's ProgID for `fail` (for example
// `fail HOLGLView.GLData.GetSystemProfile`).
#include <map>
#include <memory>
#include <string>

#include "automation/error.h"
#include "sim/host/bill_window.h"
#include "sim/host/database.h"
#include "sim/host/call_check.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

namespace {

constexpr const char* kGLData = "HOLGLView.GLData";
constexpr const char* kGLView = "HOLGLView.GLView";

// An object of plain read-only properties.
class ValueObject : public HostObject {
 public:
  ValueObject(Host& host, std::string objectName, std::string className,
              std::vector<std::pair<std::string, ax::Variant>> values)
      : HostObject(host, std::move(objectName), std::move(className)) {
    for (auto& [name, value] : values)
      Property(name, [v = value] { return v; });
  }
};

ax::Variant Nothing() { return ax::Variant(ax::DispatchPtr()); }

class SystemProfile : public HostObject {
 public:
  explicit SystemProfile(Host& host) : HostObject(host, kGLData, "SystemProfile") {
    Load();
    Method("Refresh", [this](ax::Args&) -> ax::Variant {
      Load();
      return {};
    });
    Method("GetSystemProfile", [this](ax::Args& args) -> ax::Variant {
      // The default is the caller's: a text or the computer's date.
      CallCheck(this->host(), "SystemProfile.GetSystemProfile", args)
          .Count(3).Kind(0, ax::VarType::String).Kind(1, ax::VarType::String).ByValue(2);
      const std::string* v = Find(ArgText(args, 0), ArgText(args, 1));
      if (!v) return ArgGiven(args, 2) ? ax::ArgAt(args, 2) : ax::Variant("");
      return *v;
    });
    Method("Item", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "SystemProfile.Item", args)
          .Count(2).Kind(0, ax::VarType::String).Kind(1, ax::VarType::String);
      const std::string* v = Find(ArgText(args, 0), ArgText(args, 1));
      return v ? ax::Variant(*v) : ax::Variant();
    });
    // The first day of a period, from the ledger's own period table; a period the ledger does
    // not have is an error.
    Method("GLGetPeriodDate", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "SystemProfile.GLGetPeriodDate", args)
          .Count(2).Kind(0, ax::VarType::Long).Kind(1, ax::VarType::Long);
      int32_t year = ArgLong(args, 0), period = ArgLong(args, 1);
      Rows r = this->host().Db().QueryNative(
          "SELECT FStartDate FROM t_GLPeriod WHERE FYear = ? AND FPeriod = ?", {year, period});
      if (r.data.empty())
        throw ax::AutomationError(ax::err::kInvalidCall,
                                  "会计期间 " + std::to_string(year) + " 年第 " +
                                      std::to_string(period) + " 期不存在",
                                  "SystemProfile");
      return ax::CDate(r.data[0][0]);
    });
    Property("SCGetVoucherAfterBank", [this] { return ax::Variant(Flag("SCGetVoucherAfterBank", false)); });
    Property("SCGetBillAutoVch", [this] { return ax::Variant(Flag("SCGetBillAutoVch", true)); });
  }

 private:
  void Load() {
    values_.clear();
    Rows r = host().Db().QueryNative("SELECT FCategory, FKey, FValue FROM t_SystemProfile");
    for (const auto& row : r.data)
      values_[Key(ax::DisplayText(row[0]), ax::DisplayText(row[1]))] =
          row[2].isNull() ? std::string() : ax::DisplayText(row[2]);
  }
  static std::string Key(const std::string& category, const std::string& key) {
    return ax::UCase(category) + "\n" + ax::UCase(key);
  }
  const std::string* Find(const std::string& category, const std::string& key) const {
    auto it = values_.find(Key(category, key));
    return it == values_.end() ? nullptr : &it->second;
  }
  bool Flag(const std::string& key, bool dflt) const {
    const std::string* v = Find("SC", key);
    if (!v) return dflt;
    std::string t = ax::UCase(ax::Trim(*v));
    return !(t.empty() || t == "0" || t == "FALSE");
  }

  std::map<std::string, std::string> values_;
};

class GLData : public HostObject {
 public:
  explicit GLData(Host& host) : HostObject(host, kGLData, "GLData") {
    Property("SystemProfile", [this] {
      if (!profile_) profile_ = std::make_shared<SystemProfile>(this->host());
      return ax::Variant(ax::DispatchPtr(profile_));
    });
    // The account as its text names it: a text with blanks around it names no account.
    Method("GetAccount", [this](ax::Args& args) {
      CallCheck(this->host(), "GLData.GetAccount", args).Count(1).Kind(0, ax::VarType::String);
      return GetAccount(ArgText(args, 0));
    });
    Method("GetCurrency", [this](ax::Args& args) {
      CallCheck(this->host(), "GLData.GetCurrency", args).Count(1).Numeric(0);
      return GetCurrency(ArgLong(args, 0));
    });
    Method("WriteLog", [this](ax::Args& args) -> ax::Variant {
      CallCheck(this->host(), "GLData.WriteLog", args)
          .Count(3)
          .Kind(0, ax::VarType::String)
          .Kind(1, ax::VarType::Long)
          .Kind(2, ax::VarType::String);
      this->host().WriteBusinessLog(ArgText(args, 0), ArgLong(args, 1), ArgText(args, 2));
      return {};
    });
    Method("AccessCheck", [this](ax::Args& args) -> ax::Variant {
      Host& h = this->host();
      // The object type and id are those of the transfer bill's class description, with the
      // kinds the class description holds them in.
      auto classType = TransferClassType(h.Db());
      CallCheck(h, "GLData.AccessCheck", args)
          .Count(3)
          .Value(0, classType->Get("FObjectType"))
          .Value(1, classType->Get("FObjectID"))
          .Kind(2, ax::VarType::Long);
      bool allowed = h.RightAllowed(h.CurrentUser(), ArgLong(args, 2));
      h.RecordCall("right", {ArgText(args, 2), allowed ? "allowed" : "denied"});
      h.Note(Channel::Host, "object right " + ArgText(args, 2) + " of user " +
                                std::to_string(h.CurrentUser()) + ": " +
                                (allowed ? "allowed" : "denied"));
      return allowed;
    });
  }

 private:
  ax::Variant GetAccount(const std::string& code) {
    Host& h = host();
    Rows r = h.Db().QueryNative(
        "SELECT a.FID, a.FNumber, a.FName, a.FCurrencyID, a.FAcctID, l.FIsBank"
        " FROM t_Acnt a LEFT JOIN t_Account l ON l.FAccountID = a.FAcctID"
        " JOIN view_UserAcnt u ON u.FAcntID = a.FID AND u.FUserID = ?"
        " WHERE a.FNumber = ?",
        {h.CurrentUser(), code});
    if (r.data.empty()) return Nothing();
    const auto& row = r.data[0];
    bool isBank = !row[5].isNull() && ax::CLng(row[5]) != 0;
    return ax::DispatchPtr(std::make_shared<ValueObject>(
        h, kGLData, "Account",
        std::vector<std::pair<std::string, ax::Variant>>{
            {"FID", row[0]},
            {"Number", row[1]},
            {"Name", row[2]},
            {"CurrencyID", row[3].isNull() ? ax::Variant(0) : row[3]},
            {"AccountID", row[4].isNull() ? ax::Variant(0) : row[4]},
            {"IsBank", isBank}}));
  }

  ax::Variant GetCurrency(int32_t id) {
    Host& h = host();
    Rows r = h.Db().QueryNative(
        "SELECT FNumber, FName, FExchangeRate, FOperator, FFixRate, FScale FROM t_Currency"
        " WHERE FCurrencyID = ?",
        {id});
    if (r.data.empty()) return Nothing();
    const auto& row = r.data[0];
    return ax::DispatchPtr(std::make_shared<ValueObject>(
        h, kGLData, "Currency",
        std::vector<std::pair<std::string, ax::Variant>>{{"ID", id},
                                                         {"Number", row[0]},
                                                         {"Name", row[1]},
                                                         {"ExchangeRate", ax::CDbl(row[2])},
                                                         {"Operator", row[3]},
                                                         {"FixRate", ax::CLng(row[4])},
                                                         {"Scale", ax::CLng(row[5])}}));
  }

  std::shared_ptr<SystemProfile> profile_;
};

// The result of a look-up dialog.
ax::Variant LookupResult(Host& host, bool ok, ax::Variant returned) {
  return ax::DispatchPtr(std::make_shared<ValueObject>(
      host, kGLView, "LookupResult",
      std::vector<std::pair<std::string, ax::Variant>>{{"ReturnOK", ok},
                                                       {"ReturnObject", std::move(returned)}}));
}

class GLView : public HostObject {
 public:
  explicit GLView(Host& host) : HostObject(host, kGLView, "GLView") {
    Method("AcntLookup", [this](ax::Args& args) {
      CallCheck(this->host(), "GLView.AcntLookup", args).Count(3).Omitted(0).Number(1, 0).Number(2, 1);
      return AcntLookup();
    });
    Method("SubMesLookup", [this](ax::Args& args) {
      CallCheck(this->host(), "GLView.SubMesLookup", args).Count(2).Number(0, 412).Value(1, "");
      return SubMesLookup(ArgLong(args, 0));
    });
  }

 private:
  ax::Variant AcntLookup() {
    Host& h = host();
    Reply reply = h.TakeReply("pick account", "the account look-up");
    if (reply.verb == "cancel") {
      h.Note(Channel::Host, "account look-up: cancelled");
      return LookupResult(h, false, Nothing());
    }
    std::string code = reply.text.empty() ? reply.verb : reply.text;
    Rows r = h.Db().QueryNative(
        "SELECT a.FID, a.FNumber, a.FName, a.FAcntNo, a.FBank FROM t_Acnt a"
        " JOIN view_UserAcnt u ON u.FAcntID = a.FID AND u.FUserID = ?"
        " WHERE a.FNumber = ?",
        {h.CurrentUser(), code});
    if (r.data.empty())
      h.Fail("the account look-up does not offer " + code + " to user " +
             std::to_string(h.CurrentUser()) + " (" + reply.where + ")");
    const auto& row = r.data[0];
    h.Note(Channel::Host, "account look-up: chose " + code + " " + ax::DisplayText(row[2]));
    return LookupResult(
        h, true,
        ax::DispatchPtr(std::make_shared<ValueObject>(
            h, kGLView, "Account",
            std::vector<std::pair<std::string, ax::Variant>>{{"FID", row[0]},
                                                             {"Acct", row[1]},
                                                             {"AcntName", row[2]},
                                                             {"AcntNo", row[3]},
                                                             {"Bank", row[4]}})));
  }

  ax::Variant SubMesLookup(int32_t type) {
    Host& h = host();
    Reply reply = h.TakeReply("pick purpose", "the message-list look-up");
    if (reply.verb == "cancel") {
      h.Note(Channel::Host, "list " + std::to_string(type) + " look-up: cancelled");
      return LookupResult(h, false, Nothing());
    }
    std::string name = reply.text.empty() ? reply.verb : reply.text;
    Rows r = h.Db().QueryNative(
        "SELECT FInterID, FID, FName FROM t_submessage WHERE FTypeID = ? AND FName = ?",
        {type, name});
    if (r.data.empty())
      h.Fail("list " + std::to_string(type) + " has no entry " + name + " (" + reply.where + ")");
    const auto& row = r.data[0];
    h.Note(Channel::Host, "list " + std::to_string(type) + " look-up: chose " + name);
    return LookupResult(
        h, true,
        ax::DispatchPtr(std::make_shared<ValueObject>(
            h, kGLView, "Item",
            std::vector<std::pair<std::string, ax::Variant>>{
                {"FInterID", row[0]}, {"FID", row[1]}, {"Name", row[2]}})));
  }
};

}  // namespace

void RegisterGlComponents(Host& host) {
  host.Register(kGLData, [](Host& h) -> ax::DispatchPtr { return std::make_shared<GLData>(h); });
  host.Register(kGLView, [](Host& h) -> ax::DispatchPtr { return std::make_shared<GLView>(h); });
}

}  // namespace sim
