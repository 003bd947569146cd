// The environment a plug-in runs in: the component registry behind CreateObject, the user
// interface services (message boxes, cursor, message loop, clipboard, windows, modal forms) and
// the host library's routines. The simulated host and the Windows COM build each provide one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/error.h"
#include "automation/object.h"
#include "automation/variant.h"

namespace ax {

class Form;

// Creates components by ProgID. ProgIDs compare without regard to case, as COM does.
class ComponentRegistry {
 public:
  virtual ~ComponentRegistry() = default;
  // Raises 429 "ActiveX component can't create object" for an unknown ProgID.
  virtual Object Create(std::string_view progId) = 0;
};

// Standard message-box flags and answers.
namespace mb {
constexpr int kOk = 0, kOkCancel = 1, kYesNoCancel = 3, kYesNo = 4;
constexpr int kCritical = 16, kQuestion = 32, kExclamation = 48, kInformation = 64;
constexpr int kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7;
}  // namespace mb

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A picture put on the clipboard for a tool face: an image of the resource form, by index.
struct Picture {
  int32_t imageIndex = 0;   // 1-based index in the image list
  std::string name;         // what the image shows, for transcripts
};

// User-interface services of the platform.
class Ui {
 public:
  virtual ~Ui() = default;
  // Modal message box; returns the button pressed (mb::kIdOk, kIdYes, ...).
  virtual int MessageBox(const std::string& text, int flags, const std::string& title) = 0;
  // Screen.MousePointer: 0 default, 11 hourglass.
  virtual void SetMousePointer(int pointer) = 0;
  virtual int MousePointer() const = 0;
  // One pass of the message loop (DoEvents).
  virtual void DoEvents() = 0;
  // Clipboard.Clear then Clipboard.SetData picture.
  virtual void SetClipboardPicture(const Picture& picture) = 0;
  virtual Picture ClipboardPicture() const = 0;
  // Shows a form modally; returns when the form hides itself or is closed.
  virtual void ShowModal(Form& form) = 0;
  // Seconds since midnight with fractions (Timer), and the computer's date and time (Now).
  virtual double Timer() = 0;
  virtual DateValue Now() = 0;
  virtual uint32_t CurrentProcessId() = 0;
  // Window functions used to bring a bill window to the front.
  virtual intptr_t GetParent(intptr_t hwnd) = 0;
  virtual bool IsWindow(intptr_t hwnd) = 0;
  virtual bool IsIconic(intptr_t hwnd) = 0;
  virtual bool ShowWindow(intptr_t hwnd, int command) = 0;
  virtual bool SetForegroundWindow(intptr_t hwnd) = 0;
  virtual bool GetWindowRect(intptr_t hwnd, Rect& rect) = 0;
  virtual intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                                intptr_t lParam) = 0;
  // Screen size in twips, for centring forms.
  virtual int32_t ScreenWidth() { return 1024 * 15; }
  virtual int32_t ScreenHeight() { return 768 * 15; }
};

// Routines of the host's own library that the plug-in calls directly.
class HostLibrary {
 public:
  virtual ~HostLibrary() = default;
  // The host's shared error display: shows the error (number, description, source) to the user.
  virtual void ReportError(const AutomationError& error) = 0;
  // The host's date function: profile business date and the computer's date -> business date.
  virtual DateValue CentreDate(DateValue profileDate, DateValue today) = 0;
};

// The running environment. The host side installs it before the plug-in's first call.
struct Environment {
  ComponentRegistry* registry = nullptr;
  Ui* ui = nullptr;
  HostLibrary* hostLib = nullptr;
};

void SetEnvironment(const Environment& env);
const Environment& GetEnvironment();

// CreateObject(progId) through the environment's registry.
Object CreateObject(std::string_view progId);
Ui& GetUi();
HostLibrary& GetHostLib();

// Functions to run when the library unloads (process-wide state is dropped). The simulated
// host calls RunUnloadHooks between scenario files to start each one as a fresh process.
// Hooks stay registered for the life of the process (register each once); one that throws
// does not keep the others from running.
void AddUnloadHook(std::function<void()> hook);
void RunUnloadHooks();

}  // namespace ax
