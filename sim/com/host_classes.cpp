#include "host_classes.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "automation/error.h"
#include "automation/variant.h"
#include "bridge.h"
#include "com_object.h"
#include "event_source_server.h"
#include "sim/host/components/receipt_list.h"
#include "sim/host/counted_object.h"
#include "sim/host/host.h"

namespace via_com {

namespace {

// A class of the run's: the same ProgID has the same CLSID in every run.
CLSID ClassIdOf(std::string_view progId) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a over the ProgID in lower case
  for (char c : progId) {
    hash ^= static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    hash *= 1099511628211ull;
  }
  CLSID id{0x1c0d5e20, static_cast<uint16_t>(hash >> 48), static_cast<uint16_t>(0x4000 | ((hash >> 36) & 0x0FFF)),
           {}};
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<uint8_t>(hash >> (8 * i));
  id.Data4[0] = static_cast<uint8_t>(0x80 | (id.Data4[0] & 0x3F));
  return id;
}

// The receipt list control raises Confirm to the form that hosts it: served with its class and
// one connection point, as a control with events is.
std::shared_ptr<const sccom::EventClass> ReceiptListClass() {
  static const auto c = std::make_shared<const sccom::EventClass>(sccom::EventClass{
      "ListRecSett",
      {0x1c0d5e12, 0x7a31, 0x4d52, {0x8e, 0x6c, 0x2b, 0x90, 0x51, 0x3f, 0x00, 1}},
      {0x1c0d5e12, 0x7a31, 0x4d52, {0x8e, 0x6c, 0x2b, 0x90, 0x51, 0x3f, 0x00, 2}},
      {0x1c0d5e12, 0x7a31, 0x4d52, {0x8e, 0x6c, 0x2b, 0x90, 0x51, 0x3f, 0x00, 3}},
      {{"Confirm", {}}}});
  return c;
}

bool IsReceiptList(const ax::DispatchPtr& object) {
  if (std::dynamic_pointer_cast<sim::ReceiptList>(object)) return true;
  auto counted = std::dynamic_pointer_cast<sim::CountedObject>(object);
  return counted && IsReceiptList(counted->Inner());
}

// Creates the component from the simulated host of the moment. A failure goes back as the
// host's automation error: its number in the HRESULT, its text in the thread's error object.
class HostClassFactory final : public sccom::ComObject<IClassFactory> {
 public:
  explicit HostClassFactory(std::string progId) : progId_(std::move(progId)) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return sccom::Guard(IID_IClassFactory, [&]() -> HRESULT {
      sim::Host* host = sim::Host::Running();
      if (!host) throw ax::AutomationError(ax::err::kCantCreate, "no simulated host is running", progId_);
      ax::Object object = host->Create(progId_);
      sccom::ComPtr<IDispatch> served = IsReceiptList(object.ptr())
                                            ? sccom::ServeEventSource(object.ptr(), ReceiptListClass())
                                            : sccom::ExposeDispatch(object.ptr());
      return served->QueryInterface(iid, out);
    });
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
    return nullptr;
  }

 private:
  std::string progId_;
};

struct Registered {
  std::wstring progId;
  DWORD cookie = 0;
  std::vector<HKEY> roots;  // where the ProgID's key is ours to remove
};
std::vector<Registered>& Classes() {
  static std::vector<Registered> classes;
  return classes;
}

std::wstring KeyOf(const std::wstring& progId) { return L"Software\\Classes\\" + progId; }

// Writes <root>\Software\Classes\<ProgID>\CLSID. Ours: the key is new, or holds this CLSID
// (left by a run that ended without cleaning up); a key naming another class is left alone.
enum class Written { kFailed, kOurs, kOthers };
Written WriteProgId(HKEY root, const std::wstring& progId, const CLSID& clsid) {
  std::wstring text = sccom::Widen(sccom::GuidText(clsid));
  sccom::RegKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExW(root, KeyOf(progId).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                      key.put(), &disposition) != ERROR_SUCCESS) {
    return Written::kFailed;
  }
  if (disposition != REG_CREATED_NEW_KEY) {
    wchar_t found[64] = {};
    DWORD size = sizeof found;
    bool ours = RegGetValueW(key.get(), L"CLSID", nullptr, RRF_RT_REG_SZ, nullptr, found, &size) ==
                    ERROR_SUCCESS &&
                text == found;
    return ours ? Written::kOurs : Written::kOthers;
  }
  sccom::RegKey sub;
  bool set = RegCreateKeyExW(key.get(), L"CLSID", 0, nullptr, 0, KEY_WRITE, nullptr, sub.put(),
                             nullptr) == ERROR_SUCCESS &&
             RegSetValueExW(sub.get(), nullptr, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  return set ? Written::kOurs : Written::kFailed;
}

bool Resolves(const std::wstring& progId, const CLSID& clsid) {
  CLSID found;
  return SUCCEEDED(CLSIDFromProgID(progId.c_str(), &found)) && IsEqualGUID(found, clsid);
}

}  // namespace

std::string RegisterHostClasses(const std::vector<std::string>& progIds) {
  RevokeHostClasses();
  for (const std::string& id : progIds) {
    Registered entry;
    entry.progId = sccom::Widen(id);
    CLSID clsid = ClassIdOf(id);
    auto factory = sccom::MakeCom<HostClassFactory>(id);
    if (FAILED(CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &entry.cookie))) {
      RevokeHostClasses();
      return "cannot register the class object of " + id;
    }
    // Per user first: CLSIDFromProgID reads it on Windows; Wine reads only the machine's.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      Written written = WriteProgId(root, entry.progId, clsid);
      if (written == Written::kFailed) {
        Classes().push_back(entry);
        RevokeHostClasses();
        return "cannot write the ProgID key of " + id;
      }
      if (written == Written::kOthers) break;
      entry.roots.push_back(root);
      if (Resolves(entry.progId, clsid)) break;
    }
    Classes().push_back(entry);
    if (!Resolves(entry.progId, clsid)) {
      RevokeHostClasses();
      return "the ProgID " + id + " names another class in the registry";
    }
  }
  return {};
}

void RevokeHostClasses() {
  for (const Registered& entry : Classes()) {
    if (entry.cookie) CoRevokeClassObject(entry.cookie);
    for (HKEY root : entry.roots) RegDeleteTreeW(root, KeyOf(entry.progId).c_str());
  }
  Classes().clear();
}

}  // namespace via_com
