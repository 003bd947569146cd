// A user interface that hands every service to another one (the simulated host's): the base of
// the interfaces that change only a few of them (the screenshot tool's real windows, its native
// stand-in in the unit tests).
#pragma once

#include "automation/runtime.h"

namespace sccheck {

class ForwardingUi : public ax::Ui {
 public:
  explicit ForwardingUi(ax::Ui& inner) : inner_(inner) {}

  int MessageBox(const std::string& text, int flags, const std::string& title) override {
    return inner_.MessageBox(text, flags, title);
  }
  void SetMousePointer(int pointer) override { inner_.SetMousePointer(pointer); }
  int MousePointer() const override { return inner_.MousePointer(); }
  void DoEvents() override { inner_.DoEvents(); }
  void SetClipboardPicture(const ax::Picture& picture) override { inner_.SetClipboardPicture(picture); }
  ax::Picture ClipboardPicture() const override { return inner_.ClipboardPicture(); }
  void ShowModal(ax::Form& form) override { inner_.ShowModal(form); }
  double Timer() override { return inner_.Timer(); }
  ax::DateValue Now() override { return inner_.Now(); }
  uint32_t CurrentProcessId() override { return inner_.CurrentProcessId(); }
  intptr_t GetParent(intptr_t hwnd) override { return inner_.GetParent(hwnd); }
  bool IsWindow(intptr_t hwnd) override { return inner_.IsWindow(hwnd); }
  bool IsIconic(intptr_t hwnd) override { return inner_.IsIconic(hwnd); }
  bool ShowWindow(intptr_t hwnd, int command) override { return inner_.ShowWindow(hwnd, command); }
  bool SetForegroundWindow(intptr_t hwnd) override { return inner_.SetForegroundWindow(hwnd); }
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override { return inner_.GetWindowRect(hwnd, rect); }
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    return inner_.SendMessageA(hwnd, message, wParam, lParam);
  }
  int32_t ScreenWidth() override { return inner_.ScreenWidth(); }
  int32_t ScreenHeight() override { return inner_.ScreenHeight(); }

 protected:
  ax::Ui& inner_;
};

}  // namespace sccheck
