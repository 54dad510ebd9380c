#include "host_metabase_events.h"

#include "call.h"
#include "host.h"

namespace winsim {

std::optional<int64_t> HostMetabaseEvents::PlannedFault(const std::string& call, const std::u16string* path,
                                                        const std::u16string* name) {
  std::lock_guard<std::mutex> lock(host_.mutex);
  return host_.faults.Next(call, path ? std::optional<std::u16string>(*path) : std::nullopt,
                           name ? std::optional<std::u16string>(*name) : std::nullopt);
}

void HostMetabaseEvents::Journal(const std::string& call, Json fields, int32_t result, bool fault) {
  Call line(call.c_str());
  for (auto& [field, value] : fields.items()) line.Field(field.c_str(), value);
  if (fault) line.MarkFault();
  line.Finish(result);
}

void HostMetabaseEvents::Persist(const std::string& part, Json value) {
  std::lock_guard<std::mutex> lock(host_.mutex);
  if (!host_.document["iis"].is_object()) return;
  host_.document["iis"][part] = std::move(value);
  host_.WriteImage();
}

}  // namespace winsim
