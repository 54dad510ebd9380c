#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "json.h"

namespace winsim {

// What the metabase engine needs from whatever hosts it: the fault plan, the
// journal and the image file. The engine never calls these with its own lock
// held, so an implementation may take locks of its own.
class MetabaseEvents {
 public:
  virtual ~MetabaseEvents() = default;

  // The status a planned fault gives this call, if one falls on it.
  virtual std::optional<int64_t> PlannedFault(const std::string& call, const std::u16string* path,
                                              const std::u16string* name) = 0;
  virtual void Journal(const std::string& call, Json fields, int32_t result, bool fault) = 0;
  // Writes one part of the image's "iis" section ("metabase" or "backups").
  virtual void Persist(const std::string& part, Json value) = 0;
};

}  // namespace winsim
