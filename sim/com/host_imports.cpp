#include "host_imports.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "win32.h"
#include "shared/FrmRes.h"
#include "sim/host/host.h"
#include "win_ui.h"

namespace via_com {

namespace {

// GetLocalTime as the simulated host's computer answers it.
void WINAPI HostLocalTime(SYSTEMTIME* out) {
  sim::Host* host = sim::Host::Running();
  if (!host || !out) {
    GetLocalTime(out);
    return;
  }
  double seconds = host->Timer();  // every reading moves the clock on a little
  ax::DateValue date = ax::DateOnly(host->Now());
  int year, month, day, hour, minute, second;
  ax::SplitDate(date, year, month, day, hour, minute, second);
  double whole = std::floor(seconds);
  auto s = static_cast<int>(whole);
  *out = SYSTEMTIME{};
  out->wYear = static_cast<WORD>(year);
  out->wMonth = static_cast<WORD>(month);
  out->wDay = static_cast<WORD>(day);
  out->wHour = static_cast<WORD>(s / 3600);
  out->wMinute = static_cast<WORD>(s / 60 % 60);
  out->wSecond = static_cast<WORD>(s % 60);
  out->wMilliseconds = static_cast<WORD>((seconds - whole) * 1000);
  // The day of the week (0 Sunday): 1899-12-30, day 0 of the serial dates, was a Saturday.
  auto serial = static_cast<long>(std::floor(date.serial));
  out->wDayOfWeek = static_cast<WORD>(((serial % 7) + 7 + 6) % 7);
}

// The simulated host's window of that handle, with the host: else null.
sim::Host* HostOf(HWND hwnd) {
  sim::Host* host = sim::Host::Running();
  return host && host->IsWindow(reinterpret_cast<intptr_t>(hwnd)) ? host : nullptr;
}
intptr_t Handle(HWND hwnd) { return reinterpret_cast<intptr_t>(hwnd); }

BOOL WINAPI HostIsWindow(HWND hwnd) { return HostOf(hwnd) ? TRUE : IsWindow(hwnd); }
BOOL WINAPI HostIsIconic(HWND hwnd) {
  sim::Host* host = HostOf(hwnd);
  return host ? host->IsIconic(Handle(hwnd)) : IsIconic(hwnd);
}
HWND WINAPI HostGetParent(HWND hwnd) {
  sim::Host* host = HostOf(hwnd);
  return host ? reinterpret_cast<HWND>(host->GetParent(Handle(hwnd))) : GetParent(hwnd);
}
BOOL WINAPI HostShowWindow(HWND hwnd, int command) {
  sim::Host* host = HostOf(hwnd);
  return host ? host->ShowWindow(Handle(hwnd), command) : ShowWindow(hwnd, command);
}
BOOL WINAPI HostSetForegroundWindow(HWND hwnd) {
  sim::Host* host = HostOf(hwnd);
  return host ? host->SetForegroundWindow(Handle(hwnd)) : SetForegroundWindow(hwnd);
}
BOOL WINAPI HostGetWindowRect(HWND hwnd, RECT* out) {
  sim::Host* host = HostOf(hwnd);
  if (!host) return GetWindowRect(hwnd, out);
  ax::Rect rect;
  if (!out || !host->GetWindowRect(Handle(hwnd), rect)) return FALSE;
  *out = RECT{rect.left, rect.top, rect.right, rect.bottom};
  return TRUE;
}
LRESULT WINAPI HostSendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  sim::Host* host = HostOf(hwnd);
  if (!host) return SendMessageA(hwnd, message, wParam, lParam);
  return static_cast<LRESULT>(host->SendMessageA(Handle(hwnd), message, static_cast<uintptr_t>(wParam),
                                                 static_cast<intptr_t>(lParam)));
}

// Each host window holds the handle of a message-only window of the process.
intptr_t NewHostWindow() {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  return Handle(hwnd);
}
void DestroyHostWindow(intptr_t hwnd) { DestroyWindow(reinterpret_cast<HWND>(hwnd)); }

// A bitmap's pixels, as 32-bit values, with its size first.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {};
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(2 + static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
  pixels[0] = static_cast<uint32_t>(info.bmWidth);
  pixels[1] = static_cast<uint32_t>(info.bmHeight);
  HDC dc = GetDC(nullptr);
  int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data() + 2, &header,
                        DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (lines != info.bmHeight) return {};
  for (size_t i = 2; i < pixels.size(); ++i) pixels[i] &= 0x00FFFFFF;
  return pixels;
}

// The tool face on the clipboard is the image of the resource form it shows: the one whose
// face is drawn the same, pixel for pixel. Nothing on the clipboard, or a picture that is no
// face, is no image.
ax::Picture ClipboardFace() {
  std::vector<uint32_t> shown;
  if (OpenClipboard(nullptr)) {
    shown = PixelsOf(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
  }
  if (shown.empty()) return {};
  for (int32_t index = 1; index <= sc::FrmRes::ImageCount(); ++index) {
    HBITMAP face = sccom::CreateToolFace(index);
    bool same = PixelsOf(face) == shown;
    if (face) DeleteObject(face);
    if (same) return sc::FrmRes::ListImage(index);
  }
  return {};
}

// The import address table slot of dll!function in module, or nullptr.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!dir.VirtualAddress) return nullptr;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       entry->Name; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    if (!entry->OriginalFirstThunk) continue;  // no names to find it by
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
        return reinterpret_cast<void**>(&slots->u1.Function);
    }
  }
  return nullptr;
}

}  // namespace

bool PointLibraryAtHost() {
  HMODULE library = GetModuleHandleW(L"scTAVExt.dll");
  if (!library) return true;  // not loaded: nothing to point
  struct Import {
    const char* dll;
    const char* function;
    void* host;
  };
  const Import imports[] = {
      {"kernel32.dll", "GetLocalTime", reinterpret_cast<void*>(&HostLocalTime)},
      {"user32.dll", "IsWindow", reinterpret_cast<void*>(&HostIsWindow)},
      {"user32.dll", "IsIconic", reinterpret_cast<void*>(&HostIsIconic)},
      {"user32.dll", "GetParent", reinterpret_cast<void*>(&HostGetParent)},
      {"user32.dll", "ShowWindow", reinterpret_cast<void*>(&HostShowWindow)},
      {"user32.dll", "SetForegroundWindow", reinterpret_cast<void*>(&HostSetForegroundWindow)},
      {"user32.dll", "GetWindowRect", reinterpret_cast<void*>(&HostGetWindowRect)},
      {"user32.dll", "SendMessageA", reinterpret_cast<void*>(&HostSendMessageA)},
  };
  for (const Import& import : imports) {
    void** slot = ImportSlot(library, import.dll, import.function);
    if (!slot) return false;
    if (*slot == import.host) continue;
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = import.host;
    VirtualProtect(slot, sizeof *slot, old, &old);
  }
  return true;
}

void UseSystemPlatform() {
  sim::Host::SetPlatform({&NewHostWindow, &DestroyHostWindow, &ClipboardFace, 1440 / sccom::ScreenDpi()});
}

void StopUsingSystemPlatform() { sim::Host::SetPlatform({}); }

}  // namespace via_com
