#include "call.h"

#include "text.h"

namespace winsim {

Call::Call(const char* name) : host(Host::Instance()), lock(host.mutex), name_(name) {}

Call::~Call() {
  if (!finished_) Finish(Json());
}

Call& Call::Field(const char* field, Json value) {
  fields_[field] = std::move(value);
  return *this;
}

Call& Call::Text(const char* field, const char16_t* text) { return Field(field, text ? Json(ToUtf8(text)) : Json()); }

Call& Call::MatchPath(const std::u16string& path) {
  path_ = path;
  return *this;
}

Call& Call::MatchName(const std::u16string& name) {
  matchName_ = name;
  return *this;
}

std::optional<int64_t> Call::PlannedFault() {
  auto status = host.faults.Next(name_, path_, matchName_);
  if (status) fault_ = true;
  return status;
}

Call& Call::MarkFault() {
  fault_ = true;
  return *this;
}

void Call::Finish(Json result) {
  finished_ = true;
  Json line = Json::object();
  line["call"] = name_;
  line["thread"] = host.CurrentThread().number;
  for (auto& [key, value] : fields_.items()) line[key] = value;
  line["result"] = std::move(result);
  if (fields_.contains("lastError")) {
    Json lastError = line["lastError"];
    line.erase("lastError");
    line["lastError"] = lastError;
  }
  if (fault_) line["fault"] = true;
  host.journal.Append(line);
}

void Call::FinishWithError(Json result, DWORD lastError) {
  host.CurrentThread().lastError = lastError;
  fields_["lastError"] = lastError;
  Finish(std::move(result));
}

}  // namespace winsim
