// The host library's dictionary and vector, created by ProgID.
#include "sim/host/collections.h"
#include "sim/host/host.h"

namespace sim {

void RegisterCollections(Host& host) {
  host.Register(kDictionaryProgId, [](Host&) -> ax::DispatchPtr { return NewDictionary(); });
  host.Register(kVectorProgId, [](Host&) -> ax::DispatchPtr { return NewVector(); });
}

}  // namespace sim
