#include "bridge.h"

#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <vector>

#include "com_dispatch.h"
#include "dispatch_server.h"
#include "guids.h"
#include "module.h"
#include "reusing_map.h"

namespace sccom {

// ---- Text ---------------------------------------------------------------------------------

namespace {

// Most texts that cross (member names, column names, codes) are ASCII: they are widened and
// narrowed character by character, without asking the system for the length first.
bool IsAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsAscii(std::wstring_view s) {
  for (wchar_t c : s)
    if (c >= 0x80) return false;
  return true;
}

// UTF-16 length of utf8, and the conversion into out (of that length).
int WideLength(std::string_view utf8) {
  if (IsAscii(utf8)) return static_cast<int>(utf8.size());
  return MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
}

void WidenInto(std::string_view utf8, wchar_t* out, int length) {
  if (static_cast<size_t>(length) == utf8.size() && IsAscii(utf8)) {
    for (size_t i = 0; i < utf8.size(); ++i) out[i] = static_cast<wchar_t>(utf8[i]);
    return;
  }
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out, length);
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = WideLength(utf8);
  std::wstring out(static_cast<size_t>(n), L'\0');
  WidenInto(utf8, out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  if (IsAscii(utf16)) {
    std::string out(utf16.size(), '\0');
    for (size_t i = 0; i < utf16.size(); ++i) out[i] = static_cast<char>(utf16[i]);
    return out;
  }
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr,
                              0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

Bstr MakeBstr(std::string_view utf8) {
  // Converted straight into the string's own buffer (an empty text is an empty string, not a
  // null one).
  int n = utf8.empty() ? 0 : WideLength(utf8);
  Bstr b = Bstr::Attach(SysAllocStringLen(nullptr, static_cast<UINT>(n)));
  if (!b.get()) throw std::bad_alloc();
  if (n > 0) WidenInto(utf8, b.get(), n);
  return b;
}

std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return Narrow(text);
}

// ---- Errors -------------------------------------------------------------------------------

namespace {

// Run-time error numbers of the standard dispatch and system failures.
int32_t NumberFromHResult(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && FAILED(hr)) return HRESULT_CODE(hr);
  switch (hr) {
    case DISP_E_TYPEMISMATCH: return ax::err::kTypeMismatch;
    case DISP_E_OVERFLOW: return ax::err::kOverflow;
    case DISP_E_BADINDEX: return ax::err::kSubscript;
    case DISP_E_DIVBYZERO: return 11;
    case DISP_E_ARRAYISLOCKED: return 10;
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return ax::err::kNoMember;
    case DISP_E_BADPARAMCOUNT: return ax::err::kWrongArgs;
    case DISP_E_PARAMNOTOPTIONAL: return 449;
    case DISP_E_NONAMEDARGS: return 446;
    case DISP_E_PARAMNOTFOUND: return 448;
    case E_OUTOFMEMORY: return 7;
    case E_INVALIDARG: return ax::err::kInvalidCall;
    case E_NOINTERFACE: return 430;
    case REGDB_E_CLASSNOTREG:
    case CO_E_CLASSSTRING: return ax::err::kCantCreate;
    default: return static_cast<int32_t>(hr);
  }
}

std::string DescriptionFor(HRESULT hr, int32_t number) {
  if (number >= 0) return ax::StandardDescription(number);
  std::string text = SystemMessage(hr);
  return text.empty() ? ax::StandardDescription(440) : ax::StandardDescription(440) + ": " + text;
}

}  // namespace

std::string SystemMessage(HRESULT hr) {
  LocalBuffer<wchar_t> buffer;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(hr), 0,
                           reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  std::string text;
  if (n && buffer.get()) {
    text = Narrow(std::wstring_view(buffer.get(), n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
      text.pop_back();
  }
  return text;
}

ax::AutomationError ErrorFromHResult(HRESULT hr, EXCEPINFO* info) {
  HRESULT code = hr;
  std::string description, source;
  if (hr == DISP_E_EXCEPTION && info) {
    if (info->pfnDeferredFillIn) info->pfnDeferredFillIn(info);
    if (info->wCode) {
      code = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, info->wCode);
    } else if (info->scode) {
      code = info->scode;
    }
    if (info->bstrDescription) {
      description = Narrow(std::wstring_view(info->bstrDescription,
                                             SysStringLen(info->bstrDescription)));
    }
    if (info->bstrSource) {
      source = Narrow(std::wstring_view(info->bstrSource, SysStringLen(info->bstrSource)));
    }
  }
  int32_t number = NumberFromHResult(code);
  if (description.empty()) description = DescriptionFor(code, number);
  return ax::AutomationError(number, std::move(description), std::move(source));
}

ax::AutomationError ErrorFromErrorInfo(HRESULT hr, IErrorInfo* info) {
  EXCEPINFO copy{};
  copy.scode = hr;
  Bstr description, source;
  if (info) {
    info->GetDescription(description.put());
    info->GetSource(source.put());
  }
  copy.bstrDescription = description.get();
  copy.bstrSource = source.get();
  return ErrorFromHResult(DISP_E_EXCEPTION, &copy);
}

HRESULT HResultFromError(const ax::AutomationError& error) {
  int32_t number = error.Number();
  if (number < 0) return static_cast<HRESULT>(number);  // already an HRESULT
  if (number == 0) return E_FAIL;
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

void ThrowIfFailed(HRESULT hr, std::string_view source) {
  if (SUCCEEDED(hr)) return;
  ax::AutomationError e = ErrorFromHResult(hr);
  if (e.Source().empty() && !source.empty()) e.SetSource(std::string(source));
  throw e;
}

void ThrowInvokeError(HRESULT hr, EXCEPINFO& info) {
  if (hr == DISP_E_EXCEPTION && info.pfnDeferredFillIn) {
    info.pfnDeferredFillIn(&info);
    info.pfnDeferredFillIn = nullptr;
  }
  // The texts are ours to free, whatever happens next.
  Bstr description = Bstr::Attach(std::exchange(info.bstrDescription, nullptr));
  Bstr source = Bstr::Attach(std::exchange(info.bstrSource, nullptr));
  Bstr help = Bstr::Attach(std::exchange(info.bstrHelpFile, nullptr));
  EXCEPINFO copy = info;
  copy.bstrDescription = description.get();
  copy.bstrSource = source.get();
  throw ErrorFromHResult(hr, &copy);
}

HRESULT ReportCurrentException(REFIID iid, EXCEPINFO* info) noexcept {
  try {
    ax::AutomationError e = ax::ToAutomationError(std::current_exception());
    HRESULT hr = HResultFromError(e);
    std::wstring description = Widen(e.Description());
    std::wstring source = Widen(e.Source().empty() ? std::string("scTAVExt") : e.Source());
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
      create->SetGUID(iid);
      create->SetDescription(description.data());
      create->SetSource(source.data());
      ComPtr<IErrorInfo> error = create.As<IErrorInfo>();
      SetErrorInfo(0, error.get());
    }
    if (!info) return hr;
    *info = EXCEPINFO{};
    info->scode = hr;
    info->bstrDescription = Bstr(description).Detach();
    info->bstrSource = Bstr(source).Detach();
    return DISP_E_EXCEPTION;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// ---- Arrays -------------------------------------------------------------------------------

namespace {

// An array the host passed: a read-only copy of its elements with the array's bounds.
class ArrayObject final : public ax::Dispatch {
 public:
  struct Bound {
    LONG lower = 0;
    ULONG count = 0;
  };
  ArrayObject(std::vector<Bound> bounds, std::vector<ax::Variant> elements)
      : bounds_(std::move(bounds)), elements_(std::move(elements)) {}

  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    (void)kind;
    if (ax::EqualsNoCase(member, "Count")) return static_cast<int64_t>(elements_.size());
    if (ax::EqualsNoCase(member, "LBound") || ax::EqualsNoCase(member, "UBound")) {
      size_t dim = args.empty() || args[0].value().isMissing()
                       ? 1 : static_cast<size_t>(ax::CLng(args[0].value()));
      if (dim < 1 || dim > bounds_.size()) throw ax::Error(ax::err::kSubscript);
      const Bound& b = bounds_[dim - 1];
      return ax::EqualsNoCase(member, "LBound")
                 ? static_cast<int64_t>(b.lower)
                 : static_cast<int64_t>(b.lower) + static_cast<int64_t>(b.count) - 1;
    }
    if (ax::EqualsNoCase(member, "Item") || member.empty()) return elements_.at(Index(args));
    throw ax::Error(ax::err::kNoMember);
  }
  std::string ClassName() const override { return "Variant()"; }

  const std::vector<Bound>& bounds() const { return bounds_; }
  const std::vector<ax::Variant>& elements() const { return elements_; }

 private:
  size_t Index(const ax::Args& args) const {
    if (args.size() != bounds_.size()) throw ax::Error(ax::err::kSubscript);
    size_t flat = 0;
    for (size_t d = 0; d < bounds_.size(); ++d) {
      int64_t i = static_cast<int64_t>(ax::CLng(args[d].value())) - bounds_[d].lower;
      if (i < 0 || i >= static_cast<int64_t>(bounds_[d].count)) throw ax::Error(ax::err::kSubscript);
      flat = flat * bounds_[d].count + static_cast<size_t>(i);
    }
    return flat;
  }

  std::vector<Bound> bounds_;
  std::vector<ax::Variant> elements_;
};

ax::Variant FromSafeArray(SAFEARRAY* array, VARTYPE elementType) {
  if (!array) return ax::Variant::null();
  UINT dims = SafeArrayGetDim(array);
  std::vector<ArrayObject::Bound> bounds(dims);
  size_t total = dims ? 1 : 0;
  for (UINT d = 0; d < dims; ++d) {
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, d + 1, &lower);
    SafeArrayGetUBound(array, d + 1, &upper);
    bounds[d].lower = lower;
    bounds[d].count = upper >= lower ? static_cast<ULONG>(upper - lower + 1) : 0;
    total *= bounds[d].count;
  }
  std::vector<ax::Variant> elements;
  elements.reserve(total);
  std::vector<LONG> index(dims);
  for (size_t n = 0; n < total; ++n) {
    // Flat position n -> one index per dimension, the last dimension varying fastest.
    size_t rest = n;
    for (UINT d = dims; d-- > 0;) {
      index[d] = bounds[d].lower + static_cast<LONG>(rest % bounds[d].count);
      rest /= bounds[d].count;
    }
    void* element = nullptr;
    ThrowIfFailed(SafeArrayPtrOfIndex(array, index.data(), &element));
    VARIANT ref;
    VariantInit(&ref);
    if (elementType == VT_VARIANT) {
      elements.push_back(FromVariant(*static_cast<VARIANT*>(element)));
      continue;
    }
    ref.vt = static_cast<VARTYPE>(elementType | VT_BYREF);
    ref.byref = element;
    elements.push_back(FromVariant(ref));
  }
  return ax::Variant(ax::DispatchPtr(std::make_shared<ArrayObject>(std::move(bounds),
                                                                   std::move(elements))));
}

void ToSafeArray(const ArrayObject& array, VARIANT* out) {
  const auto& bounds = array.bounds();
  std::vector<SAFEARRAYBOUND> sab(bounds.size());
  for (size_t d = 0; d < bounds.size(); ++d) sab[d] = {bounds[d].count, bounds[d].lower};
  SAFEARRAY* created = SafeArrayCreate(VT_VARIANT, static_cast<UINT>(sab.size()), sab.data());
  if (!created) throw std::bad_alloc();
  // Own the array until it is stored in out.
  Var holder;
  holder->vt = VT_ARRAY | VT_VARIANT;
  holder->parray = created;
  std::vector<LONG> index(bounds.size());
  const auto& elements = array.elements();
  for (size_t n = 0; n < elements.size(); ++n) {
    size_t rest = n;
    for (size_t d = bounds.size(); d-- > 0;) {
      index[d] = bounds[d].lower + static_cast<LONG>(rest % bounds[d].count);
      rest /= bounds[d].count;
    }
    Var element = ToVar(elements[n]);
    ThrowIfFailed(SafeArrayPutElement(created, index.data(), element.get()));
  }
  holder.MoveTo(out);
}

}  // namespace

// ---- Values -------------------------------------------------------------------------------

ax::Variant FromVariant(const VARIANT& in) {
  const VARIANT* v = &in;
  // A reference to a variant: read the variant it points to (once more for nested references).
  for (int depth = 0; v->vt == (VT_VARIANT | VT_BYREF) && depth < 4; ++depth) {
    if (!v->pvarVal) return {};
    v = v->pvarVal;
  }
  const bool ref = (v->vt & VT_BYREF) != 0;
  const VARTYPE type = static_cast<VARTYPE>(v->vt & ~VT_BYREF);
  if (ref && !v->byref) return {};
  if (type & VT_ARRAY) {
    return FromSafeArray(ref ? *v->pparray : v->parray, static_cast<VARTYPE>(type & VT_TYPEMASK));
  }
#define SCTAV_VALUE(field, pointer) (ref ? *v->pointer : v->field)
  switch (type) {
    case VT_EMPTY: return {};
    case VT_NULL: return ax::Variant::null();
    case VT_I1: return static_cast<int16_t>(SCTAV_VALUE(cVal, pcVal));
    case VT_UI1: return static_cast<int16_t>(SCTAV_VALUE(bVal, pbVal));
    case VT_I2: return static_cast<int16_t>(SCTAV_VALUE(iVal, piVal));
    case VT_UI2: return static_cast<int32_t>(SCTAV_VALUE(uiVal, puiVal));
    case VT_I4: return static_cast<int32_t>(SCTAV_VALUE(lVal, plVal));
    case VT_INT: return static_cast<int32_t>(SCTAV_VALUE(intVal, pintVal));
    case VT_UI4: return static_cast<int64_t>(SCTAV_VALUE(ulVal, pulVal));
    case VT_UINT: return static_cast<int64_t>(SCTAV_VALUE(uintVal, puintVal));
    case VT_I8: return static_cast<int64_t>(SCTAV_VALUE(llVal, pllVal));
    case VT_UI8: {
      ULONGLONG u = SCTAV_VALUE(ullVal, pullVal);
      if (u > static_cast<ULONGLONG>(std::numeric_limits<int64_t>::max()))
        return static_cast<double>(u);
      return static_cast<int64_t>(u);
    }
    case VT_R4: return static_cast<double>(SCTAV_VALUE(fltVal, pfltVal));
    case VT_R8: return static_cast<double>(SCTAV_VALUE(dblVal, pdblVal));
    case VT_CY: return ax::CurrencyValue{SCTAV_VALUE(cyVal, pcyVal).int64};
    case VT_DATE: return ax::DateValue{SCTAV_VALUE(date, pdate)};
    case VT_BOOL: return SCTAV_VALUE(boolVal, pboolVal) != VARIANT_FALSE;
    case VT_DECIMAL: {
      DECIMAL d = ref ? *v->pdecVal : v->decVal;
      double out = 0;
      ThrowIfFailed(VarR8FromDec(&d, &out));
      return out;
    }
    case VT_BSTR: {
      BSTR b = SCTAV_VALUE(bstrVal, pbstrVal);
      return b ? Narrow(std::wstring_view(b, SysStringLen(b))) : std::string();
    }
    case VT_DISPATCH: return ax::Variant(WrapDispatch(SCTAV_VALUE(pdispVal, ppdispVal)).ptr());
    case VT_UNKNOWN: {
      IUnknown* unknown = SCTAV_VALUE(punkVal, ppunkVal);
      ComPtr<IDispatch> dispatch = QueryAs<IDispatch>(unknown);
      return ax::Variant(WrapDispatch(dispatch.get()).ptr());
    }
    case VT_ERROR: {
      SCODE code = SCTAV_VALUE(scode, pscode);
      if (code == DISP_E_PARAMNOTFOUND) return ax::Variant::missing();
      return static_cast<int32_t>(code);
    }
    default: break;
  }
#undef SCTAV_VALUE
  throw ax::Error(ax::err::kTypeMismatch);
}

void ToVariant(const ax::Variant& value, VARIANT* out) {
  VariantClear(out);
  switch (value.type()) {
    case ax::VarType::Empty: out->vt = VT_EMPTY; return;
    case ax::VarType::Null: out->vt = VT_NULL; return;
    case ax::VarType::Boolean:
      out->vt = VT_BOOL;
      out->boolVal = value.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case ax::VarType::Integer: out->vt = VT_I2; out->iVal = value.asInteger(); return;
    case ax::VarType::Long: out->vt = VT_I4; out->lVal = value.asLong(); return;
    case ax::VarType::Double: out->vt = VT_R8; out->dblVal = value.asDouble(); return;
    case ax::VarType::Currency:
      out->vt = VT_CY;
      out->cyVal.int64 = value.asCurrency().scaled;
      return;
    case ax::VarType::Date: out->vt = VT_DATE; out->date = value.asDate().serial; return;
    case ax::VarType::String:
      out->bstrVal = MakeBstr(value.asString()).Detach();
      out->vt = VT_BSTR;
      return;
    case ax::VarType::Object: {
      const ax::DispatchPtr& object = value.asObject();
      if (auto* array = dynamic_cast<const ArrayObject*>(object.get())) {
        ToSafeArray(*array, out);
        return;
      }
      out->pdispVal = ExposeDispatch(object).Detach();
      out->vt = VT_DISPATCH;
      return;
    }
    case ax::VarType::Missing:
      out->vt = VT_ERROR;
      out->scode = DISP_E_PARAMNOTFOUND;
      return;
  }
}

Var ToVar(const ax::Variant& value) {
  Var v;
  ToVariant(value, v.get());
  return v;
}

void WriteBack(const VARIANT& target, const ax::Variant& value) {
  if (!(target.vt & VT_BYREF) || !target.byref) return;
  const VARTYPE type = static_cast<VARTYPE>(target.vt & ~VT_BYREF);
  Var converted = ToVar(value);
  if (type == VT_VARIANT) {
    Var old;
    *old.get() = *target.pvarVal;  // the old content is freed with old
    converted.MoveTo(target.pvarVal);
    return;
  }
  if (type & VT_ARRAY) {
    // Arrays reach the plug-in as read-only copies; there is nothing to write back.
    return;
  }
  if (converted->vt != type) {
    Var changed;
    HRESULT hr = VariantChangeType(changed.get(), converted.get(), 0, type);
    if (FAILED(hr)) throw ErrorFromHResult(hr);
    converted = std::move(changed);
  }
  switch (type) {
    case VT_BSTR: {
      Bstr old = Bstr::Attach(*target.pbstrVal);
      *target.pbstrVal = std::exchange(converted->bstrVal, nullptr);
      converted->vt = VT_EMPTY;
      return;
    }
    case VT_DISPATCH: {
      ComPtr<IDispatch> old = ComPtr<IDispatch>::Attach(*target.ppdispVal);
      *target.ppdispVal = std::exchange(converted->pdispVal, nullptr);
      converted->vt = VT_EMPTY;
      return;
    }
    case VT_UNKNOWN: {
      ComPtr<IUnknown> old = ComPtr<IUnknown>::Attach(*target.ppunkVal);
      *target.ppunkVal = std::exchange(converted->punkVal, nullptr);
      converted->vt = VT_EMPTY;
      return;
    }
    case VT_DECIMAL: *target.pdecVal = converted->decVal; return;
    case VT_I1: case VT_UI1: std::memcpy(target.byref, &converted->bVal, 1); return;
    case VT_I2: case VT_UI2: case VT_BOOL:
      std::memcpy(target.byref, &converted->iVal, 2);
      return;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
      std::memcpy(target.byref, &converted->lVal, 4);
      return;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE:
      std::memcpy(target.byref, &converted->llVal, 8);
      return;
    default: throw ax::Error(ax::err::kTypeMismatch);
  }
}

bool SameValue(const ax::Variant& a, const ax::Variant& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case ax::VarType::Empty:
    case ax::VarType::Null:
    case ax::VarType::Missing: return true;
    case ax::VarType::Boolean: return a.asBool() == b.asBool();
    case ax::VarType::Integer: return a.asInteger() == b.asInteger();
    case ax::VarType::Long: return a.asLong() == b.asLong();
    case ax::VarType::Double: return a.asDouble() == b.asDouble();
    case ax::VarType::Currency: return a.asCurrency() == b.asCurrency();
    case ax::VarType::Date: return a.asDate() == b.asDate();
    case ax::VarType::String: return a.asString() == b.asString();
    case ax::VarType::Object: return a.asObject() == b.asObject();
  }
  return false;
}

// ---- Calls --------------------------------------------------------------------------------

WORD FlagsFromKind(unsigned kind) {
  WORD flags = 0;
  if (kind & ax::kMethod) flags |= DISPATCH_METHOD;
  if (kind & ax::kGet) flags |= DISPATCH_PROPERTYGET;
  if (kind & ax::kPut) flags |= DISPATCH_PROPERTYPUT;
  if (kind & ax::kPutRef) flags |= DISPATCH_PROPERTYPUTREF;
  return flags ? flags : static_cast<WORD>(DISPATCH_METHOD);
}

namespace {

// The VARIANTs of one call's arguments: a few on the stack (most calls pass at most a handful),
// more on the heap. Each value is cleared when the call is done.
class ArgumentBuffers {
 public:
  explicit ArgumentBuffers(size_t count) : count_(count) {
    if (count > kInline) {
      heapValues_.resize(count);
      heapSlots_.resize(count);
      values_ = heapValues_.data();
      slots_ = heapSlots_.data();
    }
    for (size_t i = 0; i < count; ++i) VariantInit(&values_[i]);
  }
  ~ArgumentBuffers() {
    for (size_t i = 0; i < count_; ++i) VariantClear(&values_[i]);
  }
  ArgumentBuffers(const ArgumentBuffers&) = delete;
  ArgumentBuffers& operator=(const ArgumentBuffers&) = delete;

  VARIANT& value(size_t i) { return values_[i]; }
  VARIANTARG* slots() { return count_ ? slots_ : nullptr; }
  VARIANTARG& slot(size_t i) { return slots_[i]; }

 private:
  static constexpr size_t kInline = 8;
  size_t count_;
  VARIANT inlineValues_[kInline];
  VARIANTARG inlineSlots_[kInline];
  VARIANT* values_ = inlineValues_;
  VARIANTARG* slots_ = inlineSlots_;
  std::vector<VARIANT> heapValues_;
  std::vector<VARIANTARG> heapSlots_;
};

}  // namespace

ax::Variant CallDispatch(IDispatch* target, DISPID id, unsigned kind, ax::Args& args) {
  const size_t count = args.size();
  // value(i) owns argument i; the slots hold them in reverse order, by-reference ones as typed
  // references into value(i) so that the callee writes straight into them.
  ArgumentBuffers buffers(count);
  for (size_t i = 0; i < count; ++i) {
    VARIANT& value = buffers.value(i);
    ToVariant(args[i].value(), &value);
    VARIANTARG& slot = buffers.slot(count - 1 - i);
    VariantInit(&slot);
    if (!args[i].isByRef()) {
      slot = value;  // a shallow view; value(i) keeps ownership
      continue;
    }
    VARTYPE type = value.vt;
    if (type == VT_EMPTY || type == VT_NULL || type == VT_ERROR || (type & VT_ARRAY)) {
      slot.vt = VT_VARIANT | VT_BYREF;
      slot.pvarVal = &value;
    } else {
      slot.vt = static_cast<VARTYPE>(type | VT_BYREF);
      slot.byref = &value.llVal;  // every scalar, BSTR and pointer starts here
    }
  }
  const bool put = (kind & (ax::kPut | ax::kPutRef)) != 0;
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{buffers.slots(), put ? &putId : nullptr, static_cast<UINT>(count),
                    put ? 1u : 0u};
  Var result;
  EXCEPINFO info{};
  UINT argError = 0;
  HRESULT hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, FlagsFromKind(kind), &params,
                              put ? nullptr : result.get(), &info, &argError);
  if (FAILED(hr)) ThrowInvokeError(hr, info);
  for (size_t i = 0; i < count; ++i) {
    if (args[i].isByRef()) args[i].value() = FromVariant(buffers.value(i));
  }
  return FromVariant(*result);
}

// ---- Objects ------------------------------------------------------------------------------

namespace {

// One ComDispatch per COM identity and one DispatchServer per automation object. Deliberately
// never destroyed: wrappers held by static caches may still unregister themselves during the
// module's static destruction.
using WrapperTable = ReusingMap<IUnknown*, std::weak_ptr<ComDispatch>>;
WrapperTable& Wrappers() {
  static auto* map = new WrapperTable();
  return *map;
}

}  // namespace

ax::Object WrapDispatch(IDispatch* dispatch) {
  if (!dispatch) return {};
  if (ComPtr<IAxObject> ours = QueryAs<IAxObject>(dispatch)) {
    ax::DispatchPtr target;
    ours->GetTarget(module::Handle(), &target);
    if (target) return ax::Object(std::move(target));
  }
  ComPtr<IUnknown> identity = QueryAs<IUnknown>(dispatch);
  if (!identity) {
    identity = ComPtr<IUnknown>(dispatch);
  }
  auto& wrappers = Wrappers();
  auto found = wrappers.find(identity.get());
  if (found != wrappers.end()) {
    if (auto existing = found->second.lock()) return ax::Object(existing);
  }
  auto wrapper = std::make_shared<ComDispatch>(ComPtr<IDispatch>(dispatch), identity.get());
  wrappers.Set(identity.get(), wrapper);
  return ax::Object(wrapper);
}

void ForgetWrapper(IUnknown* identity, const ComDispatch* wrapper) {
  auto& wrappers = Wrappers();
  auto found = wrappers.find(identity);
  if (found == wrappers.end()) return;
  auto alive = found->second.lock();
  if (!alive || alive.get() == wrapper) wrappers.Erase(found);
}

ComPtr<IDispatch> ExposeDispatch(const ax::DispatchPtr& object) {
  if (!object) return {};
  if (auto* com = dynamic_cast<ComDispatch*>(object.get())) return ComPtr<IDispatch>(com->get());
  if (DispatchServer* existing = FindServer(object.get())) return ComPtr<IDispatch>(existing);
  return ComPtr<IDispatch>::Attach(new DispatchServer(object));
}

}  // namespace sccom
