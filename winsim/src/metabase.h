#pragma once

#include <winsim/metabase_interface.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "site.h"

namespace winsim {

struct MetabaseNode;

// The IIS metabase. Each method is one IMSAdminBaseW call made under `call`;
// a conflicting open really waits, with the site's lock released.
class MetabaseEngine {
 public:
  // Throws std::invalid_argument when the image's "iis" section is malformed.
  MetabaseEngine(const Json& iis, double timeoutScale);
  ~MetabaseEngine();

  HRESULT OpenKey(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                  PMETADATA_HANDLE newHandle);
  HRESULT CloseKey(Site::Call& call, METADATA_HANDLE handle);
  HRESULT AddKey(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path);
  HRESULT EnumKeys(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index);
  HRESULT GetData(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record,
                  DWORD* requiredLength);
  HRESULT SetData(Site::Call& call, METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record);
  HRESULT SaveData(Site::Call& call);
  HRESULT Backup(Site::Call& call, LPCWSTR name, DWORD version, DWORD flags);
  HRESULT DeleteBackup(Site::Call& call, LPCWSTR name, DWORD version);
  HRESULT Restore(Site::Call& call, LPCWSTR name, DWORD version, DWORD flags);

  // The rest under the site's lock, too.
  int OpenHandles() const {  // held keys do not count
    return static_cast<int>(
        std::count_if(handles_.begin(), handles_.end(), [](auto& entry) { return !entry.second.held; }));
  }
  // The image's "metabase" as last saved and its "backups", serialized.
  const std::string& SavedText() const { return saved_; }
  // Appended, not returned: the backups can be as large as the metabase itself.
  void AppendBackupsText(std::string& text) const;
  bool HasBackups() const { return !backups_.empty(); }

 private:
  using Path = std::vector<std::u16string>;  // folded names from the root
  using Clock = std::chrono::steady_clock;
  struct Handle {
    Path path;
    DWORD access = 0;
    bool held = false;
    MetabaseNode* node = nullptr;  // the key, while `generation` is the engine's
    uint64_t generation = 0;
  };
  struct Waiter {
    uint64_t ticket;
    const Path* path;
    DWORD access;
  };
  struct StoredBackup {
    std::u16string name;
    DWORD version;
    std::string text;  // the whole entry, serialized
    std::string metabase;
  };

  // The key a handle and a relative path name, and its folded path; else null and the status.
  MetabaseNode* Find(METADATA_HANDLE handle, std::u16string_view path, HRESULT& result, Path* full = nullptr);
  MetabaseNode* Walk(const Path& path) const;
  const Handle* Writable(METADATA_HANDLE handle, HRESULT& result) const;
  bool Blocked(const Path& path, DWORD access, uint64_t ticket) const;
  Clock::time_point Deadline(DWORD milliseconds) const;
  void Leave(uint64_t ticket);
  std::vector<StoredBackup>::iterator FindBackup(const std::u16string& name, DWORD version);
  enum BackupChange { kBackup, kDelete, kRestore };
  HRESULT ChangeBackups(Site::Call& call, std::u16string_view name, DWORD version, DWORD flags, BackupChange change);

  const double timeoutScale_;
  std::condition_variable changed_;
  std::unique_ptr<MetabaseNode> root_;
  std::string saved_;
  std::map<METADATA_HANDLE, Handle> handles_;
  std::vector<Waiter> waiters_;  // by ticket: first come, first served
  std::u16string folded_;        // Find's, kept to spare an allocation per call
  uint64_t generation_ = 1;      // a restore replaces every key
  std::vector<StoredBackup> backups_;
  METADATA_HANDLE nextHandle_ = 0;
  uint64_t nextTicket_ = 0;
};

}  // namespace winsim
