#include "win_ui.h"

#include "bridge.h"


namespace sccom {

namespace {

HWND Hwnd(intptr_t handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace

int WinUi::MessageBox(const std::string& text, int flags, const std::string& title) {
  std::wstring wideText = Widen(text), wideTitle = Widen(title);
  // The standard flags are Win32's MB_ values; so are the answers.
  int answer = MessageBoxW(GetActiveWindow(), wideText.c_str(), wideTitle.c_str(),
                           static_cast<UINT>(flags) | MB_SETFOREGROUND);
  return answer == 0 ? ax::mb::kIdCancel : answer;
}

void WinUi::SetMousePointer(int pointer) {
  pointer_ = pointer;
  SetCursor(LoadCursorW(nullptr, pointer == 11 ? IDC_WAIT : IDC_ARROW));
}

void WinUi::DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit request for the host's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HBITMAP CreateToolFace(int32_t imageIndex) {
  constexpr int kSize = 16;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kSize, kSize);
  ReleaseDC(nullptr, screen);
  if (!dc || !bitmap) {
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(dc, bitmap);
  // The mask colour (white) around a coloured square with the image's number.
  RECT all{0, 0, kSize, kSize};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &all, white);
  DeleteObject(white);
  static const COLORREF kColours[] = {RGB(0, 102, 204), RGB(0, 153, 51), RGB(204, 102, 0),
                                      RGB(153, 0, 153), RGB(204, 0, 0), RGB(0, 128, 128)};
  HBRUSH face = CreateSolidBrush(kColours[static_cast<unsigned>(imageIndex) % 6]);
  RECT inner{2, 2, kSize - 2, kSize - 2};
  FillRect(dc, &inner, face);
  DeleteObject(face);
  wchar_t digit[2] = {static_cast<wchar_t>(L'0' + (imageIndex % 10)), 0};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, digit, 1, &inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

void WinUi::SetClipboardPicture(const ax::Picture& picture) {
  picture_ = picture;
  // The clipboard may be held by another program for a moment; a tool without a face is
  // better than a failed menu, so a clipboard that stays closed is left alone.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      HBITMAP face = CreateToolFace(picture.imageIndex);
      // On success the clipboard owns the bitmap.
      if (face && !SetClipboardData(CF_BITMAP, face)) DeleteObject(face);
      CloseClipboard();
      return;
    }
    Sleep(10);
  }
}

double WinUi::Timer() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
}

ax::DateValue WinUi::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ax::MakeDate(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

uint32_t WinUi::CurrentProcessId() { return GetCurrentProcessId(); }

intptr_t WinUi::GetParent(intptr_t hwnd) {
  return reinterpret_cast<intptr_t>(::GetParent(Hwnd(hwnd)));
}

bool WinUi::IsWindow(intptr_t hwnd) { return ::IsWindow(Hwnd(hwnd)) != FALSE; }

bool WinUi::IsIconic(intptr_t hwnd) { return ::IsIconic(Hwnd(hwnd)) != FALSE; }

bool WinUi::ShowWindow(intptr_t hwnd, int command) {
  return ::ShowWindow(Hwnd(hwnd), command) != FALSE;
}

bool WinUi::SetForegroundWindow(intptr_t hwnd) {
  return ::SetForegroundWindow(Hwnd(hwnd)) != FALSE;
}

bool WinUi::GetWindowRect(intptr_t hwnd, ax::Rect& rect) {
  RECT r{};
  if (!::GetWindowRect(Hwnd(hwnd), &r)) return false;
  rect = {r.left, r.top, r.right, r.bottom};
  return true;
}

intptr_t WinUi::SendMessageA(intptr_t hwnd, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return static_cast<intptr_t>(::SendMessageA(Hwnd(hwnd), message, static_cast<WPARAM>(wParam),
                                              static_cast<LPARAM>(lParam)));
}

int32_t WinUi::ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN) * 15; }

int32_t WinUi::ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN) * 15; }

}  // namespace sccom
