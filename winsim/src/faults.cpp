#include "faults.h"

#include <stdexcept>

#include "text.h"

namespace winsim {

void FaultPlan::Load(const Json& faults) {
  std::vector<Fault> loaded;
  if (!faults.is_null()) {
    if (!faults.is_array()) throw std::invalid_argument("\"faults\" is not an array");
    for (const auto& entry : faults) {
      if (!entry.is_object() || !entry.contains("call") || !entry["call"].is_string())
        throw std::invalid_argument("a fault has no \"call\"");
      Fault fault;
      fault.call = entry["call"].get<std::string>();
      const Json occurrence = entry.value("occurrence", Json(0));
      if (!occurrence.is_number_integer() || occurrence.get<int64_t>() < 0)
        throw std::invalid_argument("a fault's \"occurrence\" is not a whole number >= 0");
      fault.occurrence = occurrence.get<int64_t>();
      if (!entry.contains("status") || !entry["status"].is_number_integer())
        throw std::invalid_argument("a fault has no whole-number \"status\"");
      fault.status = entry["status"].get<int64_t>();
      for (const char* field : {"path", "name"}) {
        if (!entry.contains(field)) continue;
        if (!entry[field].is_string())
          throw std::invalid_argument(std::string("a fault's \"") + field + "\" is not text");
        (std::string(field) == "path" ? fault.path : fault.name) = ToUtf16(entry[field].get<std::string>());
      }
      loaded.push_back(std::move(fault));
    }
  }
  faults_ = std::move(loaded);
}

void FaultPlan::ResetCounters() {
  for (auto& fault : faults_) fault.seen = 0;
}

std::optional<int64_t> FaultPlan::Next(const std::string& call, const std::optional<std::u16string>& path,
                                       const std::optional<std::u16string>& name) {
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
