// Keys the scripted user presses in the plug-in's dialogs.
//
// `press f1|tab|enter|esc|<key code> [shift <n>] [in <form>]` queues a key for the next dialog of
// the plug-in that is shown (or the next one of that name): once the dialog is up, before the
// user answers it, the key goes down. A form with KeyPreview on sees it first in its KeyDown
// event; one without it never sees the key. A key the form passes on works as in any Windows
// dialog: Tab (Shift+Tab) moves the focus to the next (previous) control in tab order that takes
// it, Enter presses the focused button or else the default one, Esc the cancel button or else
// closes the form, Alt with a letter the control whose caption marks it ("&C"); an editable
// multi-line box keeps Tab and Enter; any other key goes to the focused control, which does
// nothing with it. A form that a key closed or confirmed is not
// answered any further.
// `expect key handled|passed` reads what became of the last key: handled when the form's key
// handler cleared the key code and shift state, passed when the key went on.
// `expect focus <form> "<control> > <control> ..."` reads where the focus was when that form was
// last shown: on the control that had it as the form opened, then after each key.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "automation/form.h"
#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"
#include "sim/host/host.h"

namespace sim {

using namespace words;

namespace {

struct LastKey {
  bool pressed = false;
  bool handled = false;
  std::string what;  // "F1 in dlgBalSum"
};
LastKey& Last() {
  static LastKey state;
  return state;
}

constexpr int16_t kTab = 9, kEnter = 13, kEsc = 27, kF1 = 112;

std::string KeyName(int32_t code) {
  switch (code) {
    case kF1: return "F1";
    case kTab: return "Tab";
    case kEnter: return "Enter";
    case kEsc: return "Esc";
    default: return "key " + std::to_string(code);
  }
}

// Where the focus went in each form, by form name, as it was last shown.
std::map<std::string, std::vector<std::string>>& FocusPaths() {
  static std::map<std::string, std::vector<std::string>> paths;
  return paths;
}

void PressKey(ScenarioRun& run, const Tokens& t) {
  const char* usage = "press f1|tab|enter|esc|<key code> [shift <n>] [in <form>]";
  Need(t, 2, usage);
  Reply r;
  r.where = run.harness.Where();
  r.kind = "press";
  int32_t code = 0;
  if (ax::EqualsNoCase(t[1], "f1")) code = kF1;
  else if (ax::EqualsNoCase(t[1], "tab")) code = kTab;
  else if (ax::EqualsNoCase(t[1], "enter")) code = kEnter;
  else if (ax::EqualsNoCase(t[1], "esc")) code = kEsc;
  else code = Number(t[1], "a key code");
  r.verb = std::to_string(code);
  if ((t.size() - 2) % 2 != 0) Bad(std::string("usage: ") + usage);
  for (size_t i = 2; i < t.size(); i += 2) {
    if (t[i] == "shift")
      r.options["shift"] = std::to_string(Number(t[i + 1], "a shift state"));
    else if (t[i] == "in")
      r.options["in"] = t[i + 1];
    else
      Bad(std::string("usage: ") + usage);
  }
  run.harness.QueueReply(std::move(r));
}

// The controls that take the focus, in tab order: those a user can reach, enabled and visible.
std::vector<std::string> TabStops(ax::Form& form) {
  static const char* const kKinds[] = {"CommandButton", "CheckBox", "OptionButton", "TextBox", "RichTextBox",
                                       "ComboBox", "DTPicker", "ActiveX"};
  std::vector<std::string> stops;
  for (const std::string& name : form.ControlOrder()) {
    const ax::Control& c = form.C(name);
    if (c.enabled && c.visible &&
        std::any_of(std::begin(kKinds), std::end(kKinds), [&](const char* k) { return c.Kind() == k; }))
      stops.push_back(name);
  }
  std::stable_sort(stops.begin(), stops.end(), [&](const std::string& a, const std::string& b) {
    return form.C(a).tabIndex < form.C(b).tabIndex;
  });
  return stops;
}

bool Open(const ax::Form& form) { return form.visible && form.loaded; }

// A button pressed by a key takes the focus, as a click gives it.
void PressButton(Harness& harness, ax::Form& form, const std::string& button, const std::string& key,
                 std::string& focus) {
  const ax::Control& c = form.C(button);
  if (!c.enabled || !c.visible) return;
  harness.host().Note(Channel::Dialog, key + " presses " + form.Name() + "." + button);
  focus = button;
  form.Click(button);
}

// Whether the caption marks ch (an upper-case letter or a digit) as its access key: "&" before
// it ("&&" is an ampersand).
bool AccessKeyOf(const std::string& caption, char ch) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    char c = caption[i + 1];
    return (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == ch;
  }
  return false;
}

// Alt with a letter or digit: the control whose caption marks it as its access key. A button, check
// box or option button is pressed; a label or frame sends the focus on to the next control that
// takes it.
void AccessKey(Harness& harness, ax::Form& form, char ch, std::string& focus) {
  // The windows' order is the tab order, labels among them.
  std::vector<std::string> order = form.ControlOrder();
  std::stable_sort(order.begin(), order.end(), [&](const std::string& a, const std::string& b) {
    return form.C(a).tabIndex < form.C(b).tabIndex;
  });
  for (size_t i = 0; i < order.size(); ++i) {
    ax::Control& c = form.C(order[i]);
    if (!c.enabled || !c.visible || !AccessKeyOf(c.caption, ch)) continue;
    const std::string key = std::string("Alt+") + ch;
    if (c.Kind() == "CommandButton" || c.Kind() == "CheckBox" || c.Kind() == "OptionButton")
      return PressButton(harness, form, order[i], key, focus);
    if (c.Kind() == "Label" || c.Kind() == "Frame") {
      const std::vector<std::string> stops = TabStops(form);
      for (size_t j = i + 1; j < order.size(); ++j) {
        if (std::find(stops.begin(), stops.end(), order[j]) == stops.end()) continue;
        focus = order[j];
        return;
      }
      return;
    }
  }
}

// A key the form passed on, as a Windows dialog takes it; the focus is where it goes.
void DialogKey(Harness& harness, ax::Form& form, const QueuedKey& key, std::string& focus) {
  const bool letterOrDigit = (key.keyCode >= 'A' && key.keyCode <= 'Z') || (key.keyCode >= '0' && key.keyCode <= '9');
  if ((key.shift & 4) && letterOrDigit) return AccessKey(harness, form, static_cast<char>(key.keyCode), focus);
  const bool inEditableBox = !focus.empty() && form.C(focus).Kind() == "RichTextBox" && !form.C(focus).locked;
  if (key.keyCode == kTab && !inEditableBox) {
    std::vector<std::string> stops = TabStops(form);
    if (stops.empty()) return;
    auto at = std::find(stops.begin(), stops.end(), focus);
    size_t i = at == stops.end() ? 0 : static_cast<size_t>(at - stops.begin());
    const size_t n = stops.size();
    focus = at == stops.end() ? stops.front() : stops[(key.shift & 1) ? (i + n - 1) % n : (i + 1) % n];
    return;
  }
  if (key.keyCode == kEnter && !inEditableBox) {
    if (!focus.empty() && form.C(focus).Kind() == "CommandButton") return PressButton(harness, form, focus, "Enter", focus);
    for (const std::string& name : form.ControlOrder())
      if (form.C(name).Kind() == "CommandButton" && form.C(name).isDefault) return PressButton(harness, form, name, "Enter", focus);
    return;
  }
  if (key.keyCode == kEsc) {
    for (const std::string& name : form.ControlOrder())
      if (form.C(name).Kind() == "CommandButton" && form.C(name).isCancel) return PressButton(harness, form, name, "Esc", focus);
    harness.host().Note(Channel::Dialog, "Esc closes " + form.Name());
    form.Unload();
  }
}

}  // namespace

// The next key queued for this form (one queued for it by name, or for any form), if any.
std::optional<QueuedKey> TakeQueuedKey(Harness& harness, const std::string& formName) {
  std::optional<Reply> key = harness.TakeReplyIf("press", [&](const Reply& r) {
    std::string in;
    return !r.Option("in", &in) || ax::EqualsNoCase(in, formName);
  });
  if (!key) return std::nullopt;
  std::string shiftText = "0";
  key->Option("shift", &shiftText);
  return QueuedKey{static_cast<int16_t>(std::stoi(key->verb)), static_cast<int16_t>(std::stoi(shiftText))};
}

void NoteKey(Harness& harness, const std::string& formName, const QueuedKey& key, const char* outcome,
             bool handled) {
  LastKey& last = Last();
  last.pressed = true;
  last.handled = handled;
  last.what = KeyName(key.keyCode) + " in " + formName;
  harness.host().Note(Channel::Dialog, "the user presses " + last.what + "; " + outcome);
}

void NoteFocus(const std::string& formName, const std::string& control, bool opening) {
  std::vector<std::string>& path = FocusPaths()[formName];
  if (opening) path.clear();
  path.push_back(control.empty() ? "(none)" : control);
}

// The keys queued for this form go down one by one, in the order queued.
void PressQueuedKeys(Harness& harness, ax::Form& form) {
  std::vector<std::string> stops = TabStops(form);
  std::string focus = stops.empty() ? std::string() : stops.front();
  NoteFocus(form.Name(), focus, true);
  while (Open(form)) {
    std::optional<QueuedKey> key = TakeQueuedKey(harness, form.Name());
    if (!key) break;
    bool handled = false;
    if (!form.keyPreview) {
      NoteKey(harness, form.Name(), *key, "the form does not preview keys", false);
    } else {
      int16_t keyCode = key->keyCode, shift = key->shift;
      form.Form_KeyDown(keyCode, shift);
      handled = keyCode == 0 && shift == 0;
      NoteKey(harness, form.Name(), *key,
              handled ? "the form's key handler handled it" : "the form's key handler passed it on", handled);
    }
    if (!handled) DialogKey(harness, form, *key, focus);
    if (Open(form)) NoteFocus(form.Name(), focus, false);
  }
}

namespace {

void ExpectKey(ScenarioRun&, const Tokens& t) {
  Need(t, 3, "expect key handled|passed");
  Max(t, 3, "expect key handled|passed");
  bool want = YesNo(t[2], "handled", "passed");
  const LastKey& last = Last();
  if (!last.pressed) Bad("no key was pressed in a dialog");
  Expect(last.handled == want, last.what + " " + t[2], last.what + (last.handled ? " handled" : " passed"));
}

void ExpectFocus(ScenarioRun&, const Tokens& t) {
  const char* usage = "expect focus <form> \"<control> > <control> ...\"";
  Need(t, 4, usage);
  Max(t, 4, usage);
  for (const auto& [name, path] : FocusPaths()) {
    if (!ax::EqualsNoCase(name, t[2])) continue;
    std::string seen;
    for (const std::string& control : path) seen += (seen.empty() ? "" : " > ") + control;
    Expect(seen == t[3], t[2] + " focus " + Quote(t[3]), "focus " + Quote(seen));
    return;
  }
  Bad("no form " + t[2] + " was shown");
}

}  // namespace

void RegisterFormKeys(Harness&) {
  Last() = LastKey();
  FocusPaths().clear();
}

std::vector<ScenarioCommand> FormKeyCommands() {
  return {{ScenarioCommand::Section::Answers, "press",
           {{"press f1|tab|enter|esc|<key code> [shift <n>] [in <form>]", "a key pressed in the next dialog of the plug-in shown (or the next one of that form name: dlgBalSum, FrmYHGJ, FrmRecSettList, dlgBankSend) once it is up, before it is answered; the form's KeyDown sees it only when the form previews keys; a key it passes on works as in a Windows dialog (Tab and Shift+Tab move the focus in tab order, Enter presses the focused or default button, Esc the cancel button or closes the form, Alt (shift 4) with a letter's key code the control whose caption marks it with &), and a form a key closed is not answered further"}}, PressKey},
          {ScenarioCommand::Section::Expectations, "expect key",
           {{"expect key handled|passed", "the last key pressed in a dialog: handled (the form's key handler cleared the key code and shift state) or passed on"}}, ExpectKey},
          {ScenarioCommand::Section::Expectations, "expect focus",
           {{"expect focus <form> \"<control> > <control> ...\"", "where the focus was when the form was last shown: the control that had it as the form opened, then after each key pressed in it ((none) where no control had it)"}}, ExpectFocus}};
}

}  // namespace sim
