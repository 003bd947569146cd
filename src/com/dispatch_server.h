// IDispatch served over an automation object of this module (ax::Dispatch), so that COM
// clients can call it by name: member names get DISPIDs on first request, arguments and results
// go through the bridge's conversions, by-reference arguments are written back and automation
// errors come back as DISP_E_EXCEPTION with EXCEPINFO.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "automation/object.h"
#include "com_object.h"
#include "guids.h"
#include "type_info_stubs.h"

namespace sccom {

// Hands back the automation object behind an IDispatch this module serves. Only code of the
// same module gets it: another module's copy of the bridge passes its own handle and gets
// nothing, so objects never cross between two copies of the runtime.
struct IAxObject : public IUnknown {
  virtual void STDMETHODCALLTYPE GetTarget(HMODULE caller, ax::DispatchPtr* out) = 0;
};

}  // namespace sccom

// IAxObject's identifier, for __uuidof (com_ptr.h).
extern "C++" template <>
constexpr const GUID& __mingw_uuidof<sccom::IAxObject>() {
  return sccom::kIidAxObject;
}

namespace sccom {

// DISPIDs handed out for member names on first request (1, 2, ...; DISPID_VALUE is "Item").
class MemberIds {
 public:
  DISPID IdOf(const std::string& name);
  // "" for a DISPID never handed out.
  const std::string& NameOf(DISPID id) const;

 private:
  // DISPID n names names_[n - 1]. A deque: a name handed out by NameOf stays valid while the
  // call it names runs, even when that call makes new names known.
  std::deque<std::string> names_;
};

// The type information of one served object (see DispatchServer): a part of the object that
// lives as long as it does, naming the object's class; a dispatch interface whose members are
// not described (clients ask the object).
class ServedTypeInfo final : public TypeInfoStubs<ITypeInfo> {
 public:
  explicit ServedTypeInfo(IUnknown& owner) : owner_(owner) {}
  bool Named() const { return !name_.empty(); }
  void Name(std::string className);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

  STDMETHODIMP GetTypeAttr(TYPEATTR** out) override;
  STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR*) override {}
  STDMETHODIMP GetDocumentation(MEMBERID id, BSTR* name, BSTR* doc, DWORD* context,
                                BSTR* helpFile) override;
  STDMETHODIMP GetFuncDesc(UINT, FUNCDESC** out) override;
  STDMETHODIMP GetNames(MEMBERID, BSTR*, UINT, UINT* count) override;
  STDMETHODIMP GetRefTypeOfImplType(UINT, HREFTYPE* out) override;
  STDMETHODIMP GetImplTypeFlags(UINT, INT* out) override;
  STDMETHODIMP GetIDsOfNames(LPOLESTR*, UINT count, MEMBERID* ids) override;
  STDMETHODIMP GetRefTypeInfo(HREFTYPE, ITypeInfo** out) override;
  STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC*) override {}

 private:
  IUnknown& owner_;  // counts this object's references
  std::string name_;
  TYPEATTR attr_{};
};

// Every object served by a DispatchServer has type information naming its class (ClassName())
// under an identifier made from the name and this load of the module, and all of them take
// their DISPIDs from one table, so that a client keeping DISPIDs per type (as the bridge does)
// can never call one class's member by another's DISPID, nor by the DISPID an earlier load of the
// module gave. The members themselves are not described: clients ask the object.
class DispatchServer : public ComObject<IDispatch, IAxObject> {
 public:
  explicit DispatchServer(ax::DispatchPtr target);
  ~DispatchServer() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* info, UINT* argError) override;
  // IAxObject
  void STDMETHODCALLTYPE GetTarget(HMODULE caller, ax::DispatchPtr* out) override;

  const ax::DispatchPtr& target() const { return target_; }

 protected:
  void* Find(REFIID iid) override;

 private:
  ax::DispatchPtr target_;
  MemberIds& ids_;            // the table every served object shares
  ServedTypeInfo typeInfo_;   // named on the first request
};

// The identifier of the type information of served objects of class className, for this load
// of the module.
GUID ServedTypeId(std::string_view className);

// The server already serving object, if any.
DispatchServer* FindServer(const ax::Dispatch* object);

// Runs an ax call for an IDispatch::Invoke: converts DISPPARAMS into Args (positional
// arguments come in reverse order; the DISPID_PROPERTYPUT value goes last), calls fn, writes
// by-reference arguments back and stores the result. Shared by every IDispatch we serve; raises
// what fn raises (the caller runs it under Guard).
void InvokeWithArgs(DISPPARAMS* params, VARIANT* result,
                       const std::function<ax::Variant(ax::Args&)>& fn);

// The call kind for DISPATCH_* flags.
unsigned CallKindFromFlags(WORD flags);

// IDispatch::GetIDsOfNames over ids: members are known by name only, their parameters have no
// names.
HRESULT IdsOfNames(MemberIds& ids, LPOLESTR* names, UINT count, DISPID* out) noexcept;

// IDispatch::Invoke of the member that ids knows as id, on target, under Guard.
HRESULT InvokeMember(const MemberIds& ids, const ax::DispatchPtr& target, DISPID id,
                     WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info) noexcept;

}  // namespace sccom
