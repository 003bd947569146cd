#include "automation/object.h"

#include "automation/error.h"

#include <stdexcept>

namespace ax {

std::unique_ptr<Connection> Dispatch::Advise(EventSink& sink) {
  (void)sink;
  throw Error(err::kTypeMismatch, ClassName());
}

// ---- Args ------------------------------------------------------------------------------------

Arg& Args::at(size_t i) {
  if (i >= size_) throw std::out_of_range("argument index");
  return data_[i];
}

const Arg& Args::at(size_t i) const {
  if (i >= size_) throw std::out_of_range("argument index");
  return data_[i];
}

Arg* Args::erase(Arg* position) {
  for (Arg* p = position; p + 1 < end(); ++p) *p = std::move(p[1]);
  back().~Arg();
  --size_;
  return position;
}

void Args::Grow(size_t atLeast) {
  size_t capacity = capacity_ * 2 > atLeast ? capacity_ * 2 : atLeast;
  Arg* grown = static_cast<Arg*>(::operator new(capacity * sizeof(Arg)));
  for (size_t i = 0; i < size_; ++i) {
    ::new (static_cast<void*>(grown + i)) Arg(std::move(data_[i]));
    data_[i].~Arg();
  }
  FreeHeap();
  data_ = grown;
  capacity_ = capacity;
}

void Args::FreeHeap() noexcept {
  if (data_ != Inline()) ::operator delete(data_);
  data_ = Inline();
  capacity_ = kInline;
}

void Args::TakeFrom(Args& other) noexcept {
  if (other.data_ != other.Inline()) {
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = other.Inline();
    other.size_ = 0;
    other.capacity_ = kInline;
    return;
  }
  for (size_t i = 0; i < other.size_; ++i)
    ::new (static_cast<void*>(Inline() + i)) Arg(std::move(other.data_[i]));
  size_ = other.size_;
  other.clear();
}

// ---- Object ----------------------------------------------------------------------------------

Object::Object(const Variant& v) {
  if (!v.isObject()) throw Error(err::kTypeMismatch);
  p_ = v.asObject();
}

Object Object::FromVariantOrNothing(const Variant& v) {
  if (v.isEmpty() || v.isNull() || v.isMissing()) return Object();
  return Object(v);
}

void Object::Check(std::string_view member) const {
  if (!p_) throw Error(err::kObjectNotSet, std::string(member));
}

Variant Object::Get(std::string_view member, Args args) const {
  return CallArgs(member, args, kMethodOrGet);
}

Variant Object::Call(std::string_view member, Args args) const {
  return CallArgs(member, args, kMethod);
}

Variant Object::CallArgs(std::string_view member, Args& args, unsigned kind) const {
  Check(member);
  DispatchPtr keep = p_;  // the call may release the caller's handle
  return keep->Invoke(member, kind, args);
}

void Object::Put(std::string_view member, const Variant& value, Args args) const {
  args.emplace_back(value);
  CallArgs(member, args, kPut);
}

void Object::PutRef(std::string_view member, const Object& value, Args args) const {
  args.emplace_back(value.AsVariant());
  CallArgs(member, args, kPutRef);
}

Object Object::GetObj(std::string_view member, Args args) const {
  Variant v = CallArgs(member, args, kMethodOrGet);
  if (!v.isObject()) throw Error(err::kTypeMismatch, std::string(member));
  return Object(v.asObject());
}

std::unique_ptr<Connection> Object::Advise(EventSink& sink) const {
  Check("Advise");
  return p_->Advise(sink);
}

// ---- MemberTable -----------------------------------------------------------------------------

void MemberTable::Add(std::string name, Handler h) {
  for (auto& [n, handler] : members_) {
    if (EqualsNoCase(n, name)) {
      handler = std::move(h);
      return;
    }
  }
  members_.emplace_back(std::move(name), std::move(h));
}

Variant MemberTable::Invoke(std::string_view className, std::string_view member, unsigned kind,
                            Args& args) const {
  for (const auto& [n, handler] : members_) {
    if (EqualsNoCase(n, member)) return handler(kind, args);
  }
  throw Error(err::kNoMember, std::string(className));
}

bool MemberTable::Has(std::string_view member) const {
  for (const auto& entry : members_) {
    if (EqualsNoCase(entry.first, member)) return true;
  }
  return false;
}

const Variant& ArgAt(const Args& args, size_t i) {
  static const Variant kMissing = Variant::missing();
  return i < args.size() ? args[i].value() : kMissing;
}

const Variant& PutValue(const Args& args) {
  if (args.empty()) throw Error(err::kWrongArgs);
  return args.back().value();
}

}  // namespace ax
