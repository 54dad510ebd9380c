#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "json.h"
#include "metabase_events.h"
#include "metabase_node.h"

namespace winsim {

// The fields of a METADATA_RECORD, without the platform's header, so that the
// engine builds wherever standard C++ does.
struct MetadataRecord {
  uint32_t identifier = 0;
  uint32_t attributes = 0;
  uint32_t userType = 0;
  uint32_t dataType = 0;
  uint32_t dataLength = 0;
  uint8_t* data = nullptr;
};

// The IIS metabase: keys, records, handles with their locks, saving and named
// backups. Every method is one IMSAdminBaseW call, journalled through the
// events, and returns its HRESULT. Thread-safe; a conflicting open waits
// (really) for up to its time-out times the scale.
class MetabaseEngine {
 public:
  // Throws std::invalid_argument when the image's "iis" section is malformed.
  MetabaseEngine(const Json& iis, double timeoutScale, MetabaseEvents& events);
  MetabaseEngine(const MetabaseEngine&) = delete;
  MetabaseEngine& operator=(const MetabaseEngine&) = delete;

  int32_t OpenKey(uint32_t handle, const char16_t* path, uint32_t access, uint32_t timeout, uint32_t* newHandle);
  int32_t CloseKey(uint32_t handle);
  int32_t AddKey(uint32_t handle, const char16_t* path);
  int32_t EnumKeys(uint32_t handle, const char16_t* path, char16_t* name, uint32_t index);
  int32_t GetData(uint32_t handle, const char16_t* path, MetadataRecord* record, uint32_t* requiredLength);
  int32_t SetData(uint32_t handle, const char16_t* path, const MetadataRecord* record);
  int32_t SaveData();
  int32_t Backup(const char16_t* name, uint32_t version, uint32_t flags);
  int32_t DeleteBackup(const char16_t* name, uint32_t version);
  int32_t Restore(const char16_t* name, uint32_t version, uint32_t flags);

  // Handles opened by callers and not yet closed; held keys do not count.
  int OpenHandles();

 private:
  using Path = std::vector<std::u16string>;
  using Clock = std::chrono::steady_clock;
  struct Handle {
    Path path;
    uint32_t access = 0;
    bool held = false;
  };
  struct Waiter {
    uint64_t ticket;
    Path path;
    uint32_t access;
  };
  struct StoredBackup {
    std::u16string name;
    uint32_t version;
    Json metabase;
  };

  // The key a handle and a relative path name; false for an unknown handle.
  bool Resolve(uint32_t handle, const char16_t* path, Path& full) const;
  bool Blocked(const Path& path, uint32_t access, uint64_t ticket) const;
  bool AnyWriteHandle() const;
  Clock::duration Scaled(uint32_t milliseconds) const;
  std::vector<StoredBackup>::iterator FindBackup(const std::u16string& name, uint32_t version);
  Json BackupsJson() const;
  // Consults the fault plan, runs the body unless a fault falls on the call,
  // and journals the call with the fields the body filled in.
  template <typename Body>
  int32_t Journaled(const char* call, const std::u16string* path, const std::u16string* name, Json fields, Body&& body);
  // Runs a change of the "metabase" or "backups" part under the lock and,
  // when it succeeds, persists that part's new state outside the lock.
  template <typename Change>
  int32_t ChangeAndPersist(const std::string& part, Change&& change);
  // Hands a snapshot to the events unless a newer one of that part went first.
  void Persist(const std::string& part, Json value, uint64_t sequence);

  MetabaseEvents& events_;
  const double timeoutScale_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::unique_ptr<MetabaseNode> root_;
  std::map<uint32_t, Handle> handles_;
  std::list<Waiter> waiters_;
  std::vector<StoredBackup> backups_;
  uint32_t nextHandle_ = 0;
  uint64_t nextTicket_ = 0;
  uint64_t nextSequence_ = 0;

  std::mutex persistMutex_;
  std::map<std::string, uint64_t> persisted_;
};

}  // namespace winsim
