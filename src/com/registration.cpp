// Self-registration: the classes of the class table and the embedded type library.
//
// For each class, under HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                          = class name
//     InprocServer32                       = path of this DLL, ThreadingModel = Apartment
//     ProgID                               = <ProgID>.1
//     VersionIndependentProgID             = <ProgID>
//     TypeLib                              = {libid}, Version = 1.0, Programmable
//   <ProgID>                               = class name, CLSID = {clsid}, CurVer = <ProgID>.1
//   <ProgID>.1                             = class name, CLSID = {clsid}
// and the type library through RegisterTypeLib (TypeLib\{libid}\1.0 and the Interface keys of
// the three dual interfaces). Unregistration removes exactly these.
//
// On 64-bit Windows the 32-bit and the 64-bit DLL may be registered side by side: each has its
// own CLSID keys (the registry keeps one view per bitness) and its own platform entry under
// TypeLib\{libid}\1.0\0 (win32, win64), while the ProgIDs, the type library's key and
// (under Wine) the Interface keys are one for both. Unregistering one bitness therefore leaves
// what the other's registration still uses; the last one removes everything, in both views.
#include <string>

#include "bridge.h"
#include "guids.h"
#include "module.h"
#include "server.h"

namespace sccom {

namespace {

void Check(LSTATUS status) {
  if (status != ERROR_SUCCESS) ThrowIfFailed(HRESULT_FROM_WIN32(status), "DllRegisterServer");
}

// Creates HKCR\path and sets its value name ("" for the default value) to text.
void SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& text) {
  RegKey key;
  Check(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.put(), nullptr));
  if (!name) return;
  Check(RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))));
}

std::wstring GetValue(const std::wstring& path) {
  wchar_t text[256] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text,
                   &size) != ERROR_SUCCESS) {
    return {};
  }
  return text;
}

void DeleteTree(const std::wstring& path) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()); }

std::wstring Braced(REFGUID guid) { return Widen(GuidText(guid)); }

constexpr bool kWin64 = sizeof(void*) == 8;
SYSKIND ThisSysKind() { return kWin64 ? SYS_WIN64 : SYS_WIN32; }
// The other bitness's registry view (on 32-bit Windows, where there is one view, Windows
// ignores the flag and this is our own).
constexpr REGSAM kOtherView = kWin64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
const wchar_t* ThisPlatform() { return kWin64 ? L"win64" : L"win32"; }
const wchar_t* OtherPlatform() { return kWin64 ? L"win32" : L"win64"; }

bool HasOtherViewKey(const std::wstring& path) {
  RegKey key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | kOtherView, key.put()) ==
         ERROR_SUCCESS;
}

// HKCR\Interface\{iid} in the other view, when it still names this type library.
void DeleteOtherViewInterface(const std::wstring& iid, const std::wstring& libid) {
  RegKey interfaces;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Interface", 0, KEY_ALL_ACCESS | kOtherView,
                    interfaces.put()) != ERROR_SUCCESS) {
    return;
  }
  wchar_t text[64] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(interfaces.get(), (iid + L"\\TypeLib").c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                   text, &size) == ERROR_SUCCESS &&
      CompareStringOrdinal(text, -1, libid.c_str(), -1, TRUE) == CSTR_EQUAL) {
    RegDeleteTreeW(interfaces.get(), iid.c_str());
  }
}

// The three keys a class owns: registration writes below them and unregistration removes them,
// so that the two agree by construction.
struct ClassKeys {
  std::wstring clsid;      // {clsid}
  std::wstring classKey;   // CLSID\{clsid}
  std::wstring progId;     // <ProgID>
  std::wstring versioned;  // <ProgID>.1
};

ClassKeys KeysOf(const ClassEntry& c) {
  ClassKeys k;
  k.clsid = Braced(*c.clsid);
  k.classKey = L"CLSID\\" + k.clsid;
  k.progId = Widen(c.progId);
  k.versioned = k.progId + L"." + std::to_wstring(SCTAV_TYPELIB_MAJOR);
  return k;
}

}  // namespace

HRESULT RegisterServer() {
  HRESULT hr = GuardAnyThread(IID_NULL, []() -> HRESULT {
    const std::wstring path = module::Path();
    const std::wstring libid = Braced(kLibId);
    const std::wstring version = std::to_wstring(SCTAV_TYPELIB_MAJOR) + L"." +
                                 std::to_wstring(SCTAV_TYPELIB_MINOR);
    size_t count = 0;
    const ClassEntry* classes = Classes(&count);
    for (size_t i = 0; i < count; ++i) {
      const ClassEntry& c = classes[i];
      const auto [clsid, key, progId, versioned] = KeysOf(c);
      SetValue(key, L"", c.name);
      SetValue(key + L"\\InprocServer32", L"", path);
      SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
      SetValue(key + L"\\ProgID", L"", versioned);
      SetValue(key + L"\\VersionIndependentProgID", L"", progId);
      SetValue(key + L"\\TypeLib", L"", libid);
      SetValue(key + L"\\Version", L"", version);
      SetValue(key + L"\\Programmable", nullptr, {});
      SetValue(progId, L"", c.name);
      SetValue(progId + L"\\CLSID", L"", clsid);
      SetValue(progId + L"\\CurVer", L"", versioned);
      SetValue(versioned, L"", c.name);
      SetValue(versioned + L"\\CLSID", L"", clsid);
    }
    ComPtr<ITypeLib> library;
    ThrowIfFailed(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), "LoadTypeLibEx");
    std::wstring mutablePath = path;
    ThrowIfFailed(RegisterTypeLib(library.get(), mutablePath.data(), nullptr), "RegisterTypeLib");
    return S_OK;
  });
  if (FAILED(hr)) {
    // Leave nothing half-registered behind.
    UnregisterServer();
    return hr;
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  return GuardAnyThread(IID_NULL, []() -> HRESULT {
    size_t count = 0;
    const ClassEntry* classes = Classes(&count);
    for (size_t i = 0; i < count; ++i) {
      const auto [clsid, key, progId, versioned] = KeysOf(classes[i]);
      DeleteTree(key);
      // The other bitness's class still uses the ProgIDs.
      if (HasOtherViewKey(key + L"\\InprocServer32")) continue;
      // A ProgID now registered for another class is not ours to remove.
      for (const std::wstring& name : {progId, versioned}) {
        std::wstring registered = GetValue(name + L"\\CLSID");
        if (registered.empty() || CompareStringOrdinal(registered.c_str(), -1, clsid.c_str(), -1,
                                                       TRUE) == CSTR_EQUAL) {
          DeleteTree(name);
        }
      }
    }
    const std::wstring libid = Braced(kLibId);
    const std::wstring library = L"TypeLib\\" + libid + L"\\" +
                                 std::to_wstring(SCTAV_TYPELIB_MAJOR) + L"." +
                                 std::to_wstring(SCTAV_TYPELIB_MINOR) + L"\\0\\";
    if (HasOtherViewKey(library + OtherPlatform())) {
      // Only this platform's entry: the library's key and the interfaces serve the other.
      DeleteTree(library + ThisPlatform());
      return S_OK;
    }
    // Not registered is as good as unregistered.
    HRESULT hr = UnRegisterTypeLib(kLibId, SCTAV_TYPELIB_MAJOR, SCTAV_TYPELIB_MINOR,
                                   LOCALE_NEUTRAL, ThisSysKind());
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_CANTLOADLIBRARY &&
        hr != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) {
      ThrowIfFailed(hr, "UnRegisterTypeLib");
    }
    // The interface keys the other bitness left in its own view when it went first.
    for (size_t i = 0; i < count; ++i) DeleteOtherViewInterface(Braced(*classes[i].iid), libid);
    return S_OK;
  });
}

}  // namespace sccom
