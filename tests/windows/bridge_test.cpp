// The COM bridge under a real COM runtime (Wine): values, errors, late-bound calls with the
// DISPID cache, events through connection points and the plug-in classes' factory.
#include <gtest/gtest.h>

#include <olectl.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "automation/error.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "com_dispatch.h"
#include "dispatch_server.h"
#include "event_source_server.h"
#include "guids.h"
#include "module.h"
#include "reusing_map.h"
#include "server.h"

namespace sccom {
namespace {

class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    EnsureEnvironment();
  }
  void TearDown() override { CoUninitialize(); }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

std::string Describe(const ax::Variant& v) {
  return std::string(v.typeName()) + ":" + ax::DisplayText(v);
}

// ---- Values -------------------------------------------------------------------------------

TEST(BridgeValues, RoundTripKeepsKindAndValue) {
  const ax::Variant cases[] = {
      ax::Variant(),
      ax::Variant::null(),
      ax::Variant(true),
      ax::Variant(false),
      ax::Variant(int16_t{-32768}),
      ax::Variant(int32_t{2147483647}),
      ax::Variant(-0.125),
      ax::Variant(ax::CurrencyValue{123456789}),
      ax::Variant(ax::MakeDate(2026, 12, 4, 13, 5, 9)),
      ax::Variant(""),
      ax::Variant("划拨单[编号:HB000001] ü €"),
      ax::Variant::missing(),
  };
  for (const ax::Variant& value : cases) {
    Var v = ToVar(value);
    ax::Variant back = FromVariant(*v);
    EXPECT_TRUE(SameValue(value, back)) << Describe(value) << " came back as " << Describe(back);
  }
}

TEST(BridgeValues, ForeignKindsBecomeTheNearestVariant) {
  struct Case {
    VARIANT in;
    ax::Variant want;
  };
  auto make = [](VARTYPE vt, auto setter) {
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    setter(v);
    return v;
  };
  DECIMAL dec{};
  VarDecFromR8(12.5, &dec);
  LONG referenced = 77;
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_I2;
  inner.iVal = 5;
  std::vector<Case> cases = {
      {make(VT_I1, [](VARIANT& v) { v.cVal = -5; }), ax::Variant(int16_t{-5})},
      {make(VT_UI1, [](VARIANT& v) { v.bVal = 200; }), ax::Variant(int16_t{200})},
      {make(VT_UI2, [](VARIANT& v) { v.uiVal = 65535; }), ax::Variant(int32_t{65535})},
      {make(VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; }), ax::Variant(4000000000.0)},
      {make(VT_I8, [](VARIANT& v) { v.llVal = 42; }), ax::Variant(int32_t{42})},
      {make(VT_I8, [](VARIANT& v) { v.llVal = 10000000000LL; }), ax::Variant(1e10)},
      {make(VT_R4, [](VARIANT& v) { v.fltVal = 1.5f; }), ax::Variant(1.5)},
      {make(VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; }), ax::Variant(true)},
      {make(VT_DECIMAL, [&](VARIANT& v) { v.decVal = dec; v.vt = VT_DECIMAL; }), ax::Variant(12.5)},
      {make(VT_ERROR, [](VARIANT& v) { v.scode = DISP_E_PARAMNOTFOUND; }), ax::Variant::missing()},
      {make(VT_I4 | VT_BYREF, [&](VARIANT& v) { v.plVal = &referenced; }), ax::Variant(int32_t{77})},
      {make(VT_VARIANT | VT_BYREF, [&](VARIANT& v) { v.pvarVal = &inner; }), ax::Variant(int16_t{5})},
      {make(VT_DISPATCH, [](VARIANT& v) { v.pdispVal = nullptr; }), ax::Variant(ax::DispatchPtr())},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    ax::Variant got = FromVariant(cases[i].in);
    EXPECT_TRUE(SameValue(cases[i].want, got))
        << "case " << i << ": want " << Describe(cases[i].want) << ", got " << Describe(got);
  }
}

TEST(BridgeValues, WriteBackStoresIntoTheCallersVariable) {
  VARIANT_BOOL flag = VARIANT_FALSE;
  LONG number = 1;
  DATE date = 0;
  Bstr text(L"old");
  Var any;
  VARIANT ref;
  VariantInit(&ref);

  ref.vt = VT_BOOL | VT_BYREF;
  ref.pboolVal = &flag;
  WriteBack(ref, ax::Variant(true));
  EXPECT_EQ(flag, VARIANT_TRUE);

  ref.vt = VT_I4 | VT_BYREF;
  ref.plVal = &number;
  WriteBack(ref, ax::Variant("42"));  // converted to the variable's type
  EXPECT_EQ(number, 42);
  try {
    WriteBack(ref, ax::Variant("not a number"));
    ADD_FAILURE() << "text into a Long must fail";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 13);
  }

  ref.vt = VT_DATE | VT_BYREF;
  ref.pdate = &date;
  WriteBack(ref, ax::Variant(ax::MakeDate(2026, 1, 2)));
  EXPECT_EQ(date, ax::MakeDate(2026, 1, 2).serial);

  ref.vt = VT_BSTR | VT_BYREF;
  ref.pbstrVal = text.put();
  *ref.pbstrVal = SysAllocString(L"old");
  WriteBack(ref, ax::Variant("新"));
  EXPECT_EQ(Narrow(text.view()), "新");

  ref.vt = VT_VARIANT | VT_BYREF;
  ref.pvarVal = any.get();
  WriteBack(ref, ax::Variant("any"));
  EXPECT_EQ(any->vt, VT_BSTR);
  WriteBack(ref, ax::Variant(int32_t{3}));
  EXPECT_EQ(any->vt, VT_I4);
}

// ---- Errors -------------------------------------------------------------------------------

TEST(BridgeErrors, HResultsMapToRunTimeErrorNumbers) {
  const struct {
    HRESULT hr;
    int32_t number;
  } cases[] = {
      {static_cast<HRESULT>(0x800A000D), 13},  {DISP_E_TYPEMISMATCH, 13},
      {DISP_E_MEMBERNOTFOUND, 438},             {DISP_E_UNKNOWNNAME, 438},
      {DISP_E_BADPARAMCOUNT, 450},              {DISP_E_OVERFLOW, 6},
      {REGDB_E_CLASSNOTREG, 429},               {E_OUTOFMEMORY, 7},
      {E_FAIL, static_cast<int32_t>(E_FAIL)},   {static_cast<HRESULT>(0x800A01B6), 438},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorFromHResult(c.hr).Number(), c.number) << std::hex << c.hr;
  }
  EXPECT_EQ(HResultFromError(ax::Error(13)), static_cast<HRESULT>(0x800A000D));
  EXPECT_EQ(HResultFromError(ax::AutomationError(static_cast<int32_t>(E_FAIL), "x")), E_FAIL);
}

TEST(BridgeErrors, ExcepInfoCarriesNumberDescriptionAndSource) {
  EXCEPINFO info{};
  info.scode = static_cast<SCODE>(0x800A01C2);
  info.bstrDescription = SysAllocString(L"参数个数不对");
  info.bstrSource = SysAllocString(L"Host.Bill");
  try {
    ThrowInvokeError(DISP_E_EXCEPTION, info);
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 450);
    EXPECT_EQ(e.Description(), "参数个数不对");
    EXPECT_EQ(e.Source(), "Host.Bill");
  }
  EXPECT_EQ(info.bstrDescription, nullptr);  // freed and cleared
  EXCEPINFO coded{};
  coded.wCode = 91;
  EXPECT_EQ(ErrorFromHResult(DISP_E_EXCEPTION, &coded).Number(), 91);
}

TEST(BridgeErrors, GuardTurnsEveryExceptionIntoAnHResultAndErrorObject) {
  const struct {
    std::function<void()> raise;
    HRESULT hr;
    const char* description;
  } cases[] = {
      {[] { throw ax::Error(13); }, static_cast<HRESULT>(0x800A000D), "Type mismatch"},
      {[] { throw std::runtime_error("boom"); }, static_cast<HRESULT>(0x800A0033),
       "Internal error: boom"},
      {[] { throw 42; }, static_cast<HRESULT>(0x800A0033), "Internal error"},
  };
  for (const auto& c : cases) {
    EXCEPINFO info{};
    HRESULT hr = Guard(IID_IDispatch, [&]() -> HRESULT { c.raise(); return S_OK; }, &info);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, c.hr);
    EXPECT_EQ(Narrow(Bstr::Attach(info.bstrDescription).view()), c.description);
    Bstr::Attach(info.bstrSource);
    ComPtr<IErrorInfo> error;
    ASSERT_EQ(GetErrorInfo(0, error.put()), S_OK);
    Bstr description;
    error->GetDescription(description.put());
    EXPECT_EQ(Narrow(description.view()), c.description);
    // Without EXCEPINFO the HRESULT itself reports the error.
    EXPECT_EQ(Guard(IID_IDispatch, [&]() -> HRESULT { c.raise(); return S_OK; }), c.hr);
  }
}

// ---- Late-bound calls -----------------------------------------------------------------------

// An automation object with a method, a by-reference method, a property and a failing member.
class Recorder : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override {
    if (ax::EqualsNoCase(member, "Echo")) return args.empty() ? ax::Variant() : args[0].value();
    if (ax::EqualsNoCase(member, "Swap")) {
      std::swap(args.at(0).value(), args.at(1).value());
      return {};
    }
    if (ax::EqualsNoCase(member, "Value")) {
      if (kind & ax::kPut) {
        value = ax::PutValue(args);
        return {};
      }
      return value;
    }
    if (ax::EqualsNoCase(member, "Fail")) throw ax::AutomationError(1004, "refused", "Recorder");
    throw ax::Error(ax::err::kNoMember);
  }
  std::string ClassName() const override { return "Recorder"; }
  ax::Variant value;
};

// Forwards to another IDispatch and counts name look-ups; with typeInfo false it hides the
// object's type information.
class CountingDispatch final : public ComObject<IDispatch> {
 public:
  explicit CountingDispatch(ComPtr<IDispatch> inner, bool typeInfo = true)
      : inner_(std::move(inner)), typeInfo_(typeInfo) {}
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    if (typeInfo_) return inner_->GetTypeInfoCount(n);
    if (n) *n = 0;
    return n ? S_OK : E_POINTER;
  }
  STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
    if (typeInfo_) return inner_->GetTypeInfo(i, l, t);
    if (t) *t = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    ++lookups;
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                      EXCEPINFO* e, UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }
  int lookups = 0;

 protected:
  void* Find(REFIID iid) override {
    return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  ComPtr<IDispatch> inner_;
  bool typeInfo_;
};

// A Recorder reached only through COM: ComDispatch -> IDispatch (counting) -> served Recorder.
// By default served by a DispatchServer and seen without type information unless typeInfo;
// TypedThroughCom serves it as an event source of a type.
struct ThroughCom {
  using Serve = std::function<ComPtr<IDispatch>(const std::shared_ptr<Recorder>&)>;
  explicit ThroughCom(bool typeInfo = false)
      : ThroughCom(
            [](const std::shared_ptr<Recorder>& r) {
              return ComPtr<IDispatch>::Attach(new DispatchServer(r));
            },
            typeInfo) {}
  ThroughCom(const Serve& serve, bool typeInfo)
      : counting(MakeCom<CountingDispatch>(serve(recorder), typeInfo)),
        object(std::make_shared<ComDispatch>(ComPtr<IDispatch>(counting.get()),
                                             static_cast<IUnknown*>(counting.get()))) {}
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
  ComPtr<CountingDispatch> counting;
  ax::Object object;
};

TEST(BridgeCalls, ArgumentsResultsAndReferencesCrossBothWays) {
  ThroughCom com;
  EXPECT_EQ(ax::CStr(com.object.Get("Echo", {"汉字"})), "汉字");
  EXPECT_TRUE(com.object.Get("Echo", {ax::Variant::null()}).isNull());
  EXPECT_TRUE(com.object.Get("Echo", {ax::omitted()}).isMissing());
  // By-reference arguments travel as typed references, as a typed variable would.
  ax::Variant a("one"), b("two");
  ax::Args args{ax::ref(a), ax::ref(b)};
  com.object.CallArgs("Swap", args);
  EXPECT_EQ(ax::CStr(a), "two");
  EXPECT_EQ(ax::CStr(b), "one");
  com.object.Put("Value", ax::Variant(ax::CurrencyValue{25000}));
  EXPECT_EQ(com.object.Get("Value").asCurrency().scaled, 25000);
  // Objects passed out come back as themselves.
  auto other = std::make_shared<Recorder>();
  EXPECT_EQ(com.object.Get("Echo", {ax::Object(other)}).asObject(), other);
}

TEST(BridgeCalls, ErrorsKeepNumberDescriptionAndSource) {
  ThroughCom com;
  try {
    com.object.Call("Fail");
    ADD_FAILURE() << "Fail must raise";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 1004);
    EXPECT_EQ(e.Description(), "refused");
    EXPECT_EQ(e.Source(), "Recorder");
  }
  try {
    com.object.Call("Missing");
    ADD_FAILURE() << "an unknown member must raise";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 438);
  }
}

TEST(BridgeCalls, EachMemberNameIsLookedUpOncePerObject) {
  for (bool cache : {true, false}) {
    SetDispidCacheEnabled(cache);
    ThroughCom com;
    for (int i = 0; i < 3; ++i) com.object.Get("Echo", {i});
    EXPECT_EQ(com.counting->lookups, cache ? 1 : 3) << "cache " << cache;
  }
  SetDispidCacheEnabled(true);
}

// A type of its own for each test: the DISPID tables of types last for the process.
std::shared_ptr<const EventClass> TypedClass(const char* name, uint8_t n) {
  auto guid = [n](uint8_t last) {
    return GUID{0x5d3c1a21, 0x2222, 0x4c2b, {0x9a, 0x02, 0x00, 0x00, 0x00, 0x00, n, last}};
  };
  return std::make_shared<const EventClass>(EventClass{name, guid(1), guid(2), guid(3), {}});
}

// A Recorder served with type information, as a host serves its objects, reached through COM.
struct TypedThroughCom : ThroughCom {
  explicit TypedThroughCom(std::shared_ptr<const EventClass> type)
      : ThroughCom([&](const std::shared_ptr<Recorder>& r) { return ServeEventSource(r, type); },
                   true) {}
};

TEST(BridgeCalls, MemberNamesAreLookedUpOncePerTypeOrPerUntypedObject) {
  auto first = TypedClass("First", 1);
  TypedThroughCom one(first), two(first);
  EXPECT_EQ(ax::CLng(one.object.Get("Echo", {1})), 1);  // first type: Echo 1, Value 2
  one.object.Put("Value", int32_t{5});
  two.object.Put("Value", int32_t{6});
  EXPECT_EQ(ax::CLng(two.object.Get("Echo", {2})), 2);
  EXPECT_EQ(one.counting->lookups, 2);
  EXPECT_EQ(two.counting->lookups, 0) << "a second object of a type seen costs no look-up";
  EXPECT_EQ(ax::CLng(one.recorder->value), 5);
  EXPECT_EQ(ax::CLng(two.recorder->value), 6);

  // Another type with members of the same names under other DISPIDs (Value 1, Echo 2).
  TypedThroughCom other(TypedClass("Second", 2));
  other.object.Put("Value", int32_t{7});
  EXPECT_EQ(ax::CLng(other.object.Get("Echo", {3})), 3);
  EXPECT_EQ(other.counting->lookups, 2);
  EXPECT_EQ(ax::CLng(other.recorder->value), 7);
  EXPECT_EQ(ax::CLng(two.recorder->value), 6);

  // Without type information every object has its own DISPIDs (here Echo 1 against Value 1).
  ThroughCom x, y;
  EXPECT_EQ(ax::CLng(x.object.Get("Echo", {4})), 4);
  y.object.Put("Value", int32_t{8});
  x.object.Put("Value", int32_t{9});
  EXPECT_EQ(ax::CLng(y.object.Get("Echo", {5})), 5);
  EXPECT_EQ(x.counting->lookups, 2);
  EXPECT_EQ(y.counting->lookups, 2);
  EXPECT_EQ(ax::CLng(x.recorder->value), 9);
  EXPECT_EQ(ax::CLng(y.recorder->value), 8);
}

// The objects we serve name their class in their type information and share its look-ups.
class Other final : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned, ax::Args& args) override {
    if (ax::EqualsNoCase(member, "Value")) return int32_t{-1};
    if (ax::EqualsNoCase(member, "Echo")) return ax::Concat("other ", ax::ArgAt(args, 0));
    throw ax::Error(ax::err::kNoMember);
  }
  std::string ClassName() const override { return "Other"; }
};

TEST(BridgeCalls, ServedObjectsNameTheirClassAndShareItsLookUps) {
  ThroughCom one(true), two(true);
  EXPECT_EQ(ax::CLng(one.object.Get("Echo", {1})), 1);
  one.object.Put("Value", int32_t{5});
  two.object.Put("Value", int32_t{6});
  EXPECT_EQ(ax::CLng(two.object.Get("Echo", {2})), 2);
  EXPECT_EQ(two.counting->lookups, 0) << "a second object of a class seen costs no look-up";
  EXPECT_EQ(ax::CLng(one.recorder->value), 5);
  EXPECT_EQ(ax::CLng(two.recorder->value), 6);
  EXPECT_EQ(one.object.TypeName(), "Recorder");
  EXPECT_FALSE(one.object.Supports("BillInterface"));

  // Another class with members of the same names, the members asked in the other order.
  auto otherServer = ComPtr<IDispatch>::Attach(new DispatchServer(std::make_shared<Other>()));
  auto counting = MakeCom<CountingDispatch>(otherServer);
  ax::Object other(std::make_shared<ComDispatch>(ComPtr<IDispatch>(counting.get()),
                                                 static_cast<IUnknown*>(counting.get())));
  EXPECT_EQ(ax::CLng(other.Get("Value")), -1);
  EXPECT_EQ(ax::CStr(other.Get("Echo", {"x"})), "other x");
  EXPECT_EQ(other.TypeName(), "Other");
  EXPECT_FALSE(IsEqualGUID(ServedTypeId("Recorder"), ServedTypeId("Other")));
  EXPECT_TRUE(IsEqualGUID(ServedTypeId("Other"), ServedTypeId("Other")));

  // Each object's type information is part of it: held, it keeps the object; both objects of
  // the class name the one type.
  ComPtr<ITypeInfo> a, b;
  {
    ThroughCom held(true);
    ASSERT_EQ(held.counting->GetTypeInfo(0, 0, a.put()), S_OK);
  }
  ASSERT_EQ(two.counting->GetTypeInfo(0, 0, b.put()), S_OK);
  for (ITypeInfo* info : {a.get(), b.get()}) {
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(IsEqualGUID(attr->guid, ServedTypeId("Recorder")));
    info->ReleaseTypeAttr(attr);
    Bstr name;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Narrow(name.view()), "Recorder");
  }
  ComPtr<IUnknown> same;
  EXPECT_EQ(a->QueryInterface(IID_ITypeInfo, same.put_void()), S_OK);
  EXPECT_EQ(a->QueryInterface(IID_IDispatch, same.put_void()), E_NOINTERFACE);
}

// Whether a table lets an entry go without passing by its owner's Erase.
template <class Table>
constexpr bool kErasesDirectly = requires(Table& table) { table.erase(table.find({})); };

TEST(BridgeCalls, TablesOfCrossingObjectsReuseTheirEntries) {
  static_assert(kErasesDirectly<std::unordered_map<int, int>>);
  static_assert(!kErasesDirectly<ReusingMap<int, int>>, "entries leave only through Erase");
  ReusingMap<int, std::shared_ptr<int>> table;
  auto value = std::make_shared<int>(1);
  table.Set(1, value);
  table.Set(1, value);
  EXPECT_EQ(table.size(), 1u);
  EXPECT_EQ(value.use_count(), 2);
  table.Erase(table.find(1));
  EXPECT_EQ(value.use_count(), 1) << "a kept entry holds nothing";
  for (int i = 0; i < 200; ++i) table.Set(i, std::make_shared<int>(i));
  for (int i = 0; i < 200; i += 2) table.Erase(table.find(i));
  for (int i = 0; i < 200; i += 2) table.Set(i, std::make_shared<int>(-i));
  ASSERT_EQ(table.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(*table.at(i), i % 2 ? i : -i) << i;
}

TEST(BridgeCalls, SystemObjectsShareTheirTypesLookUps) {
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"Scripting.Dictionary", &clsid), S_OK);
  ComPtr<CountingDispatch> counting[2];
  ax::Object dictionaries[2];
  for (int i = 0; i < 2; ++i) {
    ComPtr<IDispatch> raw;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, raw.put_void()),
              S_OK);
    counting[i] = MakeCom<CountingDispatch>(std::move(raw));
    dictionaries[i] = ax::Object(std::make_shared<ComDispatch>(
        ComPtr<IDispatch>(counting[i].get()), static_cast<IUnknown*>(counting[i].get())));
    dictionaries[i].Call("Add", {"key", int32_t{i}});
    EXPECT_EQ(ax::CLng(dictionaries[i].Get("Count")), 1);
  }
  EXPECT_EQ(counting[1]->lookups, 0);
  EXPECT_EQ(ax::CLng(dictionaries[1].Item("key")), 1);
}

TEST(BridgeCalls, ComponentsComeFromComByProgId) {
  ax::Object dictionary = ax::CreateObject("Scripting.Dictionary");
  dictionary.Call("Add", {"key", int32_t{7}});
  EXPECT_EQ(ax::CLng(dictionary.Get("Count")), 1);
  EXPECT_EQ(ax::CLng(dictionary.Item("key")), 7);
  ax::Object keys = dictionary.GetObj("Keys");  // an array comes as a read-only array object
  EXPECT_EQ(ax::CLng(keys.Get("Count")), 1);
  EXPECT_EQ(ax::CStr(keys.Item(int32_t{0})), "key");
  EXPECT_FALSE(dictionary.Supports("BillInterface"));
  EXPECT_EQ(dictionary.TypeName(), "Dictionary");
  // One wrapper per COM identity: the same object compares the same.
  ComPtr<IDispatch> raw = ExposeDispatch(dictionary.ptr());
  EXPECT_TRUE(WrapDispatch(raw.get()).SameAs(dictionary));
  try {
    ax::CreateObject("No.Such.Component");
    ADD_FAILURE() << "an unknown ProgID must raise";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 429);
  }
}

// A class object that fails every creation with an error of its own, as a host's component
// may (an HRESULT with the thread's error object).
class FailingFactory final : public ComObject<IClassFactory> {
 public:
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return Guard(IID_IClassFactory, []() -> HRESULT {
      throw ax::AutomationError(5, "the bank's interface cannot start", "BKS_Bank");
    });
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) return static_cast<IClassFactory*>(this);
    return nullptr;
  }
};

TEST(BridgeCalls, AClassThatFailsItsCreationPassesItsOwnErrorOn) {
  const CLSID clsid{0x1c0d5eff, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
  const wchar_t* key = L"Software\\Classes\\scTAVExtTest.Failing";
  auto factory = MakeCom<FailingFactory>();
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(clsid, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie), S_OK);
  std::wstring text = Widen(GuidText(clsid));
  // Per user as on Windows; Wine's CLSIDFromProgID reads only the machine's classes.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegKey clsidKey;
    ASSERT_EQ(RegCreateKeyExW(root, (std::wstring(key) + L"\\CLSID").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, clsidKey.put(), nullptr), ERROR_SUCCESS);
    RegSetValueExW(clsidKey.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  try {
    ax::CreateObject("scTAVExtTest.Failing");
    ADD_FAILURE() << "a failing creation must raise";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 5);
    EXPECT_EQ(e.Description(), "the bank's interface cannot start");
    EXPECT_EQ(e.Source(), "BKS_Bank");
  }
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeW(root, key);
  CoRevokeClassObject(cookie);
}

// ---- Events -------------------------------------------------------------------------------

// A host object with events, as the simulated host makes them.
class FakeBill : public Recorder {
 public:
  class Link : public ax::Connection {
   public:
    Link(FakeBill& bill, ax::EventSink* sink) : bill_(bill), sink_(sink) {}
    ~Link() override { std::erase(bill_.sinks, sink_); }

   private:
    FakeBill& bill_;
    ax::EventSink* sink_;
  };
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override {
    sinks.push_back(&sink);
    return std::make_unique<Link>(*this, &sink);
  }
  void Raise(std::string_view name, ax::Args& args) {
    for (ax::EventSink* s : std::vector<ax::EventSink*>(sinks)) s->OnEvent(name, args);
  }
  std::string ClassName() const override { return "BillInterface"; }
  std::vector<ax::EventSink*> sinks;
};

std::shared_ptr<const EventClass> BillClass() {
  static const auto c = std::make_shared<const EventClass>(EventClass{
      "BillInterface",
      {0x5d3c1a20, 0x1111, 0x4c2b, {0x9a, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}},
      {0x5d3c1a20, 0x1111, 0x4c2b, {0x9a, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}},
      {0x5d3c1a20, 0x1111, 0x4c2b, {0x9a, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}},
      {{"AfterLoadBill", {}},
       {"BeforeSave", {"bCancel"}},
       {"Change", {"dct", "dctFld", "Col", "Row", "Cancel"}},
       {"ListFillRow", {"lRow", "RowData", "HeadDict", "CellData", "BackColor", "ContinueRaise"}}}});
  return c;
}

class RecordingSink : public ax::EventSink {
 public:
  void OnEvent(std::string_view name, ax::Args& args) override {
    std::string line(name);
    for (auto& a : args) {
      line += ' ';
      line += Describe(a.value());
    }
    seen.push_back(line);
    if (name == "BeforeSave") args.at(0).value() = ax::Variant(true);
    if (fail) throw ax::AutomationError(5, "handler failed", "Sink");
  }
  std::vector<std::string> seen;
  bool fail = false;
};

TEST(BridgeEvents, EventsArriveByNameWithReferencesWrittenBack) {
  auto bill = std::make_shared<FakeBill>();
  long uses = bill.use_count();
  {
    ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
    ax::Object host = WrapDispatch(served.get());
    EXPECT_TRUE(host.Supports("BillInterface"));
    EXPECT_FALSE(host.Supports("ListInterface"));
    EXPECT_EQ(host.TypeName(), "BillInterface");

    RecordingSink sink;
    std::unique_ptr<ax::Connection> connection = host.Advise(sink);
    ASSERT_EQ(bill->sinks.size(), 1u);

    ax::Args none;
    bill->Raise("AfterLoadBill", none);
    ax::Variant cancel(false);
    ax::Args save{ax::ref(cancel)};
    bill->Raise("BeforeSave", save);
    EXPECT_TRUE(ax::IsTrue(cancel)) << "bCancel is written back to the host";
    auto dct = std::make_shared<Recorder>();
    ax::Variant change(false);
    ax::Args changeArgs{ax::Object(dct), ax::Object(), int32_t{3}, int32_t{-1}, ax::ref(change)};
    bill->Raise("Change", changeArgs);
    ax::Args unknown;
    bill->Raise("NotAnEvent", unknown);  // not in the event interface: never delivered

    ASSERT_EQ(sink.seen.size(), 3u);
    EXPECT_EQ(sink.seen[0], "AfterLoadBill");
    EXPECT_EQ(sink.seen[1], "BeforeSave Boolean:False");
    EXPECT_EQ(sink.seen[2], "Change Object:Recorder Nothing:Nothing Long:3 Long:-1 Boolean:False");

    sink.fail = true;
    try {
      bill->Raise("AfterLoadBill", none);
      ADD_FAILURE() << "a failing handler fails the event call";
    } catch (const ax::AutomationError& e) {
      EXPECT_EQ(e.Number(), 5);
      EXPECT_EQ(e.Description(), "handler failed");
    }

    connection.reset();
    EXPECT_TRUE(bill->sinks.empty()) << "disconnecting unadvises";
    sink.seen.clear();
    bill->Raise("AfterLoadBill", none);
    EXPECT_TRUE(sink.seen.empty());
  }
  EXPECT_EQ(bill.use_count(), uses) << "every reference to the host object is released";
}

TEST(BridgeEvents, ObjectsWithoutConnectionPointsCannotBeBound) {
  ax::Object dictionary = ax::CreateObject("Scripting.Dictionary");
  RecordingSink sink;
  try {
    dictionary.Advise(sink);
    ADD_FAILURE() << "advising an object without events must fail";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 13);
  }
}

// The host object of a served source with its type information hidden: it has the connection
// point, but nothing names the events raised through it.
class NamelessHost final : public ComObject<IDispatch, IConnectionPointContainer> {
 public:
  explicit NamelessHost(ComPtr<IDispatch> inner) : inner_(std::move(inner)) {}
  STDMETHODIMP GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** t) override {
    *t = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v,
                      EXCEPINFO* e, UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    return inner_.As<IConnectionPointContainer>()->EnumConnectionPoints(out);
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    return inner_.As<IConnectionPointContainer>()->FindConnectionPoint(iid, out);
  }
  // The interface an installation names for the host's bill (HostInterfaces).
  static constexpr GUID kIid = {0x5d3c1a20, 0x1111, 0x4c2b, {0x9a, 0x01, 0, 0, 0, 0, 0, 0x09}};

 protected:
  void* Find(REFIID iid) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIid) return static_cast<IDispatch*>(this);
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
  }

 private:
  ComPtr<IDispatch> inner_;
};

// Names an interface identifier for BillInterface under HKCU while it lives.
class ConfiguredBillInterface {
 public:
  explicit ConfiguredBillInterface(REFIID iid) {
    std::wstring text = Widen(GuidText(iid));
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"BillInterface", REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  ~ConfiguredBillInterface() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"BillInterface"); }

 private:
  static constexpr const wchar_t* kKey = L"Software\\scTAVExt\\HostInterfaces";
};

TEST(BridgeEvents, AnObjectWhoseEventsNobodyCanNameCannotBeBound) {
  auto bill = std::make_shared<FakeBill>();
  ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
  ComPtr<NamelessHost> nameless = MakeCom<NamelessHost>(served);
  ax::Object host = WrapDispatch(nameless.get());
  RecordingSink sink;
  try {
    host.Advise(sink);
    ADD_FAILURE() << "a connection with no event connected must fail";
  } catch (const ax::AutomationError& e) {
    EXPECT_EQ(e.Number(), 459);
    EXPECT_EQ(e.Description(), "Object or class does not support the set of events");
  }
  EXPECT_TRUE(bill->sinks.empty());
}

// ---- The plug-in classes ------------------------------------------------------------------

ComPtr<IDispatch> CreateClass(REFCLSID clsid) {
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(GetClassFactory(clsid, IID_IClassFactory, factory.put_void()), S_OK);
  ComPtr<IDispatch> object;
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, object.put_void()), S_OK);
  }
  return object;
}

HRESULT CallShow(IDispatch* object, const VARIANT& argument, EXCEPINFO* info) {
  DISPID id = 0;
  wchar_t name[] = L"show";
  LPOLESTR names[] = {name};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  VARIANTARG arg = argument;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        info, nullptr);
}

TEST(PluginClasses, ShowWithAnythingButTheHostInterfaceIsError13) {
  const GUID* classes[] = {&kClsidBill, &kClsidList, &kClsidList1};
  ax::Object dictionary = ax::CreateObject("Scripting.Dictionary");
  for (const GUID* clsid : classes) {
    ComPtr<IDispatch> plugin = CreateClass(*clsid);
    ASSERT_TRUE(plugin);
    Var argument = ToVar(dictionary.AsVariant());
    EXCEPINFO info{};
    EXPECT_EQ(CallShow(plugin.get(), *argument, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, static_cast<SCODE>(0x800A000D));
    EXPECT_EQ(Narrow(Bstr::Attach(info.bstrDescription).view()), "Type mismatch");
    Bstr::Attach(info.bstrSource);
    ComPtr<ISupportErrorInfo> supports = plugin.As<ISupportErrorInfo>();
    ASSERT_TRUE(supports);
    ComPtr<ITypeInfo> type;
    ASSERT_EQ(plugin->GetTypeInfo(0, 0, type.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(type->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(supports->InterfaceSupportsErrorInfo(attr->guid), S_OK);
    type->ReleaseTypeAttr(attr);
  }
}

ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(PluginClasses, ReleaseLeavesTheHostObjectAsItWas) {
  auto bill = std::make_shared<FakeBill>();
  const long uses = bill.use_count();
  ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
  const ULONG refs = RefCount(served.get());
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  argument.pdispVal = served.get();
  {
    // Released before Show.
    ComPtr<IDispatch> plugin = CreateClass(kClsidBill);
  }
  EXPECT_EQ(RefCount(served.get()), refs);
  {
    ComPtr<IDispatch> plugin = CreateClass(kClsidBill);
    EXCEPINFO info{};
    EXPECT_EQ(CallShow(plugin.get(), argument, &info), S_OK);
    EXPECT_EQ(bill->sinks.size(), 1u) << "Show connects the class to the bill's events";
    EXPECT_GT(RefCount(served.get()), refs) << "the bound class holds the bill";
    // An event the bill class does not handle still travels the whole way, by-reference
    // parameters included, and leaves them as they were.
    ax::Variant cell("x"), colour(int32_t{255}), more(true);
    ax::Args row{int32_t{1}, ax::Object(), ax::Object(), ax::ref(cell), ax::ref(colour), ax::ref(more)};
    bill->Raise("ListFillRow", row);
    EXPECT_EQ(ax::CStr(cell), "x");
    EXPECT_EQ(ax::CLng(colour), 255);
    EXPECT_TRUE(ax::IsTrue(more));
  }
  EXPECT_TRUE(bill->sinks.empty()) << "releasing the class disconnects";
  EXPECT_EQ(RefCount(served.get()), refs) << "and releases the bill";
  served.Reset();
  EXPECT_EQ(bill.use_count(), uses);
}

TEST(PluginClasses, ShowFailsAndStaysUnboundWhenNoEventCanBeConnected) {
  auto bill = std::make_shared<FakeBill>();
  ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
  ComPtr<NamelessHost> nameless = MakeCom<NamelessHost>(served);
  const ULONG refs = RefCount(static_cast<IDispatch*>(nameless.get()));
  ComPtr<IDispatch> plugin = CreateClass(kClsidBill);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  {
    // The installation names the host's interface, so the object passes as the bill; but its
    // events cannot be named, so binding it would leave the class deaf.
    ConfiguredBillInterface configured(NamelessHost::kIid);
    argument.pdispVal = static_cast<IDispatch*>(nameless.get());
    EXCEPINFO info{};
    EXPECT_EQ(CallShow(plugin.get(), argument, &info), DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, static_cast<SCODE>(0x800A01CB));
    EXPECT_EQ(Narrow(Bstr::Attach(info.bstrDescription).view()),
              "Object or class does not support the set of events");
    Bstr::Attach(info.bstrSource);
    EXPECT_TRUE(bill->sinks.empty()) << "nothing stays advised";
    EXPECT_EQ(RefCount(static_cast<IDispatch*>(nameless.get())), refs)
        << "the class did not keep the object";
  }
  // The same class binds the object with its type information afterwards.
  argument.pdispVal = served.get();
  EXCEPINFO info{};
  EXPECT_EQ(CallShow(plugin.get(), argument, &info), S_OK);
  EXPECT_EQ(bill->sinks.size(), 1u);
}

// Every call into the module from a thread other than the one it serves is refused before it
// reaches any of the module's state.
TEST(PluginClasses, CallsFromAnotherThreadGetWrongThread) {
  auto bill = std::make_shared<FakeBill>();
  ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
  ComPtr<IClassFactory> factory;
  ASSERT_EQ(GetClassFactory(kClsidBill, IID_IClassFactory, factory.put_void()), S_OK);
  ComPtr<IDispatch> plugin = CreateClass(kClsidBill);
  ASSERT_TRUE(plugin);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  argument.pdispVal = served.get();
  EXCEPINFO info{};
  ASSERT_EQ(CallShow(plugin.get(), argument, &info), S_OK);
  ComPtr<IDispatch> recorder = ExposeDispatch(std::make_shared<Recorder>());

  std::map<std::string, HRESULT> got;
  std::thread other([&] {
    wchar_t show[] = L"Show";
    LPOLESTR names[] = {show};
    DISPID id = 0;
    got["GetIDsOfNames"] = plugin->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    VARIANTARG arg = argument;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    EXCEPINFO error{};
    got["Invoke"] = plugin->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                   nullptr, &error, nullptr);
    ComPtr<ITypeInfo> type;
    got["GetTypeInfo"] = plugin->GetTypeInfo(0, 0, type.put());
    got["GetClassInfo"] = plugin.As<IProvideClassInfo>()->GetClassInfo(type.put());
    ComPtr<IDispatch> second;
    got["CreateInstance"] = factory->CreateInstance(nullptr, IID_IDispatch, second.put_void());
    ComPtr<IClassFactory> otherFactory;
    got["GetClassFactory"] =
        GetClassFactory(kClsidList, IID_IClassFactory, otherFactory.put_void());
    wchar_t echo[] = L"Echo";
    names[0] = echo;
    got["served GetIDsOfNames"] =
        recorder->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    // The host raising an event on the wrong thread: the class's sink refuses it.
    try {
      ax::Args none;
      bill->Raise("AfterLoadBill", none);
      got["event"] = S_OK;
    } catch (const ax::AutomationError& e) {
      got["event"] = static_cast<HRESULT>(e.Number());
    }
  });
  other.join();
  for (const auto& [call, hr] : got) {
    EXPECT_EQ(hr, RPC_E_WRONG_THREAD) << call << " from another thread";
  }
  EXPECT_EQ(got.size(), 8u);
  // The served thread is served as before.
  EXPECT_EQ(CallShow(plugin.get(), argument, &info), S_OK);
  EXPECT_EQ(bill->sinks.size(), 1u) << "showing again replaces the connection";
}

// A host whose connection point takes one sink at a time, as many do.
class OneSinkBill final : public FakeBill {
 public:
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override {
    if (!sinks.empty()) throw ax::AutomationError(static_cast<int32_t>(CONNECT_E_ADVISELIMIT), "one sink only");
    return FakeBill::Advise(sink);
  }
};

HRESULT InvokeShow(IDispatch* object, UINT count, VARIANTARG* args, EXCEPINFO* info) {
  DISPPARAMS params{args, nullptr, count, 0};
  return object->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                        info, nullptr);
}

TEST(PluginClasses, ShowingAgainReleasesTheOldConnectionFirst) {
  auto bill = std::make_shared<OneSinkBill>();
  ComPtr<IDispatch> served = ServeEventSource(bill, BillClass());
  ComPtr<IDispatch> plugin = CreateClass(kClsidBill);
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_DISPATCH;
  argument.pdispVal = served.get();
  for (int time = 1; time <= 3; ++time) {
    EXCEPINFO info{};
    EXPECT_EQ(CallShow(plugin.get(), argument, &info), S_OK) << "Show, time " << time;
    Bstr::Attach(info.bstrDescription);
    Bstr::Attach(info.bstrSource);
    EXPECT_EQ(bill->sinks.size(), 1u);
  }
  // The class still hears the bill.
  ax::Args none;
  bill->Raise("AfterLoadBill", none);
  plugin.Reset();
  EXPECT_TRUE(bill->sinks.empty());
}

TEST(PluginClasses, ShowWithTooFewOrTooManyArgumentsIsABadParameterCount) {
  ComPtr<IDispatch> plugin = CreateClass(kClsidList);
  VARIANTARG args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  for (UINT count : {0u, 2u}) {
    EXCEPINFO info{};
    EXPECT_EQ(InvokeShow(plugin.get(), count, args, &info), DISP_E_BADPARAMCOUNT)
        << count << " arguments";
    Bstr::Attach(info.bstrDescription);
    Bstr::Attach(info.bstrSource);
  }
}

TEST(PluginClasses, ReleasingEverythingLeavesTheModuleIdle) {
  { ComPtr<IDispatch> plugin = CreateClass(kClsidList1); }
  EXPECT_TRUE(module::Idle());
}

}  // namespace
}  // namespace sccom
