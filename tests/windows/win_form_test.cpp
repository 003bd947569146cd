// A form model shown as a real Win32 window: the controls show the model, the user's changes
// reach the model before the handlers run, clicks, key preview and closing reach the form.
#include <gtest/gtest.h>

#include "win32.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "automation/form.h"
#include "automation/runtime.h"
#include "banksubmit/dlgBankSend.h"
#include "bridge.h"
#include "com_object.h"
#include "fake_components.h"
#include "server.h"
#include "win_ui.h"

namespace sccom {
namespace {

class SampleForm : public ax::Form {
 public:
  SampleForm() : ax::Form("SampleForm") {
    caption = "样例窗体";
    keyPreview = true;
    width = 6000;
    height = 4000;
    auto place = [this](const std::string& name, const std::string& kind, int32_t top) -> ax::Control& {
      ax::Control& c = AddControl(name, kind);
      c.left = 120;
      c.top = top;
      c.width = 3000;
      c.height = 300;
      return c;
    };
    place("Label1", "Label", 100).caption = "账号代码：";
    place("txtAcct", "TextBox", 500).text = "1001";
    ax::Control& combo = place("cboCy", "ComboBox", 900);
    combo.AddItem("人民币", 1);
    combo.AddItem("美元", 2);
    combo.listIndex = 0;
    place("chkEdit", "CheckBox", 1300).caption = "包括未过账凭证";
    place("dtpDay", "DTPicker", 1700).value = ax::MakeDate(2026, 12, 4);
    place("rtMsg", "RichTextBox", 2100).text = "第一行\n第二行";
    place("btnOK", "CommandButton", 2900).caption = "确定";
  }
  void Click(const std::string& control) override {
    clicks.push_back(control);
    if (control == "btnOK") {
      seenText = C("txtAcct").text;
      seenCheck = ax::CLng(C("chkEdit").value);
      seenCombo = C("cboCy").listIndex;
      Hide();
    }
  }
  void Form_KeyDown(int16_t& keyCode, int16_t& shift) override {
    (void)shift;
    keys.push_back(keyCode);
    keyCode = 0;
  }
  void Form_Unload() override { unloaded = true; }

  std::vector<std::string> clicks;
  std::vector<int> keys;
  std::string seenText;
  int32_t seenCheck = -1;
  int32_t seenCombo = -1;
  bool unloaded = false;
};

struct Probe {
  std::wstring label, button, edit, rich;
  LRESULT comboCount = 0, comboSelection = -1;
  SYSTEMTIME date{};
  // Names as UI automation tools ask for them ("WM_GETCONTROLNAME").
  std::wstring formName, editName, truncated;
  LRESULT editLength = 0, sizeless = 0;
  wchar_t untouched = 0;
  bool found = false;
};
Probe g_probe;
bool g_close = false;

HWND Item(HWND form, int index) { return GetDlgItem(form, 1000 + index); }

std::wstring Text(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 255);
  return text;
}

// Runs inside the form's modal loop: looks at the window, plays the user, then leaves.
void CALLBACK PlayUser(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND form = FindWindowW(L"scTAVExtForm", Widen("样例窗体").c_str());
  g_probe.found = form != nullptr;
  if (!form) return;
  g_probe.label = Text(Item(form, 0));
  g_probe.edit = Text(Item(form, 1));
  g_probe.comboCount = SendMessageW(Item(form, 2), CB_GETCOUNT, 0, 0);
  g_probe.comboSelection = SendMessageW(Item(form, 2), CB_GETCURSEL, 0, 0);
  SendMessageW(Item(form, 4), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&g_probe.date));
  g_probe.rich = Text(Item(form, 5));
  g_probe.button = Text(Item(form, 6));
  const UINT name = ControlNameMessage();
  wchar_t buffer[64] = {};
  SendMessageW(form, name, 64, reinterpret_cast<LPARAM>(buffer));
  g_probe.formName = buffer;
  g_probe.editLength = SendMessageW(Item(form, 1), name, 64, reinterpret_cast<LPARAM>(buffer));
  g_probe.editName = buffer;
  SendMessageW(Item(form, 1), name, 4, reinterpret_cast<LPARAM>(buffer));  // room for 3 and the null
  g_probe.truncated = buffer;
  buffer[0] = L'#';
  g_probe.sizeless = SendMessageW(Item(form, 1), name, 0, reinterpret_cast<LPARAM>(buffer));
  g_probe.untouched = buffer[0];
  if (g_close) {
    PostMessageW(form, WM_CLOSE, 0, 0);
    return;
  }
  SetWindowTextW(Item(form, 1), L"2002");
  SendMessageW(Item(form, 3), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Item(form, 2), CB_SETCURSEL, 1, 0);
  PostMessageW(Item(form, 1), WM_KEYDOWN, VK_F1, 0);
  PostMessageW(Item(form, 6), BM_CLICK, 0, 0);
}

// Ends a form that did not end as expected, so that a failure cannot hang the run.
void CALLBACK Rescue(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND form = FindWindowW(L"scTAVExtForm", nullptr);
  if (form) PostMessageW(form, WM_CLOSE, 0, 0);
}

// Runs show (which opens a form modally) while play acts as the user every interval ms; the
// rescue ends a form that did not end as expected.
template <class Show>
void WhilePlaying(TIMERPROC play, UINT interval, Show&& show) {
  UINT_PTR player = SetTimer(nullptr, 0, interval, play);
  UINT_PTR rescue = SetTimer(nullptr, 0, 15000, &Rescue);
  show();
  KillTimer(nullptr, player);
  KillTimer(nullptr, rescue);
}

// Shows the form modally while the scripted user plays it (and closes its window when close).
void ShowPlayed(SampleForm& form, bool close) {
  g_probe = {};
  g_close = close;
  WhilePlaying(&PlayUser, 200, [&] { form.ShowModal(); });
}

TEST(WinForms, ControlsShowTheModelAndHandlersSeeTheUsersChanges) {
  SampleForm form;
  ShowPlayed(form, false);

  ASSERT_TRUE(g_probe.found) << "the form's window was not found";
  EXPECT_EQ(Narrow(g_probe.label), "账号代码：");
  EXPECT_EQ(Narrow(g_probe.edit), "1001");
  EXPECT_EQ(g_probe.comboCount, 2);
  EXPECT_EQ(g_probe.comboSelection, 0);
  EXPECT_EQ(g_probe.date.wYear, 2026);
  EXPECT_EQ(g_probe.date.wDay, 4);
  EXPECT_EQ(Narrow(g_probe.rich), "第一行\r\n第二行");
  EXPECT_EQ(Narrow(g_probe.button), "确定");
  EXPECT_EQ(Narrow(g_probe.formName), "SampleForm");
  EXPECT_EQ(Narrow(g_probe.editName), "txtAcct");
  EXPECT_EQ(g_probe.editLength, 7);
  EXPECT_EQ(Narrow(g_probe.truncated), "txt");
  EXPECT_EQ(g_probe.sizeless, 7) << "a buffer of no size still learns the length";
  EXPECT_EQ(g_probe.untouched, L'#');

  EXPECT_EQ(form.keys, std::vector<int>{VK_F1});
  EXPECT_EQ(form.clicks, std::vector<std::string>{"btnOK"});
  EXPECT_EQ(form.seenText, "2002");
  EXPECT_EQ(form.seenCheck, 1);
  EXPECT_EQ(form.seenCombo, 1);
  EXPECT_EQ(form.C("cboCy").text, "美元");
  EXPECT_FALSE(form.visible);
  EXPECT_FALSE(form.unloaded) << "OK only hides the form";
}

TEST(WinForms, ClosingTheWindowUnloadsTheForm) {
  SampleForm form;
  ShowPlayed(form, true);
  EXPECT_TRUE(g_probe.found);
  EXPECT_TRUE(form.unloaded);
  EXPECT_FALSE(form.visible);
  EXPECT_FALSE(form.loaded);
}

// The bank submission's result dialog played with the keyboard and resized.
struct ResultPlay {
  int step = 0;
  std::wstring before, afterKeys;
  HWND focusAfterFirstTab = nullptr, focusAfterKeys = nullptr;
  HWND box = nullptr, button = nullptr;
  RECT client{}, buttonAtOpen{}, boxAtOpen{}, clientResized{}, buttonResized{}, boxResized{};
};
ResultPlay g_result;

RECT ChildRect(HWND form, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}
void Key(HWND to, WPARAM key) {
  PostMessageW(to, WM_KEYDOWN, key, 0);
  PostMessageW(to, WM_KEYUP, key, 0xC0000000);
}

void CALLBACK PlayResults(HWND, UINT, UINT_PTR timer, DWORD) {
  ResultPlay& p = g_result;
  HWND form = FindWindowW(L"scTAVExtForm", Widen("提交银行").c_str());
  if (!form) return;
  switch (p.step++) {
    case 0:
      p.box = Item(form, 0);
      p.button = Item(form, 1);
      p.before = Text(p.box);
      GetClientRect(form, &p.client);
      p.buttonAtOpen = ChildRect(form, p.button);
      p.boxAtOpen = ChildRect(form, p.box);
      SetFocus(p.button);
      Key(p.button, VK_TAB);  // into the result box, which selects it all
      break;
    case 1:
      p.focusAfterFirstTab = GetFocus();
      Key(GetFocus(), VK_SPACE);
      PostMessageW(GetFocus(), WM_CHAR, L' ', 0);
      Key(GetFocus(), VK_TAB);
      break;
    case 2:
      p.focusAfterKeys = GetFocus();
      p.afterKeys = Text(p.box);
      SetWindowPos(form, nullptr, 0, 0, 700, 560, SWP_NOMOVE | SWP_NOZORDER);
      break;
    case 3:
      GetClientRect(form, &p.clientResized);
      p.buttonResized = ChildRect(form, p.button);
      p.boxResized = ChildRect(form, p.box);
      [[fallthrough]];
    default:
      KillTimer(nullptr, timer);
      PostMessageW(p.button, BM_CLICK, 0, 0);
  }
}

TEST(WinForms, BankSubmissionResultsStayWhateverTheKeysAndFollowTheWindow) {
  RegisteredComponent language(
      L"LmLangInfo.LangInfo", {0x5d3c1a20, 0x3333, 0x4c2b, {0x9a, 0x03, 0, 0, 0, 0, 0, 0x11}},
      std::make_shared<Component>("LangInfo", [](std::string_view member, unsigned, ax::Args&) {
        if (ax::EqualsNoCase(member, "CurrentLanguage")) return ax::Variant("chs");
        throw ax::Error(ax::err::kNoMember);
      }));
  RegisteredComponent fonts(
      L"FrmRes.FrmResLoader", {0x5d3c1a20, 0x3333, 0x4c2b, {0x9a, 0x03, 0, 0, 0, 0, 0, 0x12}},
      std::make_shared<Component>("FrmResLoader", [](std::string_view, unsigned, ax::Args&) {
        return ax::Variant();
      }));
  g_result = {};
  WhilePlaying(&PlayResults, 300, [] { sc::dlgBankSend::ShowMsg("单据 1 提交成功！\n单据 2 提交失败：余额不足"); });
  const ResultPlay& p = g_result;
  ASSERT_GE(p.step, 4) << "the result dialog was not played to its end";
  const std::string lines = "单据 1 提交成功！\r\n单据 2 提交失败：余额不足";
  EXPECT_EQ(Narrow(p.before), lines);
  EXPECT_EQ(p.focusAfterFirstTab, p.box) << "Tab from the button reaches the result box";
  EXPECT_EQ(Narrow(p.afterKeys), lines) << "Space and Tab in the result box keep every line";
  EXPECT_EQ(p.focusAfterKeys, p.button) << "Tab in the result box moves on to the button";
  EXPECT_LE(p.buttonAtOpen.bottom, p.client.bottom) << "the close button is cut at the bottom";
  EXPECT_LE(p.buttonAtOpen.right, p.client.right);
  // The resize rule follows the window: the box widens and lengthens with it, the button stays
  // under it, right-aligned, inside the window.
  const LONG grownWidth = p.clientResized.right - p.client.right;
  const LONG grownHeight = p.clientResized.bottom - p.client.bottom;
  ASSERT_GT(grownWidth, 0);
  ASSERT_GT(grownHeight, 0);
  EXPECT_NEAR((p.boxResized.right - p.boxResized.left) - (p.boxAtOpen.right - p.boxAtOpen.left), grownWidth, 1);
  EXPECT_NEAR((p.boxResized.bottom - p.boxResized.top) - (p.boxAtOpen.bottom - p.boxAtOpen.top), grownHeight, 1);
  EXPECT_NEAR(p.clientResized.right - p.buttonResized.right, p.client.right - p.buttonAtOpen.right, 1);
  EXPECT_GT(p.buttonResized.top, p.boxResized.bottom);
  EXPECT_LE(p.buttonResized.bottom, p.clientResized.bottom);
}

// A control of the test's own that notes the keys the form offers it: a control (IOleObject)
// that a container can host, with the keyboard of an active control.
class KeyControl final : public ComObject<IDispatch, IOleObject, IOleInPlaceActiveObject> {
 public:
  std::vector<WPARAM> keys;

  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return n ? (*n = 0, S_OK) : E_POINTER; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_.CopyOut();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    site_.Reset();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override { return status ? (*status = 0, S_OK) : E_POINTER; }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  STDMETHODIMP GetWindow(HWND*) override { return E_FAIL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override {
    if (!msg || msg->message != WM_KEYDOWN) return S_FALSE;
    keys.push_back(msg->wParam);
    return msg->wParam == VK_DOWN ? S_OK : S_FALSE;  // the list takes its arrows
  }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) return static_cast<IDispatch*>(this);
    if (iid == IID_IOleObject) return static_cast<IOleObject*>(this);
    if (iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject) {
      return static_cast<IOleInPlaceActiveObject*>(this);
    }
    return nullptr;
  }

 private:
  ComPtr<IOleClientSite> site_;
};

// A form with a text box, a hosted control after it in tab order, and OK.
class ControlForm : public ax::Form {
 public:
  explicit ControlForm(ax::Object control) : ax::Form("ControlForm") {
    caption = "控件窗体";
    width = 7000;
    height = 5000;
    auto place = [this](const std::string& name, const std::string& kind, int32_t left, int32_t top,
                        int32_t width, int32_t height) -> ax::Control& {
      ax::Control& c = AddControl(name, kind);
      c.left = left;
      c.top = top;
      c.width = width;
      c.height = height;
      c.tabIndex = static_cast<int32_t>(ControlOrder().size()) - 1;
      return c;
    };
    place("txtFilter", "TextBox", 120, 120, 2400, 300);
    place("ListRecSett", "ActiveX", 120, 600, 6000, 3000).activeX = std::move(control);
    place("btnOK", "CommandButton", 4800, 3800, 1200, 375).isDefault = true;
  }
  void Click(const std::string& control) override {
    clicks.push_back(control);
    Hide();
  }
  std::vector<std::string> clicks;
};

// What the user met in the control form.
struct ControlPlay {
  int step = 0;
  std::wstring hostText;
  bool hostHasWindow = false, tabReachedControl = false;
};
ControlPlay g_control;

void CALLBACK PlayControl(HWND, UINT, UINT_PTR timer, DWORD) {
  ControlPlay& p = g_control;
  HWND form = FindWindowW(L"scTAVExtForm", Widen("控件窗体").c_str());
  if (!form) return;
  HWND host = Item(form, 1);
  switch (p.step++) {
    case 0:
      p.hostText = Text(host);
      p.hostHasWindow = GetWindow(host, GW_CHILD) != nullptr;
      SetFocus(Item(form, 0));
      Key(Item(form, 0), VK_TAB);
      break;
    case 1:
      p.tabReachedControl = GetFocus() == host || IsChild(host, GetFocus());
      Key(GetFocus(), VK_DOWN);  // taken by a control that takes arrows
      Key(GetFocus(), VK_RETURN);  // left to the form: OK
      break;
    default:
      KillTimer(nullptr, timer);
      PostMessageW(form, WM_CLOSE, 0, 0);
  }
}

void PlayControlForm(ControlForm& form) {
  g_control = {};
  WhilePlaying(&PlayControl, 300, [&] { form.ShowModal(); });
}

TEST(WinForms, AnActiveXControlIsHostedForRealOrSaysWhyNot) {
  {
    SCOPED_TRACE("a control the system ships");
    ControlForm form(ax::CreateObject("Shell.Explorer.2"));
    PlayControlForm(form);
    ASSERT_GE(g_control.step, 2) << "the control form was not played";
    EXPECT_EQ(Narrow(g_control.hostText), "") << "the placeholder gives way to the control";
    EXPECT_TRUE(g_control.hostHasWindow) << "the control was not hosted";
    EXPECT_TRUE(g_control.tabReachedControl) << "Tab from the text box reaches the control";
  }
  {
    SCOPED_TRACE("the control's keys");
    ComPtr<KeyControl> control = MakeCom<KeyControl>();
    ControlForm form(WrapDispatch(static_cast<IDispatch*>(control.get())));
    PlayControlForm(form);
    EXPECT_TRUE(g_control.tabReachedControl);
    EXPECT_EQ(control->keys, (std::vector<WPARAM>{VK_DOWN, VK_RETURN})) << "keys in the control go to it first";
    EXPECT_EQ(form.clicks, std::vector<std::string>{"btnOK"}) << "a key the control leaves goes to the form";
  }
  {
    SCOPED_TRACE("an object that is no control");
    ControlForm form(ax::CreateObject("Scripting.Dictionary"));
    PlayControlForm(form);
    ASSERT_GE(g_control.step, 2);
    const std::string shown = Narrow(g_control.hostText);
    EXPECT_EQ(shown.rfind("[", 0), 0u) << shown;
    EXPECT_NE(shown.find("0x80004002"), std::string::npos) << "the placeholder says why: " << shown;
  }
}

// A form whose description says nothing of its keys: a label with an access key, a text box, OK
// and Cancel, created in another order than their tab order.
class KeysForm : public ax::Form {
 public:
  explicit KeysForm(bool withCancel) : ax::Form("KeysForm") {
    caption = "键盘窗体";
    auto place = [this](const std::string& name, const std::string& kind, int32_t left,
                        int32_t top, int32_t tabIndex) -> ax::Control& {
      ax::Control& c = AddControl(name, kind);
      c.left = left;
      c.top = top;
      c.width = 1200;
      c.height = 375;
      c.tabIndex = tabIndex;
      return c;
    };
    place("btnOK", "CommandButton", 1800, 2400, 2).isDefault = true;
    place("Label1", "Label", 120, 300, 0).caption = "账号(&A)：";
    place("txtAcct", "TextBox", 1400, 300, 1);
    ax::Control& cancel = place("btnCancel", "CommandButton", 3200, 2400, 3);
    cancel.isCancel = withCancel;
  }
  void Click(const std::string& control) override {
    clicks.push_back(control);
    Hide();
  }
  void Form_Unload() override { unloaded = true; }
  std::vector<std::string> clicks;
  bool unloaded = false;
};

// The user's steps, one per timer tick, each with the form's window.
std::vector<std::function<void(HWND)>> g_steps;
void CALLBACK PlaySteps(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND form = FindWindowW(L"scTAVExtForm", Widen("键盘窗体").c_str());
  if (!form) return;
  if (g_steps.empty()) {
    KillTimer(nullptr, timer);
    return;
  }
  std::function<void(HWND)> step = g_steps.front();
  g_steps.erase(g_steps.begin());
  step(form);
}
void Play(KeysForm& form, std::vector<std::function<void(HWND)>> steps) {
  g_steps = std::move(steps);
  WhilePlaying(&PlaySteps, 200, [&] { form.ShowModal(); });
}
std::string FocusName(HWND form) {
  HWND focus = GetFocus();
  for (int i = 0; i < 4; ++i) {
    if (focus && focus == Item(form, i)) return std::vector<std::string>{"btnOK", "Label1", "txtAcct", "btnCancel"}[i];
  }
  return focus == form ? "the form" : "elsewhere";
}

TEST(WinForms, KeysWhereTheFormSaysNothing) {
  {
    SCOPED_TRACE("Enter in the text box");
    KeysForm form(true);
    std::string atOpen, afterTab;
    LONG labelStyle = 0;
    Play(form, {[&](HWND f) {
                  atOpen = FocusName(f);
                  labelStyle = GetWindowLongW(Item(f, 1), GWL_STYLE);
                  Key(GetFocus(), VK_TAB);
                },
                [&](HWND f) {
                  afterTab = FocusName(f);
                  SetFocus(Item(f, 2));
                  Key(Item(f, 2), VK_RETURN);
                }});
    EXPECT_EQ(atOpen, "txtAcct") << "the first control in tab order has the focus";
    EXPECT_EQ(afterTab, "btnOK") << "Tab follows the tab order";
    EXPECT_EQ(form.clicks, std::vector<std::string>{"btnOK"}) << "Enter presses the default button";
    EXPECT_EQ(labelStyle & SS_NOPREFIX, 0) << "\"&\" in a label marks an access key";
  }
  {
    SCOPED_TRACE("the label's access key");
    KeysForm form(true);
    std::string afterAccessKey;
    Play(form, {[&](HWND f) {
                  SetFocus(Item(f, 3));
                  // Alt+A as the system delivers it: the character with the Alt context bit.
                  PostMessageW(Item(f, 3), WM_SYSCHAR, L'a', 1 << 29);
                },
                [&](HWND f) {
                  afterAccessKey = FocusName(f);
                  PostMessageW(f, WM_CLOSE, 0, 0);
                }});
    EXPECT_EQ(afterAccessKey, "txtAcct") << "Alt+A goes to the control after the label \"账号(&A)：\"";
  }
  {
    SCOPED_TRACE("Enter on Cancel");
    KeysForm form(true);
    Play(form, {[&](HWND f) {
      SetFocus(Item(f, 3));
      Key(Item(f, 3), VK_RETURN);
    }});
    EXPECT_EQ(form.clicks, std::vector<std::string>{"btnCancel"}) << "Enter presses the focused button";
  }
  {
    SCOPED_TRACE("Esc");
    KeysForm form(true);
    Play(form, {[&](HWND) { Key(GetFocus(), VK_ESCAPE); }});
    EXPECT_EQ(form.clicks, std::vector<std::string>{"btnCancel"}) << "Esc presses Cancel";
  }
  {
    SCOPED_TRACE("Esc without a cancel button");
    KeysForm form(false);
    Play(form, {[&](HWND) { Key(GetFocus(), VK_ESCAPE); }});
    EXPECT_TRUE(form.clicks.empty());
    EXPECT_TRUE(form.unloaded) << "Esc closes a form without a cancel button";
  }
}

}  // namespace
}  // namespace sccom
