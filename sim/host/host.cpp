#include "sim/host/host.h"

#include <algorithm>
#include <cmath>

#include "automation/error.h"
#include "automation/form.h"
#include "plugin/plugin_class.h"
#include "sim/host/bill_window.h"
#include "sim/host/catalogue.h"
#include "sim/host/list_window.h"
#include "sim/host/recordset.h"

namespace sim {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return ax::UCase(a) < ax::UCase(b);
}

bool Reply::Option(const std::string& key, std::string* value) const {
  auto it = options.find(key);
  if (it == options.end()) return false;
  if (value) *value = it->second;
  return true;
}

namespace {

[[noreturn]] void NoOneAnswers(const std::string& what) {
  throw ax::AutomationError(ax::err::kInternal, what, "Host");
}

// No one at the host: nothing is answered, nothing is kept.
class Unattended : public Attendant {
 public:
  void BeforeCall(std::string_view, std::string_view, std::string_view, unsigned,
                  const ax::Args&) override {}
  void Raised(const std::string&) override {}
  Reply Answer(std::string_view, std::string_view what) override { NoOneAnswers("no one answers " + std::string(what)); }
  std::optional<Reply> AnswerIfReady(std::string_view) override { return std::nullopt; }
  int Question(const std::string& text, int, const std::string&) override {
    NoOneAnswers("no one answers the question \"" + text + "\"");
  }
  void PlayForm(Host&, ax::Form& form, bool) override { NoOneAnswers("no one fills the form " + form.Name()); }
  [[noreturn]] void Unplayable(const std::string& what) override { NoOneAnswers(what); }
  void Shown(ShownMessage) override {}
  void Reported(const ax::AutomationError&) override {}
  void Recorded(RecordedCall) override {}
  void SqlSent(std::string_view, const std::string&) override {}
  void LoaderAsked(const std::string&) override {}
};

Host::Platform& PlatformSlot() {
  static Host::Platform platform;
  return platform;
}

Unattended& NoOne() {
  static Unattended none;
  return none;
}

}  // namespace

// ---- life of the process ----------------------------------------------------------------------

Host::Host(const Options& options) : attendant_(&NoOne()) {
  // A new host is a new process: whatever the library cached for the previous one is dropped.
  ax::RunUnloadHooks();
  sc::UnloadLibrary();
  settings_.today = ax::MakeDate(2026, 12, 8);
  if (!options.language.empty()) {
    settings_.language = options.language;
    settings_.catalogue = true;
  }
  keyAudit_ = options.keyAudit;
  transcript_.SetLive(options.live);
  db_ = std::make_unique<Database>(options.dbPath);
  db_->Reset(options.demo);
  mainHwnd_ = NewHwnd(0, "主窗口");
  foreground_ = mainHwnd_;
  RegisterComponents(*this);
  InstallEnvironment();
}

Host::~Host() {
  CloseAll();
  windows_.clear();
  // Library singletons may hold host objects; they go before the host does.
  sc::UnloadLibrary();
  if (PlatformSlot().destroyWindow)
    for (const auto& [hwnd, window] : hwnds_) PlatformSlot().destroyWindow(hwnd);
  hwnds_.clear();
  const ax::Environment& env = ax::GetEnvironment();
  if (env.registry == this) ax::SetEnvironment({});
}

void Host::Fail(const std::string& what) {
  attendant_->Unplayable(what);
  // An attendant that returns after all: the call still fails.
  throw ax::AutomationError(ax::err::kInternal, what, "Host");
}

void Host::Attend(Attendant* attendant) { attendant_ = attendant ? attendant : &NoOne(); }

void Host::InstallEnvironment() {
  ax::Environment env;
  env.registry = this;
  env.ui = this;
  env.hostLib = this;
  ax::SetEnvironment(env);
}

// ---- registry ---------------------------------------------------------------------------------

void Host::Register(std::string progId, Factory factory) {
  for (auto& [id, f] : factories_) {
    if (ax::EqualsNoCase(id, progId)) {
      f = std::move(factory);
      return;
    }
  }
  factories_.emplace_back(std::move(progId), std::move(factory));
}

bool Host::IsRegistered(std::string_view progId) const {
  for (const auto& entry : factories_)
    if (ax::EqualsNoCase(entry.first, progId)) return true;
  return false;
}

std::vector<std::string> Host::ProgIds() const {
  std::vector<std::string> ids;
  for (const auto& entry : factories_) ids.push_back(entry.first);
  return ids;
}

namespace {

Host::PluginFactory& PluginFactorySlot() {
  static Host::PluginFactory factory;
  return factory;
}

ax::DispatchPtr NewPluginClass(std::string_view progId) {
  if (const Host::PluginFactory& factory = PluginFactorySlot()) return factory(progId);
  return sc::CreatePluginClass(progId);
}

}  // namespace

void Host::SetPluginFactory(PluginFactory factory) { PluginFactorySlot() = std::move(factory); }

void Host::SetPlatform(Platform platform) { PlatformSlot() = std::move(platform); }

const Host::Platform& Host::CurrentPlatform() { return PlatformSlot(); }

namespace {
uint32_t processId = 4242;
}  // namespace

uint32_t Host::ProcessId() { return processId; }
void Host::SetProcessId(uint32_t id) { processId = id; }

ax::Object Host::Create(std::string_view progId) {
  for (const auto& entry : factories_) {
    if (ax::EqualsNoCase(entry.first, progId)) {
      ax::Args none;
      return ax::Object(Call(progId, "", "CreateObject", ax::kMethod, none,
                             [&] { return Counted(*this, progId, ax::Variant(entry.second(*this))); }));
    }
  }
  if (ax::DispatchPtr plugin = NewPluginClass(progId)) return ax::Object(plugin);
  attendant_->Raised(ax::StandardDescription(ax::err::kCantCreate));
  throw ax::AutomationError(ax::err::kCantCreate, ax::StandardDescription(ax::err::kCantCreate),
                            std::string(progId));
}

ax::DispatchPtr Host::CreatePlugin(std::string_view progId) {
  ax::DispatchPtr plugin = NewPluginClass(progId);
  if (!plugin)
    throw ax::AutomationError(ax::err::kCantCreate, ax::StandardDescription(ax::err::kCantCreate),
                              std::string(progId));
  return plugin;
}

ax::Variant Host::DataRecordset(Rows rows, std::string_view objectName) {
  bool forwardOnly = settings_.forwardOnly;
  for (const std::string& name : settings_.forwardOnlyObjects)
    forwardOnly = forwardOnly || ax::EqualsNoCase(name, objectName);
  return ax::DispatchPtr(NewRecordset(std::move(rows), forwardOnly));
}

// ---- settings ---------------------------------------------------------------------------------

std::string Host::UserName(int32_t userId) {
  if (userId == 0) return {};
  Rows r = db_->QueryNative("SELECT FName FROM t_User WHERE FUserID=?", {userId});
  return r.data.empty() ? std::string() : ax::DisplayText(r.data[0][0]);
}

std::optional<std::string> Host::Translation(std::string_view text) const {
  // By the key exactly as asked: the resource file holds trimmed texts, and a key the caller did
  // not trim finds nothing (as in the host's own loader).
  auto it = settings_.translations.find(std::string(text));
  if (it == settings_.translations.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> Host::LoaderText(std::string_view language,
                                            const std::string& key) const {
  if (auto t = Translation(key)) return t;
  if (!settings_.catalogue) return std::nullopt;
  const Catalogue* shipped = ShippedCatalogue(language);
  if (!shipped) return std::nullopt;
  auto it = shipped->find(key);
  if (it == shipped->end()) return std::nullopt;
  return it->second;
}

std::string Host::ReportedLanguage() const {
  if (keyAudit_ && settings_.language == "chs") return kAuditLanguage;
  return settings_.language;
}

std::string Host::Shown(const std::string& chinese) const {
  if (!settings_.catalogue || ax::EqualsNoCase(settings_.language, "chs")) return chinese;
  Catalogue entries;
  if (const Catalogue* shipped = ShippedCatalogue(settings_.language)) entries = *shipped;
  for (const auto& [key, translation] : settings_.translations) entries[key] = translation;
  return ShownText(chinese, entries);
}

bool Host::RightAllowed(int32_t user, int32_t code) const {
  auto it = settings_.rights.find({user, code});
  return it == settings_.rights.end() || it->second;
}

bool Host::IsAdministrator(int32_t user) {
  Rows r = db_->QueryNative("SELECT FIsAdmin FROM t_User WHERE FUserID=?", {user});
  return !r.data.empty() && !r.data[0][0].isNull() && ax::CLng(r.data[0][0]) != 0;
}

void Host::SetAdministrator(int32_t user, bool admin) {
  db_->ExecNative("UPDATE t_User SET FIsAdmin=? WHERE FUserID=?", {admin ? 1 : 0, user});
}

std::optional<std::string> Host::ProfileValue(std::string_view category, std::string_view key) {
  Rows r = db_->QueryNative("SELECT FValue FROM t_SystemProfile WHERE FCategory=? AND FKey=?",
                            {std::string(category), std::string(key)});
  if (r.data.empty()) return std::nullopt;
  return ax::DisplayText(r.data[0][0].isNull() ? ax::Variant() : r.data[0][0]);
}

void Host::SetProfileValue(std::string_view category, std::string_view key, const std::string& value) {
  db_->ExecNative("INSERT OR REPLACE INTO t_SystemProfile (FCategory, FKey, FValue) VALUES (?,?,?)",
                  {std::string(category), std::string(key), value});
}

namespace {
bool ProfileFlag(const std::optional<std::string>& v, bool dflt) {
  if (!v) return dflt;
  std::string t = ax::UCase(ax::Trim(*v));
  if (t.empty() || t == "0" || t == "FALSE") return false;
  return true;
}
}  // namespace

bool Host::VoucherAfterBank() { return ProfileFlag(ProfileValue("SC", "SCGetVoucherAfterBank"), false); }

bool Host::BillAutoVoucher() { return ProfileFlag(ProfileValue("SC", "SCGetBillAutoVch"), true); }

// ---- messages, log, calls ---------------------------------------------------------------------

void Host::PushResult(std::string text, std::string title) {
  Note(Channel::Result, (title.empty() ? std::string() : title + ": ") + text);
  attendant_->Shown({true, std::move(text), 0, std::move(title)});
}

void Host::WriteBusinessLog(const std::string& objectCode, int32_t kind, const std::string& text) {
  ax::DateValue now = Now();
  db_->ExecNative("INSERT INTO t_Log (FObjectCode, FKind, FText, FUserID, FTime) VALUES (?,?,?,?,?)",
                  {objectCode, kind, text, settings_.user, ax::FormatDate(now, "yyyy-mm-dd hh:nn:ss")});
  Note(Channel::Log, "[" + objectCode + " " + std::to_string(kind) + "] " + text);
}

std::vector<std::pair<int64_t, std::string>> Host::UnreadLog(int64_t after) {
  std::vector<std::pair<int64_t, std::string>> out;
  Rows r = db_->QueryNative("SELECT FLogID, FText FROM t_Log WHERE FLogID>? ORDER BY FLogID",
                            {ax::Variant(after)});
  for (const auto& row : r.data)
    out.emplace_back(static_cast<int64_t>(ax::CDbl(row[0])), ax::DisplayText(row[1]));
  return out;
}

void Host::RecordCall(std::string kind, std::vector<std::string> values) {
  std::string text = kind + ":";
  for (const auto& v : values) text += " \"" + v + "\"";
  Note(Channel::Call, text);
  attendant_->Recorded({std::move(kind), std::move(values)});
}

void Host::RecordSql(std::string_view through, const std::string& sql) {
  attendant_->SqlSent(through, sql);
  Note(Channel::Sql, std::string(through) + ": " + sql);
}

// ---- windows ----------------------------------------------------------------------------------

std::shared_ptr<BillWindow> Host::OpenBill(const BillOpening& opening) {
  if (opening.fid) {
    Rows r = db_->QueryNative("SELECT FBillNo FROM t_scTransfer WHERE FID=?", {*opening.fid});
    if (r.data.empty())
      throw ax::AutomationError(ax::err::kInvalidCall,
                                "there is no transfer bill with FID " + std::to_string(*opening.fid),
                                "Host");
  }
  auto w = std::make_shared<BillWindow>(*this, settings_.user);
  windows_.push_back(w);
  w->SetNumber(windows_.size());
  if (opening.byUser) current_ = windows_.size();
  foreground_ = w->Hwnd();
  std::string what = opening.fid ? "bill " + std::to_string(*opening.fid) : std::string("a new bill");
  Note(Channel::Window, "window " + std::to_string(w->Number()) + " opens " + what + " (user " +
                            std::to_string(settings_.user) + ")");
  w->Open(opening);
  return w;
}

std::shared_ptr<ListWindow> Host::OpenList(const std::string& which) {
  if (which != "transfer" && which != "banksubmit")
    throw HostCommandError("unknown list " + which + " (transfer or banksubmit)");
  auto w = std::make_shared<ListWindow>(*this, which, settings_.user);
  windows_.push_back(w);
  w->SetNumber(windows_.size());
  current_ = windows_.size();
  foreground_ = w->Hwnd();
  Note(Channel::Window, "window " + std::to_string(w->Number()) + " opens the " + which + " list (user " +
                            std::to_string(settings_.user) + ")");
  w->Open();
  return w;
}

Window* Host::Current() const {
  if (current_ == 0 || current_ > windows_.size()) return nullptr;
  Window* w = windows_[current_ - 1].get();
  return w->IsOpen() ? w : nullptr;
}

BillWindow* Host::CurrentBill() const {
  auto* w = dynamic_cast<BillWindow*>(Current());
  if (!w) throw HostCommandError("the current window is not a bill window");
  return w;
}

ListWindow* Host::CurrentList() const {
  auto* w = dynamic_cast<ListWindow*>(Current());
  if (!w) throw HostCommandError("the current window is not a list window");
  return w;
}

void Host::SetCurrent(size_t number) {
  if (number == 0 || number > windows_.size())
    throw HostCommandError("there is no window " + std::to_string(number));
  if (!windows_[number - 1]->IsOpen())
    throw HostCommandError("window " + std::to_string(number) + " is closed");
  current_ = number;
}

void Host::CloseCurrent() {
  Window* w = Current();
  if (!w) throw HostCommandError("no window is open");
  std::string note = "window " + std::to_string(w->Number()) + " closed";
  if (auto* bill = dynamic_cast<BillWindow*>(w); bill && bill->changed) note += " (unsaved changes discarded)";
  Note(Channel::Window, note);
  // Hold the window while it closes: the plug-in releases its reference as it terminates.
  std::shared_ptr<Window> keep = windows_[current_ - 1];
  keep->Close();
  current_ = 0;
  for (size_t i = windows_.size(); i > 0; --i) {
    if (windows_[i - 1]->IsOpen()) {
      current_ = i;
      break;
    }
  }
}

void Host::CloseAll() {
  for (auto& w : std::vector<std::shared_ptr<Window>>(windows_)) w->Close();
  current_ = 0;
}

int Host::OpenBillCount() const {
  int n = 0;
  for (const auto& w : windows_)
    if (w->IsOpen() && w->IsBill()) ++n;
  return n;
}

intptr_t Host::NewHwnd(intptr_t parent, std::string title) {
  intptr_t h = nextHwnd_;
  if (PlatformSlot().newWindow) {
    h = PlatformSlot().newWindow();
  } else {
    nextHwnd_ += 0x10;
  }
  SimHwnd w;
  w.parent = parent;
  w.title = std::move(title);
  int32_t offset = static_cast<int32_t>(hwnds_.size()) * 300;
  w.rect = parent == 0 ? ax::Rect{0, 0, 1024, 768} : ax::Rect{20 + offset % 3000, 60 + offset % 2000, 820 + offset % 3000, 620 + offset % 2000};
  hwnds_[h] = std::move(w);
  return h;
}

void Host::DestroyHwnd(intptr_t hwnd) {
  if (hwnds_.erase(hwnd) && PlatformSlot().destroyWindow) PlatformSlot().destroyWindow(hwnd);
  if (foreground_ == hwnd) foreground_ = mainHwnd_;
}

SimHwnd* Host::FindHwnd(intptr_t hwnd) {
  auto it = hwnds_.find(hwnd);
  return it == hwnds_.end() ? nullptr : &it->second;
}

void Host::SetIconic(intptr_t hwnd, bool iconic) {
  if (SimHwnd* w = FindHwnd(hwnd)) w->iconic = iconic;
}

std::string Host::HwndName(intptr_t hwnd) const {
  if (hwnd == mainHwnd_) return "main";
  for (const auto& w : windows_)
    if (w->Hwnd() == hwnd) return "window " + std::to_string(w->Number());
  return "hwnd " + std::to_string(hwnd);
}

// ---- ax::Ui -----------------------------------------------------------------------------------

namespace {

const char* VerbOf(int id) {
  switch (id) {
    case ax::mb::kIdYes: return "yes";
    case ax::mb::kIdNo: return "no";
    case ax::mb::kIdOk: return "ok";
    case ax::mb::kIdCancel: return "cancel";
    default: return "?";
  }
}

}  // namespace

int Host::MessageBox(const std::string& text, int flags, const std::string& title) {
  int buttons = flags & 0xF;
  if (buttons != ax::mb::kOk) {
    int id = attendant_->Question(text, flags, title);
    Note(Channel::Question, "[" + std::to_string(flags) + "] " + title + ": " + text + " -> " + VerbOf(id));
    return id;
  }
  Note(Channel::Message, "[" + std::to_string(flags) + "] " + title + ": " + text);
  attendant_->Shown({false, text, flags, title});
  return ax::mb::kIdOk;
}

void Host::SetMousePointer(int pointer) { mousePointer_ = pointer; }

void Host::DoEvents() { clock_ += 0.05; }

void Host::SetClipboardPicture(const ax::Picture& picture) { clipboard_ = picture; }

ax::Picture Host::ClipboardPicture() const {
  return PlatformSlot().clipboardPicture ? PlatformSlot().clipboardPicture() : clipboard_;
}

void Host::ShowModal(ax::Form& form) { ShowModalAfterKeys(form, false); }

void Host::ShowModalAfterKeys(ax::Form& form, bool keysPressed) {
  Note(Channel::Dialog, form.Name() + (form.caption.empty() ? "" : " \"" + form.caption + "\"") + " shown");
  attendant_->PlayForm(*this, form, keysPressed);
  if (form.visible && form.loaded) Fail("the dialog " + form.Name() + " was left open");
}

double Host::Timer() {
  clock_ += 0.001;
  return std::fmod(clock_, 86400.0);
}

ax::DateValue Host::Now() {
  return ax::DateValue{std::floor(settings_.today.serial) + std::fmod(clock_, 86400.0) / 86400.0};
}

intptr_t Host::GetParent(intptr_t hwnd) {
  SimHwnd* w = FindHwnd(hwnd);
  return w ? w->parent : 0;
}

bool Host::IsWindow(intptr_t hwnd) { return FindHwnd(hwnd) != nullptr; }

bool Host::IsIconic(intptr_t hwnd) {
  SimHwnd* w = FindHwnd(hwnd);
  return w && w->iconic;
}

bool Host::ShowWindow(intptr_t hwnd, int command) {
  SimHwnd* w = FindHwnd(hwnd);
  RecordCall("window", {"ShowWindow", HwndName(hwnd), std::to_string(command)});
  if (!w) return false;
  bool wasVisible = w->visible;
  switch (command) {
    case 0: w->visible = false; break;                           // SW_HIDE
    case 2: case 6: case 7: w->iconic = true; break;             // minimise
    case 1: case 3: case 9: w->iconic = false; w->visible = true; break;  // normal, maximise, restore
    default: w->visible = true; break;
  }
  return wasVisible;
}

bool Host::SetForegroundWindow(intptr_t hwnd) {
  RecordCall("window", {"SetForegroundWindow", HwndName(hwnd)});
  if (!FindHwnd(hwnd)) return false;
  foreground_ = hwnd;
  Note(Channel::Window, HwndName(hwnd) + " comes to the front");
  return true;
}

bool Host::GetWindowRect(intptr_t hwnd, ax::Rect& rect) {
  SimHwnd* w = FindHwnd(hwnd);
  if (!w) return false;
  rect = w->rect;
  return true;
}

intptr_t Host::SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  RecordCall("window", {"SendMessageA", HwndName(hwnd), std::to_string(message), std::to_string(wParam),
                        std::to_string(lParam)});
  // A left button press on the caption activates the window.
  if (message == 0xA1 && wParam == 2 && FindHwnd(hwnd)) foreground_ = hwnd;
  return 0;
}

// ---- ax::HostLibrary --------------------------------------------------------------------------

void Host::ReportError(const ax::AutomationError& error) {
  attendant_->Reported(error);
  Note(Channel::Error, std::to_string(error.Number()) + " " + error.Description() +
                           (error.Source().empty() ? "" : " (" + error.Source() + ")"));
}

ax::DateValue Host::CentreDate(ax::DateValue profileDate, ax::DateValue today) {
  (void)today;
  return profileDate;
}

}  // namespace sim
