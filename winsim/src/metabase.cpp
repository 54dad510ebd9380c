#include "metabase.h"

#include <algorithm>

#include "codec.h"

namespace winsim {
namespace {

constexpr size_t kMaxKeyName = 255;  // callers enumerate into METADATA_MAX_NAME_LEN characters
constexpr DWORD kSaveWaitMilliseconds = 5000;

// What SetData refuses, as IIS does: data that is not what its type says.
bool WellFormed(const METADATA_RECORD& record) {
  const size_t length = record.dwMDDataLen;
  if (length > 0 && !record.pbMDData) return false;
  auto unit = [&](size_t i) { return record.pbMDData[2 * i] | record.pbMDData[2 * i + 1]; };
  const size_t units = length / 2;
  switch (record.dwMDDataType) {
    case DWORD_METADATA:
      return length == 4;
    case BINARY_METADATA:
      return true;
    case STRING_METADATA:
    case EXPANDSZ_METADATA:
      for (size_t i = 0; length % 2 == 0 && i < units; ++i) {
        if (unit(i) == 0) return true;
      }
      return false;
    case MULTISZ_METADATA:
      return length % 2 == 0 && units >= 1 && unit(units - 1) == 0 && (units == 1 || unit(units - 2) == 0);
    default:
      return false;
  }
}

// Each name of a path; a doubled or trailing "/" makes none.
template <typename Visit>
void ForEachName(std::u16string_view path, Visit visit) {
  for (size_t start = 0; start <= path.size();) {
    const size_t end = std::min(path.find(u'/', start), path.size());
    if (end > start) visit(path.substr(start, end - start));
    start = end + 1;
  }
}

bool Related(const std::vector<std::u16string>& a, const std::vector<std::u16string>& b) {
  return std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(std::min(a.size(), b.size())), b.begin());
}

Site::Call& RecordFields(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, const METADATA_RECORD* record) {
  call.Set("handle", handle).Text("path", path);
  if (!record) return call;
  return call.Set("id", record->dwMDIdentifier)
      .Set("attributes", record->dwMDAttributes)
      .Set("userType", record->dwMDUserType)
      .Set("dataType", record->dwMDDataType)
      .Set("length", record->dwMDDataLen);
}

bool ValidBackupName(const std::u16string& name) {
  return name.size() <= MD_BACKUP_MAX_LEN && name.find_first_of(u"\\/:*?\"<>|") == std::u16string::npos;
}

}  // namespace

struct MetabaseRecord {
  DWORD id = 0, attributes = 0, userType = 0, dataType = 0;
  Bytes bytes;
  std::string text;  // as the image gives it
};

// One key, its records and children in stored order. Children are found by a
// flat, half-empty table of folded-name hashes, small enough to stay in cache.
// The serialized form is kept until the key or one below it changes.
struct MetabaseNode {
  using Slot = std::pair<uint32_t, uint32_t>;  // a folded name's hash, 1 + its child's index
  MetabaseNode(std::u16string_view name, MetabaseNode* parent) : name(name), parent(parent) {}
  std::u16string name;
  MetabaseNode* parent;
  std::vector<MetabaseRecord> records;
  std::vector<std::unique_ptr<MetabaseNode>> children;
  std::vector<Slot> index;
  std::string text;

  static std::unique_ptr<MetabaseNode> FromJson(const Json& key, const std::string& where, MetabaseNode* parent) {
    auto node = std::make_unique<MetabaseNode>(ToUtf16(TextField(key, "name", where)), parent);
    if (node->name.size() > kMaxKeyName) Invalid(where, "a key name is longer than 255 characters");
    const std::string here = where + "/" + key["name"].get<std::string>();
    for (const auto& entry : ArrayField(key, "records", here)) {
      if (!entry.is_object()) Invalid(here, "a record is not an object");
      const DWORD type = Number32(entry, "dataType", here);
      if (type < DWORD_METADATA || type > MULTISZ_METADATA) Invalid(here, "\"dataType\" is not 1 to 5");
      node->records.push_back({Number32(entry, "id", here), Number32(entry, "attributes", here),
                               Number32(entry, "userType", here), type,
                               EntryBytes(entry, "value", MetabaseForm(type), here), entry.dump()});
    }
    for (const auto& child : ArrayField(key, "children", here)) node->Adopt(FromJson(child, here, node.get()));
    return node;
  }

  MetabaseNode* Adopt(std::unique_ptr<MetabaseNode> child) {
    children.push_back(std::move(child));
    if (2 * children.size() > index.size()) {
      index.assign(std::max<size_t>(8, 2 * index.size()), Slot());
      for (uint32_t i = 0; i < children.size(); ++i) Index(i);
    } else {
      Index(static_cast<uint32_t>(children.size() - 1));
    }
    return children.back().get();
  }

  // The slot of a folded name: its child's, else the free one where it would go.
  Slot& Find(const std::u16string& folded, uint32_t hash) {
    size_t at = hash & (index.size() - 1);
    while (index[at].second &&
           (index[at].first != hash || !EqualsIgnoreCase(children[index[at].second - 1]->name, folded)))
      at = (at + 1) & (index.size() - 1);
    return index[at];
  }

  static uint32_t Hash(const std::u16string& folded) {  // FNV-1a: names are short
    uint32_t hash = 2166136261u;
    for (char16_t c : folded) hash = (hash ^ c) * 16777619u;
    return hash;
  }

  void Index(uint32_t child) {
    const std::u16string folded = Fold(children[child]->name);
    const uint32_t hash = Hash(folded);
    Slot& slot = Find(folded, hash);
    if (!slot.second) slot = {hash, child + 1};  // the first of equal names wins
  }

  MetabaseNode* Child(const std::u16string& folded) {
    const Slot* slot = index.empty() ? nullptr : &Find(folded, Hash(folded));
    return slot && slot->second ? children[slot->second - 1].get() : nullptr;
  }

  void Touch() {
    for (MetabaseNode* node = this; node && !node->text.empty(); node = node->parent) node->text.clear();
  }

  // Sized before it is written: the texts near the root hold the whole tree, and growing them by doubling,
  // or through temporaries, copied it and touched fresh pages several times over.
  const std::string& Text() {
    if (!text.empty()) return text;
    const std::string head = "{\"name\": " + Json(ToUtf8(name)).dump() + ", \"records\": [";
    static constexpr std::string_view kChildren = "], \"children\": [";
    size_t size = head.size() + kChildren.size() + 2;
    for (const auto& record : records) size += record.text.size() + 2;
    for (const auto& child : children) size += child->Text().size() + 2;
    text.reserve(size);
    text += head;
    for (size_t i = 0; i < records.size(); ++i) (text += i ? ", " : "") += records[i].text;
    text += kChildren;
    for (size_t i = 0; i < children.size(); ++i) (text += i ? ",\n" : "\n") += children[i]->Text();
    text += "]}";
    return text;
  }
};

MetabaseEngine::MetabaseEngine(const Json& iis, double timeoutScale) : timeoutScale_(timeoutScale) {
  if (!iis.is_object() || !iis.contains("metabase")) Invalid("iis", "no \"metabase\"");
  root_ = MetabaseNode::FromJson(iis["metabase"], "iis.metabase", nullptr);
  saved_ = root_->Text();
  for (const auto& backup : ArrayField(iis, "backups", "iis")) {
    const std::string name = TextField(backup, "name", "a backup");
    const DWORD version = Number32(backup, "version", "a backup");
    if (version > MD_BACKUP_MAX_VERSION) Invalid("a backup", "\"version\" is not 0 to 9999");
    if (!backup.contains("metabase")) Invalid("a backup", "no \"metabase\"");
    MetabaseNode::FromJson(backup["metabase"], "iis.backups.metabase", nullptr);
    backups_.push_back({ToUtf16(name), version, backup.dump(), backup["metabase"].dump()});
  }
  for (const auto& key : ArrayField(iis, "heldKeys", "iis")) {
    Path path;
    ForEachName(ToUtf16(TextField(key, "path", "a held key")), [&](auto name) { path.push_back(Fold(name)); });
    handles_[++nextHandle_] = {path, Number32(key, "access", "a held key", 3), true};
  }
}

MetabaseEngine::~MetabaseEngine() = default;

MetabaseNode* MetabaseEngine::Walk(const Path& path) const {
  MetabaseNode* node = root_.get();
  for (const auto& segment : path) node = node ? node->Child(segment) : nullptr;
  return node;
}

MetabaseNode* MetabaseEngine::Find(METADATA_HANDLE handle, std::u16string_view path, HRESULT& result, Path* full) {
  MetabaseNode* node = root_.get();
  if (full) full->clear();
  if (handle != METADATA_MASTER_ROOT_HANDLE) {
    const auto found = handles_.find(handle);
    result = E_HANDLE;
    if (found == handles_.end() || found->second.held) return nullptr;
    Handle& opened = found->second;
    if (opened.generation != generation_) opened = {opened.path, opened.access, false, Walk(opened.path), generation_};
    node = opened.node;
    if (full) *full = opened.path;
  }
  ForEachName(path, [&](std::u16string_view name) {
    FoldInto(folded_, name);
    if (full) full->push_back(folded_);
    if (node) node = node->Child(folded_);
  });
  result = node ? S_OK : HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  return node;
}

const MetabaseEngine::Handle* MetabaseEngine::Writable(METADATA_HANDLE handle, HRESULT& result) const {
  const auto found = handles_.find(handle);
  const bool known = found != handles_.end() && !found->second.held;
  result = handle != METADATA_MASTER_ROOT_HANDLE && !known ? E_HANDLE : E_ACCESSDENIED;
  return known && (found->second.access & METADATA_PERMISSION_WRITE) ? &found->second : nullptr;
}

bool MetabaseEngine::Blocked(const Path& path, DWORD access, uint64_t ticket) const {
  auto conflicts = [&](const Path& other, DWORD otherAccess) {
    return ((access | otherAccess) & METADATA_PERMISSION_WRITE) && Related(path, other);
  };
  for (const auto& [number, handle] : handles_) {
    if (conflicts(handle.path, handle.access)) return true;
  }
  // First come, first served: an earlier waiter for a related key goes first.
  for (auto waiter = waiters_.begin(); waiter != waiters_.end() && waiter->ticket < ticket; ++waiter) {
    if (conflicts(*waiter->path, waiter->access)) return true;
  }
  return false;
}

void MetabaseEngine::Leave(uint64_t ticket) {
  waiters_.erase(std::find_if(waiters_.begin(), waiters_.end(), [&](auto& waiter) { return waiter.ticket == ticket; }));
}

MetabaseEngine::Clock::time_point MetabaseEngine::Deadline(DWORD milliseconds) const {
  return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                            std::chrono::duration<double, std::milli>(milliseconds * timeoutScale_));
}

HRESULT MetabaseEngine::OpenKey(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                                PMETADATA_HANDLE newHandle) {
  call.Set("handle", handle).Text("path", path).Set("access", access).Set("timeout", timeout).Set("outHandle", 0);
  if (newHandle) *newHandle = 0;
  if (auto fault = call.Fault(FromArgument(path))) return static_cast<HRESULT>(*fault);
  if (!newHandle) return E_INVALIDARG;
  HRESULT result;
  Path full;
  MetabaseNode* node = Find(handle, FromArgument(path), result, &full);
  if (!node) return result;
  const uint64_t ticket = ++nextTicket_;
  waiters_.push_back({ticket, &full, access});
  std::optional<Clock::time_point> deadline;  // from the first conflict: only the conflict counts
  while (node && Blocked(full, access, ticket)) {
    if (!deadline) deadline = Deadline(timeout);
    if (changed_.wait_until(call.lock, *deadline) == std::cv_status::timeout && Blocked(full, access, ticket)) {
      result = HRESULT_FROM_WIN32(ERROR_PATH_BUSY);
      break;
    }
    node = Walk(full);  // a restore may have taken it
  }
  if (!node) result = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  Leave(ticket);
  if (result == S_OK) {
    *newHandle = ++nextHandle_;
    handles_[*newHandle] = {std::move(full), access, false, node, generation_};
    call.Set("outHandle", *newHandle);
  }
  changed_.notify_all();
  return result;
}

HRESULT MetabaseEngine::CloseKey(Site::Call& call, METADATA_HANDLE handle) {
  call.Set("handle", handle);
  const auto found = handles_.find(handle);
  const bool known = found != handles_.end() && !found->second.held;
  if (known) handles_.erase(found);  // a planned fault frees the handle all the same
  changed_.notify_all();
  if (auto fault = call.Fault()) return static_cast<HRESULT>(*fault);
  return known ? S_OK : E_HANDLE;
}

HRESULT MetabaseEngine::AddKey(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path) {
  const std::u16string_view pathText = FromArgument(path);
  call.Set("handle", handle).Text("path", path);
  if (auto fault = call.Fault(pathText)) return static_cast<HRESULT>(*fault);
  HRESULT result;
  const Handle* writable = Writable(handle, result);
  if (!writable) return result;
  MetabaseNode* node = Find(handle, u"", result);
  if (!node) return result;
  std::vector<std::u16string> names;
  ForEachName(pathText, [&](auto name) { names.emplace_back(name); });
  // A key deeper than an image may hold could not be loaded again.
  if (names.empty() || writable->path.size() + names.size() > kMaxKeyDepth ||
      std::any_of(names.begin(), names.end(), [](auto& name) { return name.size() > kMaxKeyName; }))
    return E_INVALIDARG;
  if (Find(handle, pathText, result)) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  node->Touch();
  for (const auto& name : names) {
    MetabaseNode* child = node->Child(Fold(name));
    node = child ? child : node->Adopt(std::make_unique<MetabaseNode>(name, node));
  }
  return S_OK;
}

HRESULT MetabaseEngine::EnumKeys(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) {
  const std::u16string_view pathText = FromArgument(path);
  call.Set("handle", handle).Text("path", path).Set("index", index);
  if (auto fault = call.Fault(pathText)) return static_cast<HRESULT>(*fault);
  HRESULT result;
  const MetabaseNode* node = Find(handle, pathText, result);
  if (!node) return result;
  if (!name) return E_INVALIDARG;
  if (index >= node->children.size()) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);
  const std::u16string& child = node->children[index]->name;
  std::copy(child.begin(), child.end(), name);
  name[child.size()] = 0;
  call.Text("name", name);
  return S_OK;
}

HRESULT MetabaseEngine::GetData(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record,
                                DWORD* requiredLength) {
  const std::u16string_view pathText = FromArgument(path);
  RecordFields(call, handle, path, record).Set("requiredLength", nullptr);
  if (auto fault = call.Fault(pathText)) return static_cast<HRESULT>(*fault);
  if (!record) return E_INVALIDARG;
  HRESULT result;
  const MetabaseNode* node = Find(handle, pathText, result);
  if (!node) return result;
  auto lookup = [&](const MetabaseNode* key, bool inheritedOnly) -> const MetabaseRecord* {
    for (const auto& stored : key->records) {
      if (stored.id != record->dwMDIdentifier) continue;
      const bool matches = (record->dwMDUserType == ALL_METADATA || record->dwMDUserType == stored.userType) &&
                           (record->dwMDDataType == ALL_METADATA || record->dwMDDataType == stored.dataType);
      return matches && (!inheritedOnly || (stored.attributes & METADATA_INHERIT)) ? &stored : nullptr;
    }
    return nullptr;
  };
  const MetabaseRecord* found = lookup(node, false);
  const bool inherited = !found;
  // Else the nearest ancestor that stored the record as inheritable.
  const bool inherit = record->dwMDAttributes & METADATA_INHERIT;
  for (const MetabaseNode* key = node->parent; !found && inherit && key; key = key->parent) found = lookup(key, true);
  if (!found) return MD_ERROR_DATA_NOT_FOUND;
  const DWORD size = static_cast<DWORD>(found->bytes.size());
  if (size > 0 && (record->dwMDDataLen < size || !record->pbMDData)) {
    if (requiredLength) *requiredLength = size;
    call.Set("requiredLength", size);
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  }
  std::copy(found->bytes.begin(), found->bytes.end(), record->pbMDData);
  record->dwMDDataLen = size;
  record->dwMDAttributes = found->attributes | (inherited ? METADATA_ISINHERITED : 0);
  record->dwMDUserType = found->userType;
  record->dwMDDataType = found->dataType;
  return S_OK;
}

HRESULT MetabaseEngine::SetData(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) {
  const std::u16string_view pathText = FromArgument(path);
  RecordFields(call, handle, path, record);
  if (record && call.Journaling())
    call.Set("hex", record->pbMDData ? Json(ToHex(record->pbMDData, record->dwMDDataLen)) : Json());
  if (auto fault = call.Fault(pathText)) return static_cast<HRESULT>(*fault);
  if (!record) return E_INVALIDARG;
  HRESULT result;
  if (!Writable(handle, result)) return result;
  MetabaseNode* node = Find(handle, pathText, result);
  if (!node) return result;
  if (!WellFormed(*record)) return E_INVALIDARG;
  MetabaseRecord stored{record->dwMDIdentifier,
                        record->dwMDAttributes,
                        record->dwMDUserType,
                        record->dwMDDataType,
                        Bytes(reinterpret_cast<const char*>(record->pbMDData), record->dwMDDataLen),
                        ""};
  Json entry = {{"id", stored.id},
                {"attributes", stored.attributes},
                {"userType", stored.userType},
                {"dataType", stored.dataType}};
  PutBytes(entry, "value", MetabaseForm(stored.dataType), stored.bytes);
  stored.text = entry.dump(-1, ' ', false, Json::error_handler_t::replace);
  node->Touch();
  auto existing = std::find_if(node->records.begin(), node->records.end(),
                               [&](const MetabaseRecord& other) { return other.id == stored.id; });
  if (existing == node->records.end()) existing = node->records.insert(existing, MetabaseRecord());
  *existing = std::move(stored);  // a replaced record keeps its place
  return S_OK;
}

HRESULT MetabaseEngine::SaveData(Site::Call& call) {
  if (auto fault = call.Fault()) return static_cast<HRESULT>(*fault);
  // As IIS does, wait a while for open write handles to close; meanwhile
  // writers that come later wait behind the save, so that it is not starved.
  const uint64_t ticket = ++nextTicket_;
  static const Path everything;
  waiters_.push_back({ticket, &everything, METADATA_PERMISSION_READ});
  const bool closed = changed_.wait_until(call.lock, Deadline(kSaveWaitMilliseconds), [this] {
    return std::none_of(handles_.begin(), handles_.end(),
                        [](const auto& entry) { return entry.second.access & METADATA_PERMISSION_WRITE; });
  });
  Leave(ticket);
  changed_.notify_all();
  if (!closed) return HRESULT_FROM_WIN32(ERROR_PATH_BUSY);
  saved_ = root_->Text();
  call.site.Persist(call, *this);
  return S_OK;
}

std::vector<MetabaseEngine::StoredBackup>::iterator MetabaseEngine::FindBackup(const std::u16string& name,
                                                                               DWORD version) {
  auto best = backups_.end();
  for (auto it = backups_.begin(); it != backups_.end(); ++it) {
    if (!EqualsIgnoreCase(it->name, name)) continue;
    if (version == MD_BACKUP_HIGHEST_VERSION ? (best == backups_.end() || it->version > best->version)
                                             : it->version == version)
      best = it;
  }
  return best;
}

void MetabaseEngine::AppendBackupsText(std::string& text) const {
  text += '[';
  for (size_t i = 0; i < backups_.size(); ++i) (text += i ? ",\n" : "\n") += backups_[i].text;
  text += ']';
}

HRESULT MetabaseEngine::ChangeBackups(Site::Call& call, std::u16string_view nameText, DWORD version, DWORD flags,
                                      BackupChange change) {
  const std::u16string name(nameText);
  if (auto fault = call.Fault(std::nullopt, name)) return static_cast<HRESULT>(*fault);
  if (change == kBackup && (version == MD_BACKUP_NEXT_VERSION || version == MD_BACKUP_HIGHEST_VERSION)) {
    const auto highest = FindBackup(name, MD_BACKUP_HIGHEST_VERSION);
    version = highest == backups_.end() ? 0 : highest->version + (version == MD_BACKUP_NEXT_VERSION ? 1 : 0);
  }
  if (!ValidBackupName(name) || (change == kBackup && version > MD_BACKUP_MAX_VERSION)) return E_INVALIDARG;
  const auto found = FindBackup(name, version);
  if (change != kBackup && found == backups_.end()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  if (change == kDelete) {
    backups_.erase(found);
  } else if (change == kRestore) {
    root_ = MetabaseNode::FromJson(ParseJson(found->metabase), "backup", nullptr);
    saved_ = root_->Text();
    ++generation_;  // open handles find their keys again, if they are still there
    changed_.notify_all();
  } else if (found == backups_.end() || (flags & MD_BACKUP_OVERWRITE)) {
    StoredBackup& backup =
        found == backups_.end() ? backups_.emplace_back(StoredBackup{name, version, {}, {}}) : *found;
    backup.metabase = root_->Text();
    backup.text = "{\"name\": " + Json(ToUtf8(backup.name)).dump() + ", \"version\": " + std::to_string(version) +
                  ", \"metabase\": " + backup.metabase + "}";
  } else {
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
  }
  call.site.Persist(call, *this);
  return S_OK;
}

HRESULT MetabaseEngine::Backup(Site::Call& call, LPCWSTR name, DWORD version, DWORD flags) {
  call.Text("name", name).Set("version", version).Set("flags", flags);
  return ChangeBackups(call, FromArgument(name), version, flags, kBackup);
}

HRESULT MetabaseEngine::DeleteBackup(Site::Call& call, LPCWSTR name, DWORD version) {
  call.Text("name", name).Set("version", version);
  return ChangeBackups(call, FromArgument(name), version, 0, kDelete);
}

HRESULT MetabaseEngine::Restore(Site::Call& call, LPCWSTR name, DWORD version, DWORD flags) {
  call.Text("name", name).Set("version", version).Set("flags", flags);
  return ChangeBackups(call, FromArgument(name), version, flags, kRestore);
}

}  // namespace winsim
