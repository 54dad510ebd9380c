#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "json.h"

namespace winsim {

// The image's planned failures, each counting the calls it matches.
class FaultPlan {
 public:
  FaultPlan() = default;
  // Throws std::invalid_argument on a malformed plan.
  explicit FaultPlan(const Json& faults);

  // The status to fail this call with, if a planned fault falls on it.
  // Every fault that matches counts the call, whether or not it fires.
  std::optional<int64_t> Next(const char* call, std::optional<std::u16string_view> path,
                              std::optional<std::u16string_view> name);

 private:
  struct Fault {
    std::string call;
    int64_t occurrence = 0;
    std::optional<std::u16string> path;
    std::optional<std::u16string> name;
    int64_t status = 0;
    int64_t seen = 0;
  };
  std::vector<Fault> faults_;
};

}  // namespace winsim
