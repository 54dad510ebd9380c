#include "faults.h"

#include "codec.h"
#include "text.h"

namespace winsim {

FaultPlan::FaultPlan(const Json& faults) {
  for (const auto& entry : faults) {
    Fault fault;
    fault.call = TextField(entry, "call", "a fault");
    fault.occurrence = Number32(entry, "occurrence", "a fault", 0);
    if (!entry.contains("status") || !entry["status"].is_number_integer())
      Invalid("a fault", "no whole-number \"status\"");
    fault.status = entry["status"].get<int64_t>();
    if (entry.contains("path")) fault.path = ToUtf16(TextField(entry, "path", "a fault"));
    if (entry.contains("name")) fault.name = ToUtf16(TextField(entry, "name", "a fault"));
    faults_.push_back(std::move(fault));
  }
}

std::optional<int64_t> FaultPlan::Next(const char* call, std::optional<std::u16string_view> path,
                                       std::optional<std::u16string_view> name) {
  std::optional<int64_t> status;
  for (auto& fault : faults_) {
    if (fault.call != call) continue;
    if (fault.path && !(path && EqualsIgnoreCase(*fault.path, *path))) continue;
    if (fault.name && !(name && EqualsIgnoreCase(*fault.name, *name))) continue;
    ++fault.seen;
    if (!status && (fault.occurrence == 0 || fault.occurrence == fault.seen)) status = fault.status;
  }
  return status;
}

}  // namespace winsim
