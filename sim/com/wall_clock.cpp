#include "wall_clock.h"

#include <cmath>
#include <cstring>

#include "automation/runtime.h"
#include "automation/variant.h"
#include "win32.h"
#include "sim/host/host.h"

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

bool SetLibraryClock() {
  HMODULE library = GetModuleHandleW(L"scTAVExt.dll");
  if (!library) return true;  // not loaded: nothing reads the clock
  void** slot = ImportSlot(library, "kernel32.dll", "GetLocalTime");
  if (!slot) return false;
  void* clock = reinterpret_cast<void*>(&HostLocalTime);
  if (*slot == clock) return true;
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
  *slot = clock;
  VirtualProtect(slot, sizeof *slot, old, &old);
  return true;
}

}  // namespace via_com
