#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "host.h"
#include "json.h"

namespace winsim {

// One platform call in progress: holds the host lock, builds the journal
// line and consults the fault plan.
class Call {
 public:
  explicit Call(const char* name);
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  ~Call();

  Host& host;
  std::unique_lock<std::mutex> lock;

  Call& Field(const char* field, Json value);
  Call& Text(const char* field, const char16_t* text);  // null stays null
  // What a fault's "path" or "name" is compared with.
  Call& MatchPath(const std::u16string& path);
  Call& MatchName(const std::u16string& name);

  // The planned fault for this call, if one falls on it.
  std::optional<int64_t> PlannedFault();
  // For calls whose fault plan was consulted elsewhere.
  Call& MarkFault();

  // Completes the journal line. An error also becomes the thread's last error.
  void Finish(Json result);
  void FinishWithError(Json result, DWORD lastError);

 private:
  std::string name_;
  Json fields_ = Json::object();
  std::optional<std::u16string> path_;
  std::optional<std::u16string> matchName_;
  bool fault_ = false;
  bool finished_ = false;
};

}  // namespace winsim
