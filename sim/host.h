// The simulated host: one object per simulated process. It is the component registry, the user
// interface and the host library of the automation environment (it installs itself with
// ax::SetEnvironment), and it owns everything a scenario sets up or reads back:
//
//   - the SQL database (the demo settlement centre unless told otherwise) and the transcript;
//   - the scenario's settings: today, user, language, translations, rights, the function
//     security test, administrators, system-profile entries and the two voucher settings;
//   - the queued answers of the scripted user (one FIFO per kind) and the messages shown to the
//     user that scenarios read back (message boxes that are not questions, result displays);
//   - the errors the host reported, the business-log read position and recorded component
//     calls (export, voucher windows, ...);
//   - the windows (bill and list windows, numbered in opening order) and the simulated window
//     system behind the Win32 window functions.
//
// Components of the host (GLData, LangInfo, SecurityInfo, ...) are HostObjects created by
// ProgID through the factories registered in sim::RegisterComponents (sim/components.cpp); they
// read the settings through the accessors below, never through the scenario text.
//
// How later components plug in:
//   - settings:   CurrentUser(), UserName(id), Today(), Now(), Language(), Translation(text),
//                 RightAllowed(user, code), SecurityAllowed(), IsAdministrator(user),
//                 ProfileValue(category, key), SetProfileValue(...), VoucherAfterBank(),
//                 BillAutoVoucher(); the raw Settings struct through settings().
//   - answers:    TakeReply("voucher", "the voucher window") etc.; a missing answer fails the
//                 run with "no answer queued for <what>" (see Reply for the kinds).
//   - results:    PushResult(text) for a result display or result dialog (read by `expect
//                 result`); message boxes go through ax::Ui::MessageBox.
//   - recording:  RecordCall("export", {bankKey, subsystem, ids, billKind}) (read in order by
//                 `expect export` and `expect call <kind> ...`).
//   - business log: WriteBusinessLog(objectCode, kind, text) stores a row that `expect log`
//                 reads in order.
//   - modal forms: RegisterFormDriver("dlgBankSend", fn): ShowModal(form) calls fn, which plays
//                 the user's part from the queued answers; forms without a driver fail the run
//                 with "not available yet: <form>".
//   - windows:    OpenBill(...) opens a bill window with the bill plug-in attached (also for
//                 prefilled new bills, see BillOpening); MainHwnd() and the window functions.
//   - per-host state of a component: Extension<T>() (made on first use, gone with the host).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <typeindex>
#include <vector>

#include "automation/object.h"
#include "automation/runtime.h"
#include "automation/variant.h"
#include "sim/database.h"
#include "sim/transcript.h"

namespace sim {

class BillWindow;
class ListWindow;
class Window;
class Dictionary;

// A failure of the scenario itself (an expectation that does not hold, a missing answer, a
// command that cannot run). The runner reports it with file and line.
class ContractLog;

class ScenarioFailure : public std::runtime_error {
 public:
  explicit ScenarioFailure(const std::string& what) : std::runtime_error(what) {}
};

// Case-insensitive ordering for setting keys.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// What a scenario set up that the database does not hold. Defaults are those of a new
// scenario. Administrators (t_User.FIsAdmin), the system profile (t_SystemProfile, with the two
// voucher settings under category "SC") and the accounts a user may see (t_UserAcnt) live in
// the database; the accessors of Host read them there.
struct Settings {
  ax::DateValue today;                  // the computer's date (`today`), 2026-12-08
  int32_t user = 2;                     // the logged-in user (`user`)
  std::string language = "chs";         // `language`
  std::map<std::string, std::string> translations;  // trimmed Chinese text -> translation
  bool catalogue = false;               // `catalogue on`: the shipped translations serve too
  std::map<std::pair<int32_t, int32_t>, bool> rights;  // (user, right code) -> allowed; absent: allowed
  bool security = true;                 // the function security test (`security`)
  // `recordsets`: every data call hands forward-only record sets, or those of the objects named
  bool forwardOnly = false;
  std::vector<std::string> forwardOnlyObjects;
};

// One queued answer of the scripted user. Kinds and what they hold:
//   "answer"          verb yes|no|ok|cancel; text = the question it must answer (hasText)
//   "voucher"         verb complete|cancel
//   "pick account"    verb code|cancel; text = the account code
//   "pick purpose"    verb text|cancel; text = the purpose
//   "bank"            verb accept|refuse; text = the reason
//   "cancelpayment"   verb true|false|error; text = the error description
//   "dialog centre"   verb ok|cancel; options date, from, to, unposted, bydate (as written)
//   "dialog bank"     verb ok|cancel; options from, to
//   "picker"          verb ids|cancel; values = the FRecSettIDs
struct Reply {
  std::string kind;
  std::string verb;
  std::string text;
  bool hasText = false;
  std::vector<std::string> values;
  std::map<std::string, std::string> options;
  std::string where;  // file:line of the command that queued it
  bool Option(const std::string& key, std::string* value = nullptr) const;
};

// A message shown to the user that a scenario reads back.
struct ShownMessage {
  bool result = false;  // a result display (`expect result`), else a message box
  std::string text;
  int flags = 0;
  std::string title;
};

struct RecordedCall {
  std::string kind;
  std::vector<std::string> values;
};

// How a bill window is opened.
struct BillOpening {
  std::optional<int32_t> fid;  // an existing bill; empty for a new bill
  // Prefilled head fields of a new bill: value, and optionally the shown code (FFND) and text
  // (FDSP); locked fields are read-only in the window.
  struct Field {
    std::string key;
    std::optional<ax::Variant> value;
    std::optional<std::string> code;
    std::optional<std::string> text;
    bool locked = false;
  };
  std::vector<Field> fields;
  std::shared_ptr<Dictionary> params;  // BillParams (FRecSettID, ...); an empty one when absent
  bool byUser = true;                  // opened by a user command: becomes the current window
};

// A simulated top-level or child window of the host's window system.
struct SimHwnd {
  intptr_t parent = 0;
  std::string title;
  bool iconic = false;
  bool visible = true;
  ax::Rect rect;
};

class Host : public ax::ComponentRegistry, public ax::Ui, public ax::HostLibrary {
 public:
  struct Options {
    std::string dbPath = ":memory:";  // a file keeps the database for inspection
    bool demo = true;                 // load the demo settlement centre
    std::ostream* live = nullptr;     // print the transcript as it runs
    // The user's language from the start (sctav --language): the shipped translations serve
    // the resource loader. Empty: "chs", and only the scenario's `translate` entries.
    std::string language;
    // Key audit (sctav run --keys-log): when the user's language is "chs", the plug-in is told
    // kAuditLanguage instead, a language without a resource file, so every text it shows
    // reaches the loader and comes back as written.
    bool keyAudit = false;
  };
  static constexpr const char* kAuditLanguage = "chs-keys";
  // Starts a fresh process: library caches are dropped, the database is (re)created, the
  // components are registered and the environment is installed.
  explicit Host(const Options& options);
  Host() : Host(Options{}) {}
  ~Host() override;
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  Database& Db() { return *db_; }
  // A record set that a data call of object objectName hands out: forward-only when the
  // scenario asked for them (`recordsets forwardonly [<object>…]`).
  ax::Variant DataRecordset(Rows rows, std::string_view objectName);
  Transcript& transcript() { return transcript_; }
  void Note(Channel channel, std::string text) { transcript_.Add(channel, std::move(text)); }

  // ---- component registry ------------------------------------------------------------------
  using Factory = std::function<ax::DispatchPtr(Host&)>;
  void Register(std::string progId, Factory factory);
  bool IsRegistered(std::string_view progId) const;
  // CreateObject: registered components, then the plug-in's classes; unknown ProgIDs raise
  // 429. Counted as a host call of member "CreateObject" (so `fail X.Y.CreateObject` works).
  ax::Object Create(std::string_view progId) override;
  // The host creating the plug-in class of a window (not counted).
  ax::DispatchPtr CreatePlugin(std::string_view progId);
  // Where the plug-in's classes come from instead of the in-process core (sctav --via-com:
  // through COM from the registered DLL). Process-wide; the factory returns null for a ProgID
  // that is not one of the plug-in's classes. Empty (the default): in-process.
  using PluginFactory = std::function<ax::DispatchPtr(std::string_view progId)>;
  static void SetPluginFactory(PluginFactory factory);

  // ---- calls and planted failures ----------------------------------------------------------
  // Called by HostObject::Invoke before every member call: counts it, runs the call hook and
  // raises a planted failure for (object, member).
  void BeforeCall(std::string_view objectName, std::string_view member);
  // While set, every call the plug-in makes into a host object is noted in the host contract.
  void SetContractLog(ContractLog* log) { contract_ = log; }
  ContractLog* Contract() const { return contract_; }
  std::string ScenarioFile() const;  // the file part of Where()
  uint64_t CallCount() const { return callCount_; }
  // Hook run at every counted call with its 1-based index; may throw ax::AutomationError.
  void SetCallHook(std::function<void(uint64_t, std::string_view, std::string_view)> hook) {
    callHook_ = std::move(hook);
  }
  // Makes counted call number k (1-based) fail with an automation error; 0 turns it off.
  void FailCallAt(uint64_t k) { failAt_ = k; }
  // `fail <object>.<member> ["<description>"] [<number>] [skip <n>]`: the next such call (or,
  // with skip, the one after n more such calls) raises the error.
  void PlantFailure(std::string objectName, std::string member, std::string description,
                    int32_t number, int32_t skip = 0);

  // ---- scenario failures -------------------------------------------------------------------
  // Records a failure of the scenario (the first one counts) and raises an automation error so
  // that the plug-in's code unwinds; the runner stops the file after the current command.
  [[noreturn]] void Fail(const std::string& what);
  std::optional<std::string> TakeFailure();
  void SetWhere(std::string where) { where_ = std::move(where); }
  const std::string& Where() const { return where_; }

  // ---- settings ----------------------------------------------------------------------------
  Settings& settings() { return settings_; }
  int32_t CurrentUser() const { return settings_.user; }
  std::string UserName(int32_t userId);  // "" for 0 or an unknown user
  ax::DateValue Today() const { return settings_.today; }
  const std::string& Language() const { return settings_.language; }
  std::optional<std::string> Translation(std::string_view text) const;  // by trimmed text
  // The resource loader's text for a trimmed key in a language: the scenario's `translate`
  // entry, else (with the catalogue on) the shipped translation, else none.
  std::optional<std::string> LoaderText(std::string_view language, const std::string& key) const;
  // The language the host's language component reports (kAuditLanguage in a key audit).
  std::string ReportedLanguage() const;
  // What the user sees for a text the plug-in writes in Chinese, in the user's language when
  // the catalogue is on (ShownText over the shipped translations and the `translate` entries);
  // otherwise the text itself. Expectations compare the texts the plug-in shows through it.
  std::string Shown(const std::string& chinese) const;
  // Every key the resource loader was asked for, and every error description the host raised
  // to the plug-in (a host text, which the plug-in may hand to the loader as well).
  void NoteLoaderKey(const std::string& key) { loaderKeys_.insert(key); }
  void NoteRaised(const std::string& description) { raised_.insert(description); }
  const std::set<std::string>& LoaderKeys() const { return loaderKeys_; }
  const std::set<std::string>& RaisedDescriptions() const { return raised_; }
  bool RightAllowed(int32_t user, int32_t code) const;
  bool SecurityAllowed() const { return settings_.security; }
  bool IsAdministrator(int32_t user);                 // t_User.FIsAdmin
  void SetAdministrator(int32_t user, bool admin);
  // The system profile (t_SystemProfile); categories and keys compare without regard to case.
  std::optional<std::string> ProfileValue(std::string_view category, std::string_view key);
  void SetProfileValue(std::string_view category, std::string_view key, const std::string& value);
  bool VoucherAfterBank();  // profile "SC" "SCGetVoucherAfterBank" is not "0"
  bool BillAutoVoucher();   // profile "SC" "SCGetBillAutoVch" is not "0"

  // ---- queued answers ----------------------------------------------------------------------
  void QueueReply(Reply reply);
  // The next answer of that kind; fails the run with "no answer queued for <what>".
  Reply TakeReply(std::string_view kind, std::string_view what);
  size_t QueuedReplies(std::string_view kind) const;
  // Answers left over at the end of a file, as "kind (file:line)".
  std::vector<std::string> UnusedReplies() const;

  // ---- messages, results, errors, log, recorded calls --------------------------------------
  void PushResult(std::string text, std::string title = {});
  std::deque<ShownMessage>& Messages() { return messages_; }
  const std::vector<ax::AutomationError>& Errors() const { return errors_; }
  // Stores a business-log entry (object code, kind, text) in the database and the transcript.
  void WriteBusinessLog(const std::string& objectCode, int32_t kind, const std::string& text);
  // Log entries after rowid `after`, oldest first, as (rowid, text).
  std::vector<std::pair<int64_t, std::string>> UnreadLog(int64_t after);
  void RecordCall(std::string kind, std::vector<std::string> values);
  std::deque<RecordedCall>& Calls() { return calls_; }
  // SQL the plug-in sent through LmLib (GetData and ExecuteSQL), for `expect sql`.
  void RecordSql(std::string_view through, const std::string& sql);
  const std::vector<std::string>& SentSql() const { return sql_; }

  // ---- windows -----------------------------------------------------------------------------
  std::shared_ptr<BillWindow> OpenBill(const BillOpening& opening);
  std::shared_ptr<ListWindow> OpenList(const std::string& which);  // "transfer" | "banksubmit"
  // Windows in opening order; number n is windows()[n-1]. Closed windows keep their number.
  const std::vector<std::shared_ptr<Window>>& Windows() const { return windows_; }
  Window* Current() const;
  BillWindow* CurrentBill() const;  // fails the run when the current window is not a bill
  ListWindow* CurrentList() const;  // fails the run when the current window is not a list
  void SetCurrent(size_t number);
  // Closes the current window (unsaved changes are discarded); the last window opened that is
  // still open becomes current.
  void CloseCurrent();
  void CloseAll();
  int OpenBillCount() const;

  // The simulated window system.
  intptr_t MainHwnd() const { return mainHwnd_; }
  intptr_t NewHwnd(intptr_t parent, std::string title);
  void DestroyHwnd(intptr_t hwnd);
  SimHwnd* FindHwnd(intptr_t hwnd);
  intptr_t Foreground() const { return foreground_; }
  void SetIconic(intptr_t hwnd, bool iconic);
  std::string HwndName(intptr_t hwnd) const;  // "main", "window 3", ...

  // ---- modal forms -------------------------------------------------------------------------
  using FormDriver = std::function<void(Host&, ax::Form&)>;
  void RegisterFormDriver(std::string formName, FormDriver driver);

  // ---- state of a component that lives as long as the host --------------------------------
  template <class T>
  std::shared_ptr<T> Extension() {
    auto& slot = extensions_[std::type_index(typeid(T))];
    if (!slot) slot = std::make_shared<T>();
    return std::static_pointer_cast<T>(slot);
  }

  // ---- ax::Ui ------------------------------------------------------------------------------
  int MessageBox(const std::string& text, int flags, const std::string& title) override;
  void SetMousePointer(int pointer) override;
  int MousePointer() const override { return mousePointer_; }
  void DoEvents() override;
  void SetClipboardPicture(const ax::Picture& picture) override;
  ax::Picture ClipboardPicture() const override { return clipboard_; }
  void ShowModal(ax::Form& form) override;
  double Timer() override;
  ax::DateValue Now() override;
  uint32_t CurrentProcessId() override { return 4242; }
  intptr_t GetParent(intptr_t hwnd) override;
  bool IsWindow(intptr_t hwnd) override;
  bool IsIconic(intptr_t hwnd) override;
  bool ShowWindow(intptr_t hwnd, int command) override;
  bool SetForegroundWindow(intptr_t hwnd) override;
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override;
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) override;

  // ---- ax::HostLibrary ---------------------------------------------------------------------
  void ReportError(const ax::AutomationError& error) override;
  // The centre's business date is the profile's date, unchanged.
  ax::DateValue CentreDate(ax::DateValue profileDate, ax::DateValue today) override;
  // First day of the period's month.

 private:
  struct Planted {
    std::string object, member, description;
    int32_t number;
    int32_t skip;  // such calls still let through before the failing one
  };
  void InstallEnvironment();

  std::unique_ptr<Database> db_;
  Transcript transcript_;
  Settings settings_;
  std::vector<std::pair<std::string, Factory>> factories_;
  std::vector<std::pair<std::string, FormDriver>> formDrivers_;
  std::map<std::type_index, std::shared_ptr<void>> extensions_;

  uint64_t callCount_ = 0;
  std::set<std::string> loaderKeys_;  // every key the resource loader was asked for
  std::set<std::string> raised_;      // every error description raised to the plug-in
  bool keyAudit_ = false;
  uint64_t failAt_ = 0;
  std::function<void(uint64_t, std::string_view, std::string_view)> callHook_;
  ContractLog* contract_ = nullptr;
  std::vector<Planted> planted_;
  std::optional<std::string> failure_;
  std::string where_;

  std::deque<Reply> replies_;
  std::deque<ShownMessage> messages_;
  std::vector<ax::AutomationError> errors_;
  std::deque<RecordedCall> calls_;
  std::vector<std::string> sql_;

  std::vector<std::shared_ptr<Window>> windows_;
  size_t current_ = 0;  // window number, 0 = none
  std::map<intptr_t, SimHwnd> hwnds_;
  intptr_t nextHwnd_ = 0x10010;
  intptr_t mainHwnd_ = 0;
  intptr_t foreground_ = 0;

  int mousePointer_ = 0;
  ax::Picture clipboard_;
  double clock_ = 9 * 3600.0;  // seconds since midnight of the simulated clock
};

// Registers every simulated component with the host (sim/components.cpp).
void RegisterComponents(Host& host);

}  // namespace sim
