#include "metabase_engine.h"

#include <algorithm>
#include <stdexcept>

#include "text.h"

namespace winsim {
namespace {

// The platform's statuses, spelled out here so that the engine needs no
// platform header.
constexpr int32_t kOk = 0;
constexpr int32_t kFileNotFound = static_cast<int32_t>(0x80070002);
constexpr int32_t kPathNotFound = static_cast<int32_t>(0x80070003);
constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);
constexpr int32_t kInvalidHandle = static_cast<int32_t>(0x80070006);
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057);
constexpr int32_t kInsufficientBuffer = static_cast<int32_t>(0x8007007A);
constexpr int32_t kPathBusy = static_cast<int32_t>(0x80070094);
constexpr int32_t kAlreadyExists = static_cast<int32_t>(0x800700B7);
constexpr int32_t kNoMoreItems = static_cast<int32_t>(0x80070103);
constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);

constexpr uint32_t kWrite = 0x2;
constexpr uint32_t kInherit = 0x1;
constexpr uint32_t kIsInherited = 0x20;
constexpr uint32_t kBackupOverwrite = 0x1;
constexpr uint32_t kNextVersion = 0xFFFFFFFF;
constexpr uint32_t kHighestVersion = 0xFFFFFFFE;
constexpr uint32_t kMaxVersion = 9999;
constexpr size_t kMaxBackupName = 100;
constexpr uint32_t kSaveWaitMilliseconds = 5000;

std::u16string Argument(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

Json TextField(const char16_t* text) { return text ? Json(ToUtf8(text)) : Json(); }

bool Related(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (!EqualsIgnoreCase(a[i], b[i])) return false;
  }
  return true;
}

bool Conflicts(const std::vector<std::u16string>& a, uint32_t accessA, const std::vector<std::u16string>& b,
               uint32_t accessB) {
  return ((accessA | accessB) & kWrite) != 0 && Related(a, b);
}

uint16_t Unit(const uint8_t* data, size_t index) {
  return static_cast<uint16_t>(data[2 * index] | (data[2 * index + 1] << 8));
}

// What SetData refuses, as IIS does: data that is not what its type says.
bool WellFormed(const MetadataRecord& record) {
  const size_t length = record.dataLength;
  if (length > 0 && !record.data) return false;
  switch (record.dataType) {
    case 1:
      return length == 4;
    case 3:
      return true;
    case 2:
    case 4: {
      if (length % 2 != 0) return false;
      for (size_t i = 0; i < length / 2; ++i) {
        if (Unit(record.data, i) == 0) return true;
      }
      return false;
    }
    case 5: {
      if (length % 2 != 0 || length < 2) return false;
      const size_t units = length / 2;
      if (units == 1) return Unit(record.data, 0) == 0;
      return Unit(record.data, units - 1) == 0 && Unit(record.data, units - 2) == 0;
    }
    default:
      return false;
  }
}

Json RecordFields(uint32_t handle, const char16_t* path, const MetadataRecord* record) {
  Json fields = {{"handle", handle}, {"path", TextField(path)}};
  if (record) {
    fields["id"] = record->identifier;
    fields["attributes"] = record->attributes;
    fields["userType"] = record->userType;
    fields["dataType"] = record->dataType;
    fields["length"] = record->dataLength;
  }
  return fields;
}

bool ValidBackupName(const std::u16string& name) {
  if (name.size() > kMaxBackupName) return false;
  return name.find_first_of(u"\\/:*?\"<>|") == std::u16string::npos;
}

}  // namespace

MetabaseEngine::MetabaseEngine(const Json& iis, double timeoutScale, MetabaseEvents& events)
    : events_(events), timeoutScale_(timeoutScale) {
  if (!iis.is_object()) throw std::invalid_argument("\"iis\" is not an object");
  if (!iis.contains("metabase")) throw std::invalid_argument("\"iis\" has no \"metabase\"");
  root_ = MetabaseNode::FromJson(iis["metabase"], "iis.metabase");
  const Json backups = iis.value("backups", Json::array());
  if (!backups.is_array()) throw std::invalid_argument("\"iis.backups\" is not an array");
  for (const auto& backup : backups) {
    if (!backup.is_object() || !backup.contains("name") || !backup["name"].is_string())
      throw std::invalid_argument("a backup has no \"name\"");
    const Json version = backup.value("version", Json());
    if (!version.is_number_integer() || version.get<int64_t>() < 0 || version.get<int64_t>() > kMaxVersion)
      throw std::invalid_argument("a backup's \"version\" is not 0 to 9999");
    if (!backup.contains("metabase")) throw std::invalid_argument("a backup has no \"metabase\"");
    MetabaseNode::FromJson(backup["metabase"], "iis.backups.metabase");
    backups_.push_back({ToUtf16(backup["name"].get<std::string>()), static_cast<uint32_t>(version.get<int64_t>()),
                        backup["metabase"]});
  }
  const Json held = iis.value("heldKeys", Json::array());
  if (!held.is_array()) throw std::invalid_argument("\"iis.heldKeys\" is not an array");
  for (const auto& key : held) {
    if (!key.is_object() || !key.contains("path") || !key["path"].is_string())
      throw std::invalid_argument("a held key has no \"path\"");
    const Json access = key.value("access", Json(3));
    if (!access.is_number_integer() || access.get<int64_t>() < 0 || access.get<int64_t>() > 0xFFFFFFFFLL)
      throw std::invalid_argument("a held key's \"access\" is not a 32-bit number");
    handles_[++nextHandle_] = {SplitMetabasePath(ToUtf16(key["path"].get<std::string>())),
                               static_cast<uint32_t>(access.get<int64_t>()), true};
  }
}

bool MetabaseEngine::Resolve(uint32_t handle, const char16_t* path, Path& full) const {
  full.clear();
  if (handle != 0) {
    const auto found = handles_.find(handle);
    if (found == handles_.end() || found->second.held) return false;
    full = found->second.path;
  }
  for (auto& segment : SplitMetabasePath(Argument(path))) full.push_back(std::move(segment));
  return true;
}

bool MetabaseEngine::Blocked(const Path& path, uint32_t access, uint64_t ticket) const {
  for (const auto& [number, handle] : handles_) {
    if (Conflicts(path, access, handle.path, handle.access)) return true;
  }
  // First come, first served: an earlier waiter for a related key goes first.
  for (const auto& waiter : waiters_) {
    if (waiter.ticket >= ticket) break;
    if (Conflicts(path, access, waiter.path, waiter.access)) return true;
  }
  return false;
}

bool MetabaseEngine::AnyWriteHandle() const {
  for (const auto& [number, handle] : handles_) {
    if (handle.access & kWrite) return true;
  }
  return false;
}

MetabaseEngine::Clock::duration MetabaseEngine::Scaled(uint32_t milliseconds) const {
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double, std::milli>(milliseconds * timeoutScale_));
}

int32_t MetabaseEngine::OpenKey(uint32_t handle, const char16_t* path, uint32_t access, uint32_t timeout,
                                uint32_t* newHandle) {
  const std::u16string pathText = Argument(path);
  Json fields = {
      {"handle", handle}, {"path", TextField(path)}, {"access", access}, {"timeout", timeout}, {"outHandle", 0}};
  if (newHandle) *newHandle = 0;
  return Journaled("OpenKey", &pathText, nullptr, std::move(fields), [&](Json& out) {
    if (!newHandle) return kInvalidArgument;
    std::unique_lock<std::mutex> lock(mutex_);
    Path full;
    if (!Resolve(handle, path, full)) return kInvalidHandle;
    if (!root_->Find(full)) return kPathNotFound;
    const uint64_t ticket = ++nextTicket_;
    waiters_.push_back({ticket, full, access});
    int32_t result = kOk;
    bool waited = false;
    Clock::time_point deadline;
    while (result == kOk) {
      if (!root_->Find(full)) {
        result = kPathNotFound;
      } else if (!Blocked(full, access, ticket)) {
        break;
      } else if (!waited) {
        // Only the conflict counts against the time-out.
        waited = true;
        deadline = Clock::now() + Scaled(timeout);
      } else if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && Blocked(full, access, ticket)) {
        result = kPathBusy;
      }
    }
    waiters_.remove_if([ticket](const Waiter& waiter) { return waiter.ticket == ticket; });
    if (result == kOk) {
      *newHandle = ++nextHandle_;
      handles_[*newHandle] = {full, access, false};
      out["outHandle"] = *newHandle;
    }
    changed_.notify_all();
    return result;
  });
}

int32_t MetabaseEngine::CloseKey(uint32_t handle) {
  bool known = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = handles_.find(handle);
    known = found != handles_.end() && !found->second.held;
    if (known) handles_.erase(found);  // a planned fault frees the handle all the same
    changed_.notify_all();
  }
  const auto fault = events_.PlannedFault("CloseKey", nullptr, nullptr);
  const int32_t result = fault ? static_cast<int32_t>(*fault) : known ? kOk : kInvalidHandle;
  events_.Journal("CloseKey", {{"handle", handle}}, result, fault.has_value());
  return result;
}

int32_t MetabaseEngine::AddKey(uint32_t handle, const char16_t* path) {
  const std::u16string pathText = Argument(path);
  return Journaled("AddKey", &pathText, nullptr, {{"handle", handle}, {"path", TextField(path)}}, [&](Json&) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = handles_.find(handle);
    const Path segments = SplitMetabasePath(pathText);
    if (handle != 0 && (found == handles_.end() || found->second.held)) return kInvalidHandle;
    if (handle == 0 || !(found->second.access & kWrite)) return kAccessDenied;
    MetabaseNode* node = root_->Find(found->second.path);
    if (!node) return kPathNotFound;
    if (segments.empty() || std::any_of(segments.begin(), segments.end(),
                                        [](const std::u16string& name) { return name.size() > kMaxKeyNameLength; })) {
      return kInvalidArgument;
    }
    if (node->Find(segments)) return kAlreadyExists;
    for (const auto& name : segments) {
      MetabaseNode* child = node->Child(name);
      if (!child) {
        node->children.push_back(std::make_unique<MetabaseNode>());
        child = node->children.back().get();
        child->name = name;
      }
      node = child;
    }
    return kOk;
  });
}

int32_t MetabaseEngine::EnumKeys(uint32_t handle, const char16_t* path, char16_t* name, uint32_t index) {
  const std::u16string pathText = Argument(path);
  Json fields = {{"handle", handle}, {"path", TextField(path)}, {"index", index}};
  return Journaled("EnumKeys", &pathText, nullptr, std::move(fields), [&](Json& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    Path full;
    if (!Resolve(handle, path, full)) return kInvalidHandle;
    const MetabaseNode* node = root_->Find(full);
    if (!node) return kPathNotFound;
    if (!name) return kInvalidArgument;
    if (index >= node->children.size()) return kNoMoreItems;
    const std::u16string& child = node->children[index]->name;
    std::copy(child.begin(), child.end(), name);
    name[child.size()] = 0;
    out["name"] = ToUtf8(child);
    return kOk;
  });
}

int32_t MetabaseEngine::GetData(uint32_t handle, const char16_t* path, MetadataRecord* record,
                                uint32_t* requiredLength) {
  const std::u16string pathText = Argument(path);
  Json fields = RecordFields(handle, path, record);
  fields["requiredLength"] = Json();
  return Journaled("GetData", &pathText, nullptr, std::move(fields), [&](Json& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    Path full;
    if (!record) return kInvalidArgument;
    if (!Resolve(handle, path, full)) return kInvalidHandle;
    if (!root_->Find(full)) return kPathNotFound;
    auto matches = [&](const MetabaseRecord* stored) {
      return stored && (record->userType == 0 || record->userType == stored->userType) &&
             (record->dataType == 0 || record->dataType == stored->dataType);
    };
    const MetabaseRecord* found = root_->Find(full)->Record(record->identifier);
    bool inherited = false;
    if (!matches(found)) {
      found = nullptr;
      // The nearest ancestor that stored the record as inheritable.
      for (size_t depth = full.size(); !found && (record->attributes & kInherit) && depth-- > 0;) {
        const MetabaseRecord* candidate =
            root_->Find(Path(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(depth)))
                ->Record(record->identifier);
        if (matches(candidate) && (candidate->attributes & kInherit)) {
          found = candidate;
          inherited = true;
        }
      }
    }
    if (!found) return kDataNotFound;
    if (!found->bytes.empty() && (record->dataLength < found->bytes.size() || !record->data)) {
      if (requiredLength) *requiredLength = static_cast<uint32_t>(found->bytes.size());
      out["requiredLength"] = found->bytes.size();
      return kInsufficientBuffer;
    }
    std::copy(found->bytes.begin(), found->bytes.end(), record->data);
    record->dataLength = static_cast<uint32_t>(found->bytes.size());
    record->attributes = found->attributes | (inherited ? kIsInherited : 0);
    record->userType = found->userType;
    record->dataType = found->dataType;
    return kOk;
  });
}

int32_t MetabaseEngine::SetData(uint32_t handle, const char16_t* path, const MetadataRecord* record) {
  const std::u16string pathText = Argument(path);
  Json fields = RecordFields(handle, path, record);
  if (record) fields["hex"] = record->data ? Json(ToHex(record->data, record->dataLength)) : Json();
  return Journaled("SetData", &pathText, nullptr, std::move(fields), [&](Json&) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = handles_.find(handle);
    Path full;
    if (!record) return kInvalidArgument;
    if (!Resolve(handle, path, full)) return kInvalidHandle;
    if (handle == 0 || !(found->second.access & kWrite)) return kAccessDenied;
    MetabaseNode* node = root_->Find(full);
    if (!node) return kPathNotFound;
    if (!WellFormed(*record)) return kInvalidArgument;
    MetabaseRecord stored;
    stored.id = record->identifier;
    stored.attributes = record->attributes;
    stored.userType = record->userType;
    stored.dataType = record->dataType;
    stored.bytes.assign(record->data, record->data + record->dataLength);
    node->Write(std::move(stored));
    return kOk;
  });
}

int32_t MetabaseEngine::SaveData() {
  return Journaled("SaveData", nullptr, nullptr, Json::object(), [&](Json&) {
    return ChangeAndPersist("metabase", [&](std::unique_lock<std::mutex>& lock) {
      // As IIS does, wait a while for open write handles to close.
      const auto deadline = Clock::now() + Scaled(kSaveWaitMilliseconds);
      return changed_.wait_until(lock, deadline, [this] { return !AnyWriteHandle(); }) ? kOk : kPathBusy;
    });
  });
}

std::vector<MetabaseEngine::StoredBackup>::iterator MetabaseEngine::FindBackup(const std::u16string& name,
                                                                               uint32_t version) {
  auto best = backups_.end();
  for (auto it = backups_.begin(); it != backups_.end(); ++it) {
    if (!EqualsIgnoreCase(it->name, name)) continue;
    if (version == kHighestVersion ? (best == backups_.end() || it->version > best->version) : it->version == version)
      best = it;
  }
  return best;
}

Json MetabaseEngine::BackupsJson() const {
  Json backups = Json::array();
  for (const auto& backup : backups_)
    backups.push_back({{"name", ToUtf8(backup.name)}, {"version", backup.version}, {"metabase", backup.metabase}});
  return backups;
}

int32_t MetabaseEngine::Backup(const char16_t* name, uint32_t version, uint32_t flags) {
  const std::u16string nameText = Argument(name);
  Json fields = {{"name", TextField(name)}, {"version", version}, {"flags", flags}};
  return Journaled("Backup", nullptr, &nameText, std::move(fields), [&](Json&) {
    return ChangeAndPersist("backups", [&](std::unique_lock<std::mutex>&) {
      uint32_t chosen = version;
      if (version == kNextVersion || version == kHighestVersion) {
        const auto highest = FindBackup(nameText, kHighestVersion);
        chosen = highest == backups_.end() ? 0 : highest->version + (version == kNextVersion ? 1 : 0);
      }
      if (!ValidBackupName(nameText) || chosen > kMaxVersion) return kInvalidArgument;
      const auto existing = FindBackup(nameText, chosen);
      if (existing == backups_.end()) {
        backups_.push_back({nameText, chosen, root_->ToJson()});
      } else if (flags & kBackupOverwrite) {
        existing->metabase = root_->ToJson();
      } else {
        return kAlreadyExists;
      }
      return kOk;
    });
  });
}

int32_t MetabaseEngine::DeleteBackup(const char16_t* name, uint32_t version) {
  const std::u16string nameText = Argument(name);
  Json fields = {{"name", TextField(name)}, {"version", version}};
  return Journaled("DeleteBackup", nullptr, &nameText, std::move(fields), [&](Json&) {
    return ChangeAndPersist("backups", [&](std::unique_lock<std::mutex>&) {
      const auto found = FindBackup(nameText, version);
      if (!ValidBackupName(nameText)) return kInvalidArgument;
      if (found == backups_.end()) return kFileNotFound;
      backups_.erase(found);
      return kOk;
    });
  });
}

int32_t MetabaseEngine::Restore(const char16_t* name, uint32_t version, uint32_t flags) {
  const std::u16string nameText = Argument(name);
  Json fields = {{"name", TextField(name)}, {"version", version}, {"flags", flags}};
  return Journaled("Restore", nullptr, &nameText, std::move(fields), [&](Json&) {
    return ChangeAndPersist("metabase", [&](std::unique_lock<std::mutex>&) {
      const auto found = FindBackup(nameText, version);
      if (!ValidBackupName(nameText)) return kInvalidArgument;
      if (found == backups_.end()) return kFileNotFound;
      root_ = MetabaseNode::FromJson(found->metabase, "backup");
      changed_.notify_all();
      return kOk;
    });
  });
}

template <typename Body>
int32_t MetabaseEngine::Journaled(const char* call, const std::u16string* path, const std::u16string* name, Json fields,
                                  Body&& body) {
  const auto fault = events_.PlannedFault(call, path, name);
  const int32_t result = fault ? static_cast<int32_t>(*fault) : body(fields);
  events_.Journal(call, std::move(fields), result, fault.has_value());
  return result;
}

template <typename Change>
int32_t MetabaseEngine::ChangeAndPersist(const std::string& part, Change&& change) {
  Json snapshot;
  uint64_t sequence = 0;
  int32_t result;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    result = change(lock);
    if (result == kOk) {
      snapshot = part == "metabase" ? root_->ToJson() : BackupsJson();
      sequence = ++nextSequence_;
    }
  }
  // Outside the lock: the events may take locks of their own.
  if (result == kOk) Persist(part, std::move(snapshot), sequence);
  return result;
}

void MetabaseEngine::Persist(const std::string& part, Json value, uint64_t sequence) {
  std::lock_guard<std::mutex> lock(persistMutex_);
  uint64_t& last = persisted_[part];
  if (sequence < last) return;
  last = sequence;
  events_.Persist(part, std::move(value));
}

int MetabaseEngine::OpenHandles() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(
      std::count_if(handles_.begin(), handles_.end(), [](const auto& entry) { return !entry.second.held; }));
}

}  // namespace winsim
