// The members of ITypeInfo that type information describing a dispatch interface by name alone
// does not have (variables, entry points, instances, a containing library, type binding):
// answered as not there, for Base = ITypeInfo or a ComObject<ITypeInfo>.
#pragma once

#include "win32.h"
#include <oaidl.h>

namespace sccom {

template <class Base>
class TypeInfoStubs : public Base {
 public:
  STDMETHODIMP GetTypeComp(ITypeComp** out) override { return NotImplemented(out); }
  STDMETHODIMP GetVarDesc(UINT, VARDESC** out) override {
    if (out) *out = nullptr;
    return TYPE_E_ELEMENTNOTFOUND;
  }
  STDMETHODIMP_(void) ReleaseVarDesc(VARDESC*) override {}
  STDMETHODIMP Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDllEntry(MEMBERID, INVOKEKIND, BSTR* dll, BSTR* name, WORD* ordinal) override {
    if (dll) *dll = nullptr;
    if (name) *name = nullptr;
    if (ordinal) *ordinal = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP AddressOfMember(MEMBERID, INVOKEKIND, PVOID* out) override {
    return NotImplemented(out);
  }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, PVOID* out) override { return NotImplemented(out); }
  STDMETHODIMP GetMops(MEMBERID, BSTR* mops) override { return NotImplemented(mops); }
  STDMETHODIMP GetContainingTypeLib(ITypeLib** out, UINT* index) override {
    if (index) *index = 0;
    return NotImplemented(out);
  }

 protected:
  template <class T>
  static HRESULT NotImplemented(T** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
};

}  // namespace sccom
