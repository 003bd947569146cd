#include "sim/host/host_object.h"

#include "sim/host/counted_object.h"

#include "automation/error.h"
#include "sim/host/host.h"

namespace sim {

HostObject::HostObject(Host& host, std::string objectName, std::string className)
    : host_(host), objectName_(std::move(objectName)), className_(std::move(className)) {
  if (className_.empty()) className_ = objectName_;
}

ax::Variant HostObject::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  return host_.Call(objectName_, className_, member, kind, args,
                    [&] { return Counted(host_, objectName_, members_.Invoke(className_, member, kind, args)); });
}

void HostObject::Member(std::string name, Handler handler) {
  members_.Add(std::move(name), std::move(handler));
}

void HostObject::Property(std::string name, std::function<ax::Variant()> get,
                          std::function<void(const ax::Variant&)> put) {
  std::string source = className_ + "." + name;
  members_.Add(std::move(name), [get = std::move(get), put = std::move(put), source](
                                    unsigned kind, ax::Args& args) -> ax::Variant {
    if (kind & (ax::kPut | ax::kPutRef)) {
      if (!put) throw ax::Error(ax::err::kWrongArgs, source);
      put(ax::PutValue(args));
      return {};
    }
    return get();
  });
}

void HostObject::Method(std::string name, std::function<ax::Variant(ax::Args&)> fn) {
  std::string source = className_ + "." + name;
  members_.Add(std::move(name),
               [fn = std::move(fn), source](unsigned kind, ax::Args& args) -> ax::Variant {
                 if (kind & (ax::kPut | ax::kPutRef)) throw ax::Error(ax::err::kWrongArgs, source);
                 return fn(args);
               });
}

namespace {

class SlotConnection : public ax::Connection {
 public:
  explicit SlotConnection(std::weak_ptr<void> slot, ax::EventSink** sink)
      : slot_(std::move(slot)), sink_(sink) {}
  ~SlotConnection() override {
    // The slot may already be gone with its source; then there is nothing to disconnect.
    if (auto alive = slot_.lock()) *sink_ = nullptr;
  }

 private:
  std::weak_ptr<void> slot_;
  ax::EventSink** sink_;
};

}  // namespace

std::unique_ptr<ax::Connection> EventHub::Connect(ax::EventSink& sink) {
  auto slot = std::make_shared<Slot>();
  slot->sink = &sink;
  slots_.push_back(slot);
  return std::make_unique<SlotConnection>(std::weak_ptr<void>(slot), &slot->sink);
}

bool EventHub::HasSinks() const {
  for (const auto& s : slots_)
    if (s->sink) return true;
  return false;
}

void EventHub::Raise(std::string_view eventName, ax::Args& args) {
  // Drop disconnected slots first; a handler may connect or disconnect while it runs, so the
  // sinks are collected by slot and re-checked before each call.
  std::erase_if(slots_, [](const std::shared_ptr<Slot>& s) { return s->sink == nullptr; });
  std::vector<std::shared_ptr<Slot>> current = slots_;
  for (const auto& slot : current) {
    if (slot->sink) slot->sink->OnEvent(eventName, args);
  }
}

std::string ArgText(const ax::Args& args, size_t i, const std::string& dflt) {
  const ax::Variant& v = ax::ArgAt(args, i);
  if (v.isMissing() || v.isEmpty()) return dflt;
  if (v.isNull()) return dflt;
  return ax::CStr(v);
}

int32_t ArgLong(const ax::Args& args, size_t i, int32_t dflt) {
  const ax::Variant& v = ax::ArgAt(args, i);
  if (v.isMissing()) return dflt;
  return ax::CLng(v);
}

bool ArgBool(const ax::Args& args, size_t i, bool dflt) {
  const ax::Variant& v = ax::ArgAt(args, i);
  if (v.isMissing()) return dflt;
  return ax::CBool(v);
}

bool ArgGiven(const ax::Args& args, size_t i) { return !ax::ArgAt(args, i).isMissing(); }

}  // namespace sim
