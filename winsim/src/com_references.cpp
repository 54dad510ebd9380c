#include "com_references.h"

#include "call.h"

namespace winsim {

ComReferences::ComReferences(const char* object) : object_(object) {
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  generation_ = host.generation;
  ++host.comReferences;
}

ULONG ComReferences::Add() {
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  if (generation_ == host.generation) ++host.comReferences;
  return ++count_;
}

bool ComReferences::Drop(ULONG& remaining) {
  Call call("Release");
  call.Field("object", object_);
  if (count_ > 0) {
    --count_;
    if (generation_ == call.host.generation) --call.host.comReferences;
  }
  remaining = count_;
  // A planned fault frees the reference all the same.
  if (auto fault = call.PlannedFault()) {
    call.Finish(*fault);
  } else {
    call.Finish(remaining);
  }
  return remaining == 0;
}

}  // namespace winsim
