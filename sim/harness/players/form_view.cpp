// What the user sees of the plug-in's dialogs and does to their windows rather than to their
// controls.
//
// `resize <width> <height> [in <form>]` drags the next dialog shown (or the next one of that
// name) to that outer size in twips once it is up, before it is answered: the inner area keeps
// the form's border, and is 0 where the border leaves nothing (as a minimised window's); the
// form's Resize event follows. `closebox [in <form>]` closes the next dialog shown with its
// window's close box instead of answering it: the form is unloaded (its Unload event runs) and
// its player is not asked.
//
// `expect form <form> ...` reads the form as it was when it was last shown, after the queued
// keys, resizes and before it was answered: its caption, whether it has a close box, and its
// controls' state, captions, texts and places.
#include <algorithm>
#include <cmath>
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

struct ControlView {
  bool enabled = true, visible = true;
  std::string caption, text;
  int32_t left = 0, top = 0, width = 0, height = 0;
};

struct FormView {
  std::string caption;
  bool closeBox = true;
  std::map<std::string, ControlView> controls;
};

std::map<std::string, FormView>& Shown() {
  static std::map<std::string, FormView> views;
  return views;
}

FormView Describe(ax::Form& form) {
  FormView v;
  v.caption = form.caption;
  v.closeBox = form.hasCloseButton;
  for (const std::string& name : form.ControlOrder()) {
    const ax::Control& c = form.C(name);
    v.controls[name] = {c.enabled, c.visible, c.caption, c.text, c.left, c.top, c.width, c.height};
  }
  return v;
}

bool ForForm(const Reply& r, const ax::Form& form) {
  std::string in;
  return !r.Option("in", &in) || ax::EqualsNoCase(in, form.Name());
}

// The optional trailing `in <form>` of a queued window action.
void InForm(Reply& r, const Tokens& t, size_t at, const char* usage) {
  if (t.size() == at) return;
  if (t.size() != at + 2 || t[at] != "in") Bad(std::string("usage: ") + usage);
  r.options["in"] = t[at + 1];
}

void Resize(ScenarioRun& run, const Tokens& t) {
  const char* usage = "resize <width> <height> [in <form>]";
  Need(t, 3, usage);
  Reply r;
  r.where = run.harness.Where();
  r.kind = "resize";
  r.verb = "resize";
  r.values = {std::to_string(Number(t[1], "a width in twips")), std::to_string(Number(t[2], "a height in twips"))};
  InForm(r, t, 3, usage);
  run.harness.QueueReply(std::move(r));
}

void CloseBox(ScenarioRun& run, const Tokens& t) {
  const char* usage = "closebox [in <form>]";
  Reply r;
  r.where = run.harness.Where();
  r.kind = "closebox";
  r.verb = "close";
  InForm(r, t, 1, usage);
  run.harness.QueueReply(std::move(r));
}

const FormView& ViewOrFail(const std::string& form) {
  for (const auto& [name, view] : Shown())
    if (ax::EqualsNoCase(name, form)) return view;
  Bad("no form " + form + " was shown");
}

void ExpectForm(ScenarioRun& run, const Tokens& t) {
  const char* usage =
      "expect form <form> caption \"<text>\" | closebox yes|no | control <name> enabled|disabled|visible|hidden | "
      "control <name> caption|text \"<text>\" | control <name> place <left> <top> <width> <height>";
  Need(t, 5, usage);
  const FormView& view = ViewOrFail(t[2]);
  const std::string& what = t[3];
  if (what == "caption") {
    Max(t, 5, usage);
    const std::string want = run.host.Shown(t[4]);
    Expect(view.caption == want, t[2] + " captioned " + Quote(want), "caption " + Quote(view.caption));
    return;
  }
  if (what == "closebox") {
    Max(t, 5, usage);
    bool want = YesNo(t[4], "yes", "no");
    Expect(view.closeBox == want, t[2] + (want ? " with" : " without") + " a close box",
           view.closeBox ? "a close box" : "no close box");
    return;
  }
  if (what != "control") Bad(std::string("usage: ") + usage);
  Need(t, 6, usage);
  auto it = view.controls.find(t[4]);
  if (it == view.controls.end()) Bad(t[2] + " has no control " + t[4]);
  const ControlView& c = it->second;
  const std::string& state = t[5];
  const std::string name = t[2] + "." + t[4];
  if (state == "enabled" || state == "disabled") {
    Max(t, 6, usage);
    Expect(c.enabled == (state == "enabled"), name + " " + state, c.enabled ? "enabled" : "disabled");
  } else if (state == "visible" || state == "hidden") {
    Max(t, 6, usage);
    Expect(c.visible == (state == "visible"), name + " " + state, c.visible ? "visible" : "hidden");
  } else if (state == "caption" || state == "text") {
    Need(t, 7, usage);
    Max(t, 7, usage);
    // Both are compared as texts the plug-in shows (data, an account code in a text box, is
    // never catalogued and stays as written).
    const std::string want = run.host.Shown(t[6]);
    const std::string& seen = state == "caption" ? c.caption : c.text;
    Expect(seen == want, name + " " + state + " " + Quote(want), Quote(seen));
  } else if (state == "place") {
    Need(t, 10, usage);
    Max(t, 10, usage);
    // Windows on a screen are placed to the pixel: a place is seen as near as a pixel allows.
    const int32_t pixel = std::max<int32_t>(1, Host::CurrentPlatform().twipsPerPixel);
    std::string want;
    for (size_t i = 6; i < 10; ++i) {
      const int32_t twips = Number(t[i], "a place in twips");
      const int32_t near = static_cast<int32_t>(std::lround(static_cast<double>(twips) / pixel)) * pixel;
      want += (want.empty() ? "" : " ") + std::to_string(near);
    }
    std::string seen = std::to_string(c.left) + " " + std::to_string(c.top) + " " + std::to_string(c.width) + " " +
                       std::to_string(c.height);
    Expect(seen == want, name + " at " + want, "at " + seen);
  } else {
    Bad(std::string("usage: ") + usage);
  }
}

}  // namespace

// Before the player answers the form: the queued resizes, then what the form shows is noted.
// Answers true when the user closed the form with its close box instead (nothing more to play).
bool ViewAndClose(Harness& harness, ax::Form& form) {
  Host& host = harness.host();
  while (std::optional<Reply> r = harness.TakeReplyIf("resize", [&](const Reply& q) { return ForForm(q, form); })) {
    const int32_t borderW = form.width - form.scaleWidth, borderH = form.height - form.scaleHeight;
    form.width = std::stoi(r->values[0]);
    form.height = std::stoi(r->values[1]);
    form.scaleWidth = std::max(0, form.width - borderW);
    form.scaleHeight = std::max(0, form.height - borderH);
    host.Note(Channel::Dialog, "the user sizes " + form.Name() + " to " + r->values[0] + " x " + r->values[1]);
    form.Form_Resize();
  }
  Shown()[form.Name()] = Describe(form);
  std::optional<Reply> close = harness.TakeReplyIf("closebox", [&](const Reply& q) { return ForForm(q, form); });
  if (!close) return false;
  if (!form.hasCloseButton) harness.Fail(form.Name() + " has no close box (" + close->where + ")");
  host.Note(Channel::Dialog, "the user closes " + form.Name() + " with its close box");
  form.Unload();
  return true;
}

void RegisterFormView(Harness&) { Shown().clear(); }

std::vector<ScenarioCommand> FormViewCommands() {
  return {{ScenarioCommand::Section::Answers, "resize",
           {{"resize <width> <height> [in <form>]", "the next dialog of the plug-in shown (or the next one of that form name) is sized to that outer size in twips once it is up, before it is answered; its inner area keeps the form's border (0 where nothing is left, as when minimised) and its Resize event follows"}}, Resize},
          {ScenarioCommand::Section::Answers, "closebox",
           {{"closebox [in <form>]", "the next dialog of the plug-in shown (or the next one of that form name) is closed with its window's close box instead of being answered: the form unloads (its Unload event runs); a form without a close box fails the run"}}, CloseBox},
          {ScenarioCommand::Section::Expectations, "expect form",
           {{"expect form <form> caption \"<text>\"", "the form's caption when it was last shown (after the keys and resizes queued for it, before it was answered)"},
            {"expect form <form> closebox yes|no", "whether it had a close box"},
            {"expect form <form> control <name> enabled|disabled|visible|hidden", "a control's state then"},
            {"expect form <form> control <name> caption|text \"<text>\"", "a control's caption or text then (compared as a text the plug-in shows)"},
            {"expect form <form> control <name> place <left> <top> <width> <height>", "a control's place then, in twips (through the DLL's real windows, as near as a pixel shows: 15 twips at 96 dpi)"}}, ExpectForm}};
}

}  // namespace sim
