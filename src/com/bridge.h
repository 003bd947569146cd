// The bridge between COM and the automation runtime: text, errors, values and objects cross
// here and nowhere else. It converts and dispatches; it knows no rule of the plug-in.
//
// Errors: a failing HRESULT becomes an ax::AutomationError (ThrowIfFailed, ThrowInvokeError);
// every COM entry point runs its body through Guard, which turns whatever was thrown back into
// an HRESULT with an error object, and for IDispatch::Invoke into EXCEPINFO.
#pragma once

#include "win32.h"
#include <oaidl.h>

#include <string>
#include <string_view>
#include <utility>

#include "automation/error.h"
#include "automation/object.h"
#include "automation/variant.h"
#include "com_ptr.h"
#include "module.h"

namespace sccom {

// ---- Text ---------------------------------------------------------------------------------
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// The system's text for an HRESULT, in the user's language; empty when it has none.
std::string SystemMessage(HRESULT hr);
Bstr MakeBstr(std::string_view utf8);
std::string GuidText(REFGUID guid);  // "{xxxxxxxx-...}"

// ---- Errors -------------------------------------------------------------------------------
// The automation error an HRESULT (and, for DISP_E_EXCEPTION, its EXCEPINFO) stands for:
// 0x800A00xx is error xx, the standard dispatch failures get their run-time numbers (13, 438,
// 450, ...), anything else keeps the HRESULT as its number, as automation clients report it.
ax::AutomationError ErrorFromHResult(HRESULT hr, EXCEPINFO* info = nullptr);
// The automation error of a failed call whose callee left an error object (IErrorInfo): the
// HRESULT's number with the object's description and source.
ax::AutomationError ErrorFromErrorInfo(HRESULT hr, IErrorInfo* info);
// The HRESULT that reports an automation error: 0x800A0000 | number for run-time errors.
HRESULT HResultFromError(const ax::AutomationError& error);

// Raises the automation error for a failed call; does nothing on success.
void ThrowIfFailed(HRESULT hr, std::string_view source = {});
// Raises the automation error of a failed IDispatch::Invoke and frees the EXCEPINFO texts.
[[noreturn]] void ThrowInvokeError(HRESULT hr, EXCEPINFO& info);

// The one exception-to-HRESULT mapping: turns the exception being handled into an HRESULT and
// an error object for interface iid (SetErrorInfo). With info it also fills EXCEPINFO and
// returns DISP_E_EXCEPTION, as IDispatch::Invoke must. Never throws.
HRESULT ReportCurrentException(REFIID iid, EXCEPINFO* info = nullptr) noexcept;

// Runs body at an entry point that any thread may call (registration); body returns an
// HRESULT (usually S_OK). No exception leaves.
template <class Body>
HRESULT GuardAnyThread(REFIID iid, Body&& body, EXCEPINFO* info = nullptr) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return ReportCurrentException(iid, info);
  }
}

// Runs body at a method of one of the module's objects, or an entry point that reaches them:
// as GuardAnyThread, and a call from another thread than the one the module serves gets
// RPC_E_WRONG_THREAD without running body (module.h).
template <class Body>
HRESULT Guard(REFIID iid, Body&& body, EXCEPINFO* info = nullptr) noexcept {
  if (!module::OnServedThread()) return RPC_E_WRONG_THREAD;
  return GuardAnyThread(iid, std::forward<Body>(body), info);
}

// ---- Values -------------------------------------------------------------------------------
// VARIANT -> Variant. By-reference values are read through; VT_DECIMAL becomes a Double,
// wider integers Long or Double, VT_ERROR DISP_E_PARAMNOTFOUND Missing, a non-dispatch
// VT_UNKNOWN Nothing, arrays a read-only array object (Count, LBound, UBound, Item).
ax::Variant FromVariant(const VARIANT& v);
// Variant -> VARIANT (out is cleared first). Missing becomes VT_ERROR DISP_E_PARAMNOTFOUND.
void ToVariant(const ax::Variant& value, VARIANT* out);
Var ToVar(const ax::Variant& value);
// Stores value into the variable a VT_BYREF argument points to, converted to its type
// (VT_VARIANT references take the value as it is). Raises 13 when it cannot be converted.
void WriteBack(const VARIANT& byRef, const ax::Variant& value);
// The same value: same kind and equal contents; objects by identity.
bool SameValue(const ax::Variant& a, const ax::Variant& b);

// ---- Calls --------------------------------------------------------------------------------
// DISPATCH_* flags for a call kind.
WORD FlagsFromKind(unsigned kind);
// IDispatch::Invoke by DISPID with automation arguments: by-reference arguments go as typed
// references and are read back afterwards; a failure raises the callee's automation error.
ax::Variant CallDispatch(IDispatch* target, DISPID id, unsigned kind, ax::Args& args);

// ---- Objects ------------------------------------------------------------------------------
// The automation object for an IDispatch pointer: our own objects come back as what they are,
// a COM object as a ComDispatch (one per COM identity, so Object::SameAs is COM identity).
ax::Object WrapDispatch(IDispatch* dispatch);
// The IDispatch for an automation object: the COM object a ComDispatch holds, otherwise an
// IDispatch served over the object (one per object).
ComPtr<IDispatch> ExposeDispatch(const ax::DispatchPtr& object);

// The DISPID cache of ComDispatch is on by default; benchmarks switch it off to compare.
void SetDispidCacheEnabled(bool enabled);

}  // namespace sccom
