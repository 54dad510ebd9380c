#pragma once

#include <winsim/control.h>
#include <winsim/windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "codec.h"
#include "metabase.h"
#include "site.h"

namespace winsim {

// The simulated machine, one per process, its state reached through a Host::Call.
class Host final : public Site {
 public:
  class Call;
  static Host& Instance();

  void Persist(Site::Call& call, const MetabaseEngine& metabase) override;

  struct RegistryHandle {
    std::vector<std::u16string> path;  // the stored names from the hive down
    REGSAM access = 0;
  };
  struct ServiceHandle {
    bool manager = true;
    DWORD granted = 0;
    size_t service = 0;
  };
  struct State {
    // The image as it will be written, but for the metabase and backups the engine keeps.
    Json document;
    bool administrator = true;
    std::string comApartment = "none";         // "none", "STA" or "MTA"
    std::shared_ptr<MetabaseEngine> metabase;  // null when IIS is not installed
    std::map<uintptr_t, RegistryHandle> registryKeys;
    std::map<uintptr_t, ServiceHandle> services;
    std::string imagePath;          // empty: nothing is written
    uintptr_t nextHandle = 0x1000;  // handle values are never reused within a run

    void WriteImage() const;
  };

 private:
  // The control API; a reset keeps the journal in memory unless KeepJournal(false).
  friend void ResetHost(const std::string&);
  friend void ResetHostToStock();
  friend void ResetHostFromFile(const std::string&);
  friend void KeepJournal(bool);
  friend std::string HostImage();
  friend std::vector<std::string> JournalLines();
  friend OpenResources CountOpenResources();
  Host();
  // Of an image whose depth was checked; throws std::invalid_argument, leaving the host as it was.
  void Load(const Json& image, std::string path);
  void LoadFile(const std::string& path);
  template <typename Loading>
  void ControlledReset(Loading load);
  State state_;
  std::optional<bool> keepJournal_;
};

// What a thread carries between platform calls; a host reset makes it stale.
struct ThreadState {
  DWORD lastError = 0;
  uint64_t generation = 0;
  std::string comApartment;  // "" until the thread's first COM call
};

class Host::Call : public Site::Call {
 public:
  explicit Call(const char* name);
  State& state;
  ThreadState& thread;
  std::shared_ptr<Site> site() {
    return std::shared_ptr<Site>(&Host::Instance(), [](Site*) {});
  }

  // Completes the call with a result and makes the error the thread's last.
  void Fail(Json result, DWORD lastError);
  uintptr_t NewHandle() { return state.nextHandle += 4; }
};

}  // namespace winsim
