#include "sim/host/counted_object.h"

#include <memory>

#include "automation/error.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"

namespace sim {

CountedObject::CountedObject(Host& host, std::string objectName, ax::DispatchPtr inner)
    : host_(host), objectName_(std::move(objectName)), inner_(std::move(inner)) {}

ax::Variant CountedObject::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  return host_.Call(objectName_, inner_->ClassName(), member, kind, args,
                    [&] { return HandOut(inner_->Invoke(member, kind, args)); });
}

ax::Variant CountedObject::HandOut(ax::Variant result) {
  if (!result.isObject() || !result.asObject()) return result;
  const ax::DispatchPtr& p = result.asObject();
  for (const auto& [returned, counted] : handedOut_)
    if (returned == p) return counted;
  ax::Variant counted = Counted(host_, objectName_, result);
  if (!counted.isObject() || counted.asObject() == p) return counted;
  handedOut_[nextHandedOut_] = {p, counted.asObject()};
  nextHandedOut_ = (nextHandedOut_ + 1) % handedOut_.size();
  return counted;
}

ax::Variant Uncounted(const ax::Variant& v) {
  if (!v.isObject() || !v.asObject()) return v;
  if (auto* c = dynamic_cast<CountedObject*>(v.asObject().get())) return ax::Variant(c->Inner());
  return v;
}

HandedBack::HandedBack(Host& host, std::string_view objectName, ax::Args& args)
    : host_(host), objectName_(objectName) {
  for (ax::Arg& a : args) {
    ax::Variant& v = a.value();
    if (a.isByRef() && used_ < slots_.size()) {
      Slot& slot = slots_[used_++];
      slot.ref = &v;
      if (v.isObject() && dynamic_cast<CountedObject*>(v.asObject().get())) slot.counted = v.asObject();
    }
    if (v.isObject() && dynamic_cast<CountedObject*>(v.asObject().get())) v = Uncounted(v);
  }
}

HandedBack::~HandedBack() {
  if (returned_) return;
  for (size_t i = 0; i < used_; ++i) {
    Slot& slot = slots_[i];
    auto* c = slot.counted ? static_cast<CountedObject*>(slot.counted.get()) : nullptr;
    if (c && slot.ref->isObject() && slot.ref->asObject() == c->Inner()) *slot.ref = ax::Variant(slot.counted);
  }
}

void HandedBack::Return() {
  returned_ = true;
  for (size_t i = 0; i < used_; ++i) {
    Slot& slot = slots_[i];
    auto* c = slot.counted ? static_cast<CountedObject*>(slot.counted.get()) : nullptr;
    if (c && slot.ref->isObject() && slot.ref->asObject() == c->Inner())
      *slot.ref = ax::Variant(slot.counted);
    else
      *slot.ref = Counted(host_, objectName_, *slot.ref);
  }
}

ax::Variant Counted(Host& host, std::string_view objectName, const ax::Variant& v) {
  if (!v.isObject() || !v.asObject()) return v;
  const ax::DispatchPtr& p = v.asObject();
  if (dynamic_cast<HostObject*>(p.get()) || dynamic_cast<CountedObject*>(p.get())) return v;
  return ax::DispatchPtr(std::make_shared<CountedObject>(host, std::string(objectName), p));
}

}  // namespace sim
