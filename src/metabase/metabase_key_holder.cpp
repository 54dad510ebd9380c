#include "metabase/metabase_key_holder.h"

MetabaseKeyHolder& MetabaseKeyHolder::operator=(MetabaseKeyHolder&& other) noexcept {
  if (this != &other) {
    Reset();
    key_ = other.key_;
    other.key_ = nullptr;
  }
  return *this;
}

void MetabaseKeyHolder::Reset() {
  delete key_;
  key_ = nullptr;
}
