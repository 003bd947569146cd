// Base of every COM object this module implements: reference counting, QueryInterface through
// the derived class's Find, and the module's object count (DllCanUnloadNow).
#pragma once

#include "win32.h"
#include <unknwn.h>

#include <new>
#include <utility>

#include "com_ptr.h"
#include "module.h"

namespace sccom {

template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { module::ObjectCreated(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() { module::ObjectDestroyed(); }

  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = Find(iid);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

 protected:
  // The interface pointer for iid, or nullptr. Derived classes answer IID_IUnknown too.
  virtual void* Find(REFIID iid) = 0;

 private:
  LONG refs_ = 1;
};

// Creates a COM object owned by the returned pointer (its one initial reference).
template <class T, class... A>
ComPtr<T> MakeCom(A&&... args) {
  return ComPtr<T>::Attach(new T(std::forward<A>(args)...));
}

}  // namespace sccom
