// Late-bound objects: anything callable by member name. Maps one-to-one onto IDispatch:
// a call is a member name, a call kind (method, property get, put, put-by-reference) and
// positional arguments, some passed by reference and written back, some omitted.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"

namespace ax {

enum CallKind : unsigned {
  kMethod = 1,       // DISPATCH_METHOD
  kGet = 2,          // DISPATCH_PROPERTYGET
  kPut = 4,          // DISPATCH_PROPERTYPUT
  kPutRef = 8,       // DISPATCH_PROPERTYPUTREF
  kMethodOrGet = 3,  // what a scripting client sends for obj.Member(args) used as a value
};

// One positional argument: a value, or a reference to the caller's variable (VT_BYREF).
class Arg {
 public:
  Arg() : val_(Variant::missing()) {}
  template <class T>
    requires std::is_constructible_v<Variant, T>
  Arg(T&& v) : val_(std::forward<T>(v)) {}
  Arg(const class Object& o);
  static Arg byRef(Variant& v) { Arg a; a.ref_ = &v; return a; }
  static Arg omitted() { return Arg(); }

  bool isByRef() const { return ref_ != nullptr; }
  Variant& value() { return ref_ ? *ref_ : val_; }
  const Variant& value() const { return ref_ ? *ref_ : val_; }

 private:
  Variant val_;
  Variant* ref_ = nullptr;
};

inline Arg ref(Variant& v) { return Arg::byRef(v); }
inline Arg omitted() { return Arg::omitted(); }

// The arguments of one call, in order. Holds up to kInline arguments without allocating (a call
// the host makes per cell, and most calls the plug-in makes, pass no more); more go to the heap.
// The subset of std::vector's interface the calls use.
class Args {
 public:
  static constexpr size_t kInline = 8;
  using value_type = Arg;
  using size_type = size_t;
  using iterator = Arg*;
  using const_iterator = const Arg*;

  Args() noexcept = default;
  Args(std::initializer_list<Arg> init) {
    reserve(init.size());
    for (const Arg& a : init) emplace_back(a);
  }
  Args(const Args& other) {
    reserve(other.size_);
    for (const Arg& a : other) emplace_back(a);
  }
  Args(Args&& other) noexcept { TakeFrom(other); }
  Args& operator=(const Args& other) {
    if (this != &other) {
      clear();
      reserve(other.size_);
      for (const Arg& a : other) emplace_back(a);
    }
    return *this;
  }
  Args& operator=(Args&& other) noexcept {
    if (this != &other) {
      clear();
      FreeHeap();
      TakeFrom(other);
    }
    return *this;
  }
  ~Args() {
    clear();
    FreeHeap();
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Arg& operator[](size_t i) { return data_[i]; }
  const Arg& operator[](size_t i) const { return data_[i]; }
  Arg& at(size_t i);
  const Arg& at(size_t i) const;
  Arg& back() { return data_[size_ - 1]; }
  const Arg& back() const { return data_[size_ - 1]; }
  Arg* begin() { return data_; }
  Arg* end() { return data_ + size_; }
  const Arg* begin() const { return data_; }
  const Arg* end() const { return data_ + size_; }

  void reserve(size_t n) {
    if (n > capacity_) Grow(n);
  }
  template <class... T>
  Arg& emplace_back(T&&... v) {
    if (size_ == capacity_) {
      Arg made(std::forward<T>(v)...);  // v may refer to an argument of this list
      Grow(size_ + 1);
      return *::new (static_cast<void*>(data_ + size_++)) Arg(std::move(made));
    }
    return *::new (static_cast<void*>(data_ + size_++)) Arg(std::forward<T>(v)...);
  }
  void push_back(const Arg& a) { emplace_back(a); }
  void push_back(Arg&& a) { emplace_back(std::move(a)); }
  void pop_back() {
    data_[--size_].~Arg();
  }
  // Shortens the list, or lengthens it with omitted arguments.
  void resize(size_t n) {
    while (size_ > n) pop_back();
    reserve(n);
    while (size_ < n) emplace_back();
  }
  Arg* erase(Arg* position);
  void clear() noexcept {
    for (size_t i = size_; i-- > 0;) data_[i].~Arg();
    size_ = 0;
  }

 private:
  Arg* Inline() { return reinterpret_cast<Arg*>(inline_); }
  void Grow(size_t atLeast);
  void FreeHeap() noexcept;
  void TakeFrom(Args& other) noexcept;

  alignas(Arg) unsigned char inline_[kInline * sizeof(Arg)];
  Arg* data_ = Inline();
  size_t size_ = 0;
  size_t capacity_ = kInline;
};

// Receiver of an event source's events: the plug-in classes implement it.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // Called once per event raised by the source; by-reference parameters are Arg::byRef and are
  // written back to the source. May throw AutomationError, which the source reports as the
  // failure of the event call; nothing else may escape.
  virtual void OnEvent(std::string_view eventName, Args& args) = 0;
};

// An advised event connection; destroying it disconnects.
class Connection {
 public:
  virtual ~Connection() = default;
};

// Implementation side of a late-bound object (IDispatch).
class Dispatch : public std::enable_shared_from_this<Dispatch> {
 public:
  virtual ~Dispatch() = default;
  // Invoke a member. kind is a CallKind mask; for kPut/kPutRef the new value is the last
  // argument. Unknown members raise 438. Must only throw AutomationError.
  virtual Variant Invoke(std::string_view member, unsigned kind, Args& args) = 0;
  // QueryInterface by the interface's name ("BillInterface", "ListInterface", ...).
  virtual bool Supports(std::string_view interfaceName) const { (void)interfaceName; return false; }
  // Connect an event sink (connection point). Objects without events raise 13.
  virtual std::unique_ptr<Connection> Advise(EventSink& sink);
  // Class name for diagnostics and TypeName().
  virtual std::string ClassName() const { return "Object"; }
};

using DispatchPtr = std::shared_ptr<Dispatch>;

// Client side handle. Empty handle = Nothing.
class Object {
 public:
  Object() = default;
  Object(DispatchPtr p) : p_(std::move(p)) {}
  // From a variant: Object or Nothing; any other kind raises 13 "Type mismatch"
  // (Empty and Null count as Nothing only where a caller says so, see FromVariantOrNothing).
  explicit Object(const Variant& v);
  static Object FromVariantOrNothing(const Variant& v);

  bool IsNothing() const { return !p_; }
  explicit operator bool() const { return static_cast<bool>(p_); }
  const DispatchPtr& ptr() const { return p_; }
  Variant AsVariant() const { return Variant(p_); }
  void Reset() { p_.reset(); }
  bool SameAs(const Object& o) const { return p_ == o.p_; }

  // obj.Member(args) read as a value (method or property get).
  Variant Get(std::string_view member, Args args = {}) const;
  // obj.Member(args) as a statement (method call).
  Variant Call(std::string_view member, Args args = {}) const;
  // Same, with the caller's argument vector so by-reference arguments are visible afterwards.
  Variant CallArgs(std::string_view member, Args& args, unsigned kind = kMethod) const;
  // obj.Member(args) = value
  void Put(std::string_view member, const Variant& value, Args args = {}) const;
  // Set obj.Member(args) = object
  void PutRef(std::string_view member, const Object& value, Args args = {}) const;
  // Member read as an object (Set x = obj.Member(args)); a non-object result raises 13.
  Object GetObj(std::string_view member, Args args = {}) const;
  // The default member: obj(key) / obj.Item(key).
  Variant Item(const Variant& key) const { return Get("Item", {key}); }
  Object ItemObj(const Variant& key) const { return GetObj("Item", {key}); }

  bool Supports(std::string_view interfaceName) const { return p_ && p_->Supports(interfaceName); }
  std::unique_ptr<Connection> Advise(EventSink& sink) const;
  std::string TypeName() const { return p_ ? p_->ClassName() : "Nothing"; }

  template <class T>
  std::shared_ptr<T> As() const { return std::dynamic_pointer_cast<T>(p_); }

 private:
  void Check(std::string_view member) const;  // raises 91 for Nothing
  DispatchPtr p_;
};

inline Arg::Arg(const Object& o) : val_(o.AsVariant()) {}

// Helper for simple Dispatch implementations: a member table by case-insensitive name.
// Each entry handles one member for any call kind; the handler receives the kind and args.
class MemberTable {
 public:
  using Handler = std::function<Variant(unsigned kind, Args& args)>;
  void Add(std::string name, Handler h);
  // Finds the member (case-insensitive) and runs it; unknown raises 438.
  Variant Invoke(std::string_view className, std::string_view member, unsigned kind,
                 Args& args) const;
  bool Has(std::string_view member) const;

 private:
  std::vector<std::pair<std::string, Handler>> members_;
};

// Argument helpers for Dispatch implementations: argument i (0-based), Missing when absent.
const Variant& ArgAt(const Args& args, size_t i);
// The value of a property put (the last argument); raises 450 when absent.
const Variant& PutValue(const Args& args);

}  // namespace ax
