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

namespace {

// Room for keys at their limit, two levels each (a key, its children), with
// their records and the image's few levels above them.
constexpr size_t kMaxNesting = 2 * kMaxKeyDepth + 16;

using Pending = std::vector<std::pair<const Json*, size_t>>;  // a value and its depth, walked without recursion

const Json* Member(const Json* object, const char* name) {
  if (!object) return nullptr;
  const auto found = object->find(name);
  return found == object->end() ? nullptr : &*found;
}

void CheckKeyDepth(const Json* root, const std::string& where) {
  Pending pending;
  if (root) pending.emplace_back(root, 0);
  while (!pending.empty()) {
    const auto [key, depth] = pending.back();
    pending.pop_back();
    const Json* children = Member(key, "children");
    if (!children || !children->is_array() || children->empty()) continue;
    if (depth == kMaxKeyDepth) Invalid(where, "keys nest deeper than " + std::to_string(kMaxKeyDepth) + " levels");
    for (const auto& child : *children) pending.emplace_back(&child, depth + 1);
  }
}

}  // namespace

void CheckDepth(const Json& image) {
  const Json* iis = Member(&image, "iis");
  CheckKeyDepth(Member(iis, "metabase"), "iis.metabase");
  const Json* backups = Member(iis, "backups");
  if (backups && backups->is_array()) {
    for (const auto& backup : *backups) CheckKeyDepth(Member(&backup, "metabase"), "iis.backups.metabase");
  }
  CheckKeyDepth(Member(Member(&image, "registry"), "HKEY_LOCAL_MACHINE"), "registry.HKEY_LOCAL_MACHINE");
  Pending pending{{&image, 0}};
  while (!pending.empty()) {
    const auto [value, depth] = pending.back();
    pending.pop_back();
    if (depth == kMaxNesting) Invalid("the image", "nests deeper than " + std::to_string(kMaxNesting) + " levels");
    for (const auto& item : *value) {
      if (item.is_structured()) pending.emplace_back(&item, depth + 1);
    }
  }
}

std::string ComposeImage(const Json& document, const MetabaseEngine* metabase) {
  // As dump(2) writes it, a level deeper: dumped strings hold no raw line break.
  auto dump = [](const Json& value, const char* indent) {
    std::string text;
    for (char c : value.dump(2, ' ', false, Json::error_handler_t::replace)) {
      text += c;
      if (c == '\n') text += indent;
    }
    return text;
  };
  if (!metabase || !document.contains("iis") || !document["iis"].is_object()) return dump(document, "") + "\n";
  // The engine's metabase and backups go in as it keeps them, serialized, in their places. They
  // are most of the image: written straight into one text reserved for them, not copied about.
  const std::string& saved = metabase->SavedText();
  std::string text = "{";
  text.reserve((metabase->HasBackups() ? 2 : 1) * saved.size() + 65536);
  const char* separator = "\n  ";
  auto name = [&](const std::string& member) -> std::string& {
    return ((text += separator) += Json(member).dump()) += ": ";
  };
  for (const auto& member : document.items()) {
    if (member.key() != "iis") {
      name(member.key()) += dump(member.value(), "  ");
      separator = ",\n  ";
      continue;
    }
    name("iis") += "{";
    const Json& iis = member.value();
    separator = "\n    ";
    for (const auto& part : iis.items()) {
      if (part.key() == "metabase") {
        name("metabase") += saved;
      } else if (part.key() == "backups") {
        metabase->AppendBackupsText(name("backups"));
      } else {
        name(part.key()) += dump(part.value(), "    ");
      }
      separator = ",\n    ";
    }
    if (!iis.contains("metabase")) name("metabase") += saved;
    if (!iis.contains("backups") && metabase->HasBackups()) metabase->AppendBackupsText(name("backups"));
    text += "\n  }";
    separator = ",\n  ";
  }
  text += "\n}\n";
  return text;
}

double TimeoutScale(const Json& image) {
  const Json scale = image.value("timeoutScale", Json(1.0));
  if (!scale.is_number() || scale.get<double>() < 0) Invalid("the image", "\"timeoutScale\" is not a number >= 0");
  return scale.get<double>();
}

}  // namespace winsim
