#pragma once

#include "metabase_events.h"

namespace winsim {

class Host;

// The simulated host's side of the metabase engine: its fault plan, its
// journal (with thread numbers) and its image file.
class HostMetabaseEvents : public MetabaseEvents {
 public:
  explicit HostMetabaseEvents(Host& host) : host_(host) {}

  std::optional<int64_t> PlannedFault(const std::string& call, const std::u16string* path,
                                      const std::u16string* name) override;
  void Journal(const std::string& call, Json fields, int32_t result, bool fault) override;
  void Persist(const std::string& part, Json value) override;

 private:
  Host& host_;
};

}  // namespace winsim
