#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "faults.h"
#include "host_metabase_events.h"
#include "journal.h"
#include "json.h"
#include "registry.h"
#include "metabase_engine.h"
#include "services.h"
#include "stock_image.h"

namespace winsim {

struct Caller {
  bool administrator = true;
  std::string comApartment = "none";  // "none", "STA" or "MTA"
};

// What a thread carries between platform calls. A host reset makes every
// thread's state stale, so JVM threads reused across tests start clean.
struct ThreadState {
  int number = 0;
  DWORD lastError = 0;
  uint64_t generation = 0;
  // COM: "" until the thread's first COM call, which takes the caller's
  // apartment from the image; then "none", "STA" or "MTA".
  std::string comApartment;
  int comInitializations = 0;
};

// The whole simulated machine: one object behind one lock.
class Host {
 public:
  static Host& Instance();

  std::mutex mutex;
  std::condition_variable changed;  // a handle closed or a lock cleared

  // The "disk": exactly what the image file holds, or would hold.
  Json document;
  Caller caller;
  double timeoutScale = 1.0;
  FaultPlan faults;
  Journal journal;
  ServiceManager services;
  Registry registry;
  // Null when IIS is not installed. Shared with the admin base objects.
  std::shared_ptr<MetabaseEngine> metabase;
  int comReferences = 0;  // of objects made since the last reset
  uint64_t generation = 1;

  // Replaces the state with a parsed image. Throws std::invalid_argument
  // (leaving the host unchanged) when it is not a valid image.
  void Load(const Json& image, std::string path);
  // A file that is not an image: a bare machine, and the file is left alone.
  void LoadBare(const std::string& why);
  void LoadFile(const std::string& path);

  // Writes the document to the image file, atomically; a no-op without one.
  void WriteImage();
  std::string ImageText() const;

  // Handle values are never reused within a run.
  uintptr_t NewHandleValue() { return nextHandle_ += 4; }

  ThreadState& CurrentThread();

 private:
  Host();
  HostMetabaseEvents metabaseEvents_{*this};
  std::string imagePath_;
  uintptr_t nextHandle_ = 0x1000;
  int nextThreadNumber_ = 0;
};

}  // namespace winsim
