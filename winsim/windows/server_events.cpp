#include "server_events.h"

#include <windows.h>

#include <atomic>

namespace winsim {
namespace {

// Small numbers, given in the order threads first call the server.
int ThreadNumber() {
  static std::atomic<int> next{0};
  thread_local int number = ++next;
  return number;
}

}  // namespace

ServerEvents::ServerEvents(std::wstring imagePath, std::wstring journalPath)
    : image_(std::move(imagePath)), journalPath_(std::move(journalPath)) {}

void ServerEvents::Load(const Json& image) {
  FaultPlan faults;
  faults.Load(image.contains("faults") ? image["faults"] : Json());
  std::lock_guard<std::mutex> lock(mutex_);
  faults_ = std::move(faults);
  loaded_ = image;
}

std::optional<int64_t> ServerEvents::PlannedFault(const std::string& call, const std::u16string* path,
                                                  const std::u16string* name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return faults_.Next(call, path ? std::optional<std::u16string>(*path) : std::nullopt,
                      name ? std::optional<std::u16string>(*name) : std::nullopt);
}

void ServerEvents::Journal(const std::string& call, Json fields, int32_t result, bool fault) {
  if (journalPath_.empty()) return;
  Json line = Json::object();
  line["call"] = call;
  line["thread"] = ThreadNumber();
  for (auto& [field, value] : fields.items()) line[field] = std::move(value);
  line["result"] = result;
  if (fault) line["fault"] = true;
  const std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  std::lock_guard<std::mutex> lock(mutex_);
  // One appending write per line keeps lines whole when processes share the file.
  HANDLE file = CreateFileW(journalPath_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void ServerEvents::Persist(const std::string& part, Json value) {
  std::lock_guard<std::mutex> lock(mutex_);
  image_.WriteIisPart(part, value, loaded_);
}

}  // namespace winsim
