// Owners for the resources the COM layer holds: interface pointers, BSTRs, VARIANTs, registry
// keys and buffers the system allocates for us (LocalFree). Code outside this header never calls
// AddRef, Release, SysFreeString, VariantClear, RegCloseKey or LocalFree itself.
#pragma once

#include "win32.h"
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace sccom {

// The interface identifier declared with interface U (__uuidof, from the interface's own
// declaration), so that a query's type and identifier cannot disagree. Evaluated at compile
// time: an interface declared without an identifier does not compile.
template <class U>
inline constexpr const IID& kIidOf = __uuidof(U);

template <class T>
class ComPtr;
template <class U>
ComPtr<U> QueryAs(IUnknown* p);

// An owned interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts a reference the caller already owns (a pointer returned by an out parameter).
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  // Gives up ownership without releasing (for out parameters handed to a caller).
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // Forgets the pointer without releasing it: for references that can no longer be released
  // safely (the process is shutting down and the owner may be gone).
  void Abandon() { p_ = nullptr; }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Address for an out parameter; releases what was held.
  T** put() {
    Reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  // QueryInterface for interface U, by the identifier U's declaration carries; empty on failure.
  template <class U>
  ComPtr<U> As() const {
    return QueryAs<U>(p_);
  }
  // Returns a new reference for an out parameter.
  T* CopyOut() const {
    if (p_) p_->AddRef();
    return p_;
  }

 private:
  T* p_ = nullptr;
};

// QueryInterface of p for iid, as U; empty when p is null or does not have it.
template <class U>
ComPtr<U> QueryAs(IUnknown* p, REFIID iid) {
  ComPtr<U> out;
  // A failed query leaves nothing to release.
  if (p && FAILED(p->QueryInterface(iid, out.put_void()))) out.Abandon();
  return out;
}

// QueryInterface of p for interface U, by the identifier U's declaration carries.
template <class U>
ComPtr<U> QueryAs(IUnknown* p) {
  return QueryAs<U>(p, kIidOf<U>);
}

// An owned BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::wstring_view text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr& o) : b_(o.b_ ? SysAllocStringLen(o.b_, SysStringLen(o.b_)) : nullptr) {}
  Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  Bstr& operator=(Bstr o) noexcept {
    std::swap(b_, o.b_);
    return *this;
  }
  ~Bstr() { Reset(); }

  static Bstr Attach(BSTR b) {
    Bstr s;
    s.b_ = b;
    return s;
  }
  BSTR Detach() { return std::exchange(b_, nullptr); }
  void Reset() {
    if (BSTR b = std::exchange(b_, nullptr)) SysFreeString(b);
  }
  BSTR get() const { return b_; }
  BSTR* put() {
    Reset();
    return &b_;
  }
  std::wstring_view view() const { return b_ ? std::wstring_view(b_, SysStringLen(b_)) : L""; }

 private:
  BSTR b_ = nullptr;
};

// An owned VARIANT.
class Var {
 public:
  Var() { VariantInit(&v_); }
  Var(const Var& o) : Var() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
  Var(Var&& o) noexcept : Var() { std::swap(v_, o.v_); }
  Var& operator=(Var o) noexcept {
    std::swap(v_, o.v_);
    return *this;
  }
  ~Var() { VariantClear(&v_); }

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  VARIANT& operator*() { return v_; }
  const VARIANT& operator*() const { return v_; }
  VARIANT* operator->() { return &v_; }
  const VARIANT* operator->() const { return &v_; }
  // Clears and returns the address for an out parameter.
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }
  // Moves the content into *out (uninitialised or cleared by the caller) and leaves this Empty.
  void MoveTo(VARIANT* out) {
    *out = v_;
    VariantInit(&v_);
  }

 private:
  VARIANT v_;
};

// An owned handle of type H, freed with Free{}(handle): the registry keys and system-allocated
// buffers below.
template <class H, class Free>
class Owned {
 public:
  Owned() = default;
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Reset(); }

  void Reset() {
    if (H h = std::exchange(h_, H{})) Free{}(h);
  }
  H get() const { return h_; }
  // Address for an out parameter; frees what was held.
  H* put() {
    Reset();
    return &h_;
  }

 private:
  H h_{};
};

struct CloseRegKey {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
struct FreeLocal {
  void operator()(void* p) const { LocalFree(p); }
};

// An open registry key.
using RegKey = Owned<HKEY, CloseRegKey>;
// A buffer the system allocated for the caller to LocalFree (FormatMessage's
// FORMAT_MESSAGE_ALLOCATE_BUFFER).
template <class T>
using LocalBuffer = Owned<T*, FreeLocal>;

}  // namespace sccom
