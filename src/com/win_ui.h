// The user interface services on Win32: message boxes, the mouse pointer, the message loop,
// the clipboard picture of tool faces, window functions and modal forms.
#pragma once

#include "win32.h"

#include "automation/form.h"
#include "automation/runtime.h"

namespace sccom {

class WinUi : public ax::Ui {
 public:
  int MessageBox(const std::string& text, int flags, const std::string& title) override;
  void SetMousePointer(int pointer) override;
  int MousePointer() const override { return pointer_; }
  void DoEvents() override;
  void SetClipboardPicture(const ax::Picture& picture) override;
  ax::Picture ClipboardPicture() const override { return picture_; }
  // Renders the form model as a Win32 window (win_form.cpp).
  void ShowModal(ax::Form& form) override;
  double Timer() override;
  ax::DateValue Now() override;
  uint32_t CurrentProcessId() override;
  intptr_t GetParent(intptr_t hwnd) override;
  bool IsWindow(intptr_t hwnd) override;
  bool IsIconic(intptr_t hwnd) override;
  bool ShowWindow(intptr_t hwnd, int command) override;
  bool SetForegroundWindow(intptr_t hwnd) override;
  bool GetWindowRect(intptr_t hwnd, ax::Rect& rect) override;
  intptr_t SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam,
                        intptr_t lParam) override;
  int32_t ScreenWidth() override;
  int32_t ScreenHeight() override;

 private:
  int pointer_ = 0;
  ax::Picture picture_;
};

// Unregisters the forms' window class (registered again by the next form), for a module about
// to be unloaded: a class outlives the module that registered it.
void UnregisterFormClass();

// The screen's dots per inch, and twips (1/1440 inch) to pixels and back.
int ScreenDpi();
int Px(int32_t twips);
int32_t Twips(int px);

// A window's text and its class's name.
std::wstring WindowText(HWND hwnd);
std::wstring WindowClass(HWND hwnd);

// The registered message "WM_GETCONTROLNAME" that UI automation tools send to learn a window's
// name in its form (the convention of .NET's Windows Forms): a form's window answers its form's
// name, each control's window the control's. wParam is the size of the buffer in characters,
// lParam the buffer; the answer is the name's length, the buffer gets as much of it as fits,
// ended by a null.
UINT ControlNameMessage();

// The image of a tool face: a small bitmap drawn for an image-list index (1-based). The caller
// owns the bitmap.
HBITMAP CreateToolFace(int32_t imageIndex);

}  // namespace sccom
