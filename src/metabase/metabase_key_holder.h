#pragma once

#include "metabase/metabase_key.h"

// The single owner of at most one MetabaseKey: resetting or destroying the
// holder destroys the key, which closes its handle, on every path out.
//
//   MetabaseKeyHolder key(connection.OpenKey(path));
//   if (key.IsValid()) key.Get()->WriteDword(...);
class MetabaseKeyHolder {
 public:
  explicit MetabaseKeyHolder(MetabaseKey* key = nullptr) : key_(key) {}
  MetabaseKeyHolder(const MetabaseKeyHolder&) = delete;
  MetabaseKeyHolder& operator=(const MetabaseKeyHolder&) = delete;
  // Takes the other's key, leaving it empty; a key held here is closed first.
  MetabaseKeyHolder& operator=(MetabaseKeyHolder&& other) noexcept;
  ~MetabaseKeyHolder() { Reset(); }

  MetabaseKey* Get() const { return key_; }
  bool IsValid() const { return key_ != nullptr && key_->IsValid(); }
  void Reset();

 private:
  MetabaseKey* key_;
};
