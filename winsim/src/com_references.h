#pragma once

#include <winsim/win32_base.h>

#include <cstdint>

namespace winsim {

// The reference count of one simulated COM object, which the host also
// counts as open until it drops to zero. An object made before a reset no
// longer counts against the host.
class ComReferences {
 public:
  // Starts with the one reference its maker hands out.
  explicit ComReferences(const char* object);
  ULONG Add();
  // Journals the call as "Release"; true when the object is to be deleted.
  bool Drop(ULONG& remaining);

 private:
  const char* object_;
  uint64_t generation_;
  ULONG count_ = 1;
};

}  // namespace winsim
