// The simulated host: one object per simulated process. It is the component registry, the user
// interface and the host library of the automation environment (it installs itself with
// ax::SetEnvironment), and it owns what a real host owns:
//
//   - the SQL database (the demo settlement centre unless told otherwise) and the transcript;
//   - its settings: today, user, language, translations, rights, the function security test,
//     administrators, system-profile entries and the two voucher settings;
//   - the windows (bill and list windows, numbered in opening order) and the simulated window
//     system behind the Win32 window functions.
//
// Everything outside the host goes through its Attendant (sim/host/attendant.h): every call the
// plug-in makes into a host object passes the one funnel Call(), which hands it to the attendant
// first; the answers the host needs (questions, dialogs, look-ups, the bank's reply) come from
// the attendant; what the host shows and records goes to it.
//
// Components of the host (GLData, LangInfo, SecurityInfo, ...) are HostObjects created by
// ProgID through the factories registered in sim::RegisterComponents (sim/host/components.cpp);
// they read the settings through the accessors below.
//
// How later components plug in:
//   - settings:   CurrentUser(), UserName(id), Today(), Now(), Language(), Translation(text),
//                 RightAllowed(user, code), SecurityAllowed(code), IsAdministrator(user),
//                 ProfileValue(category, key), SetProfileValue(...), VoucherAfterBank(),
//                 BillAutoVoucher(); the raw Settings struct through settings().
//   - answers:    TakeReply("voucher", "the voucher window") etc. (see Reply for the kinds);
//                 Fail(what) when an answer cannot be carried out.
//   - results:    PushResult(text) for a result display or result dialog; message boxes go
//                 through ax::Ui::MessageBox.
//   - recording:  RecordCall("export", {bankKey, subsystem, ids, billKind}).
//   - business log: WriteBusinessLog(objectCode, kind, text) stores a row in t_Log.
//   - modal forms: ShowModal(form) hands the form to the attendant, who fills and closes it.
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
#include "sim/host/attendant.h"
#include "sim/host/counted_object.h"
#include "sim/host/database.h"
#include "sim/host/transcript.h"

namespace sim {

class BillWindow;
class ListWindow;
class Window;
class Dictionary;

// What the host was told to do cannot be done (no window of that number, a locked field, a
// bill that does not exist). Whoever drives the host reports it; the plug-in never sees it.
class HostCommandError : public std::runtime_error {
 public:
  explicit HostCommandError(const std::string& what) : std::runtime_error(what) {}
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
  std::map<int32_t, bool> securityCodes;  // per function code; absent: as `security`
  // `recordsets`: every data call hands forward-only record sets, or those of the objects named
  bool forwardOnly = false;
  std::vector<std::string> forwardOnlyObjects;
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
  // The host installed in the automation environment (the one running now), or nullptr.
  static Host* Running() { return dynamic_cast<Host*>(ax::GetEnvironment().registry); }
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
  // The ProgIDs of the registered components, in registration order.
  std::vector<std::string> ProgIds() const;
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
  // Where the plug-in runs in another module and calls the system's window functions itself
  // (sctav --via-com), the host's windows take handles no other window of the process has, and
  // what the plug-in puts on the computer's clipboard is read from there. Process-wide; empty
  // (the default): the host numbers its windows itself and keeps the clipboard.
  struct Platform {
    std::function<intptr_t()> newWindow;           // a handle for a new host window
    std::function<void(intptr_t)> destroyWindow;   // its handle is given back
    std::function<ax::Picture()> clipboardPicture;  // the picture on the clipboard
    int32_t twipsPerPixel = 1;  // the finest place a control of a dialog can be seen at
  };
  static void SetPlatform(Platform platform);
  static const Platform& CurrentPlatform();

  // ---- the attendant and the call funnel -------------------------------------------------
  // Who attends the host from now on (nullptr: no one; questions then fail their calls).
  void Attend(Attendant* attendant);
  Attendant& attendant() const { return *attendant_; }
  // Every call the plug-in makes into a host object passes here: the attendant sees it first
  // (and may make it fail), then run() answers it on the host's own objects (the counted ones
  // among the arguments read as what they count); an error either raises is noted as raised.
  template <class Run>
  ax::Variant Call(std::string_view objectName, std::string_view className, std::string_view member,
                   unsigned kind, ax::Args& args, Run&& run) {
    try {
      attendant_->BeforeCall(objectName, className, member, kind, args);
      HandedBack back(*this, objectName, args);
      ax::Variant result = run();
      back.Return();
      return result;
    } catch (const ax::AutomationError& e) {
      attendant_->Raised(e.Description());
      throw;
    }
  }
  // An answer that cannot be carried out: the attendant is told and the call that needed it
  // fails.
  [[noreturn]] void Fail(const std::string& what);

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
  // A key the host's resource loader was asked for (the attendant keeps them).
  void NoteLoaderKey(const std::string& key) { attendant_->LoaderAsked(key); }
  bool RightAllowed(int32_t user, int32_t code) const;
  // The function security test for a function code: that code's answer, else the general one.
  bool SecurityAllowed(int32_t code) const {
    auto it = settings_.securityCodes.find(code);
    return it == settings_.securityCodes.end() ? settings_.security : it->second;
  }
  bool IsAdministrator(int32_t user);                 // t_User.FIsAdmin
  void SetAdministrator(int32_t user, bool admin);
  // The system profile (t_SystemProfile); categories and keys compare without regard to case.
  std::optional<std::string> ProfileValue(std::string_view category, std::string_view key);
  void SetProfileValue(std::string_view category, std::string_view key, const std::string& value);
  bool VoucherAfterBank();  // profile "SC" "SCGetVoucherAfterBank" is not "0"
  bool BillAutoVoucher();   // profile "SC" "SCGetBillAutoVch" is not "0"

  // ---- answers, messages, results, errors, log, recorded calls ----------------------------
  // The next answer of that kind from the attendant (what names it for a message).
  Reply TakeReply(std::string_view kind, std::string_view what) { return attendant_->Answer(kind, what); }
  std::optional<Reply> TakeReplyIfReady(std::string_view kind) { return attendant_->AnswerIfReady(kind); }
  void PushResult(std::string text, std::string title = {});
  // Stores a business-log entry (object code, kind, text) in the database and the transcript.
  void WriteBusinessLog(const std::string& objectCode, int32_t kind, const std::string& text);
  // Log entries after rowid `after`, oldest first, as (rowid, text).
  std::vector<std::pair<int64_t, std::string>> UnreadLog(int64_t after);
  void RecordCall(std::string kind, std::vector<std::string> values);
  // SQL the plug-in sent through the host's data objects.
  void RecordSql(std::string_view through, const std::string& sql);

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
  ax::Picture ClipboardPicture() const override;
  void ShowModal(ax::Form& form) override;
  // The same for a form whose queued keys already went down in its own window (a form of the
  // DLL's, played through Win32).
  void ShowModalAfterKeys(ax::Form& form, bool keysPressed);
  double Timer() override;
  ax::DateValue Now() override;
  uint32_t CurrentProcessId() override { return ProcessId(); }
  // The host's process id: 4242 unless the process running it says otherwise (sctav --via-com:
  // the plug-in inside the DLL asks the system, so the host answers with the real one).
  // Process-wide.
  static uint32_t ProcessId();
  static void SetProcessId(uint32_t id);
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

 private:
  void InstallEnvironment();

  std::unique_ptr<Database> db_;
  Transcript transcript_;
  Settings settings_;
  std::vector<std::pair<std::string, Factory>> factories_;
  std::map<std::type_index, std::shared_ptr<void>> extensions_;
  bool keyAudit_ = false;
  Attendant* attendant_;

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
