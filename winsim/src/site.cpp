#include "site.h"

#include <atomic>

#include "metabase.h"

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

void Site::Reset(FaultPlan faults) {
  faults_ = std::move(faults);
  journal_.clear();
  ++generation_;
  comReferences_ = 0;
}

Site::Call::Call(Site& site, const char* name)
    : site(site),
      lock(site.mutex_),
      name_(name),
      journaling_(name && (site.journalKept_ || !site.journalFile_.empty())) {}

// Only an exhausted heap throws here (bad text is replaced, a file error
// ignored), and ending the process then is as good as anything.
Site::Call::~Call() {  // NOLINT(bugprone-exception-escape)
  if (!finished_) Finish(Json());
}

std::optional<int64_t> Site::Call::Fault(std::optional<std::u16string_view> path,
                                         std::optional<std::u16string_view> name) {
  auto status = site.faults_.Next(name_, path, name);
  fault_ = fault_ || status;
  return status;
}

void Site::Call::Finish(Json result, std::optional<uint32_t> lastError) {
  finished_ = true;
  if (!journaling_) return;
  Json line = {{"call", name_}, {"thread", ThreadNumber()}};
  for (auto& [field, value] : fields_.items()) line[field] = std::move(value);
  line["result"] = std::move(result);
  if (lastError) line["lastError"] = *lastError;
  if (fault_) line["fault"] = true;
  std::string text = line.dump(-1, ' ', false, Json::error_handler_t::replace);
  if (!site.journalFile_.empty()) AppendToFile(site.journalFile_, text + "\n");
  if (site.journalKept_) site.journal_.push_back(std::move(text));
}

int ThreadNumber() {
  static std::atomic<int> next{0};
  thread_local const int number = ++next;
  return number;
}

std::string ComposeImage(Json document, const MetabaseEngine* metabase) {
  if (!metabase || !document.contains("iis") || !document["iis"].is_object()) return document.dump(2) + "\n";
  Json& iis = document["iis"];
  const bool backups = iis.contains("backups") || metabase->HasBackups();
  iis["metabase"] = "\x01";
  if (backups) iis["backups"] = "\x02";
  std::string text = document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  auto substitute = [&text](const std::string& mark, const std::string& with) {
    const size_t at = text.find(mark);
    if (at != std::string::npos) text.replace(at, mark.size(), with);
  };
  substitute("\"\\u0001\"", metabase->SavedText());
  if (backups) substitute("\"\\u0002\"", metabase->BackupsText());
  return text;
}

double TimeoutScale(const Json& image) {
  const Json scale = image.value("timeoutScale", Json(1.0));
  if (!scale.is_number() || scale.get<double>() < 0) Invalid("the image", "\"timeoutScale\" is not a number >= 0");
  return scale.get<double>();
}

}  // namespace winsim
