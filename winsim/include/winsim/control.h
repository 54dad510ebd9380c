// The simulated host's in-process control surface, for tests; the library never exports it.
#pragma once

#include <winsim/windows.h>

#include <string>
#include <vector>

namespace winsim {

// Every platform resource the host still counts as open.
struct OpenResources {
  int metabaseHandles = 0;
  int registryKeys = 0;
  int serviceHandles = 0;
  int comReferences = 0;
  int Total() const { return metabaseHandles + registryKeys + serviceHandles + comReferences; }
};

// Replaces the whole host, COM state, faults, resources and journal included,
// writing nothing; std::invalid_argument, changing nothing, for an invalid image.
WINSIM_API void ResetHost(const std::string& image);
WINSIM_API void ResetHostToStock();

// Loads and writes back an image file exactly as WINSIM_HOST does at start-up.
WINSIM_API void ResetHostFromFile(const std::string& path);

WINSIM_API std::string StockImage();

// The image as the host would write it now.
WINSIM_API std::string HostImage();

// The journal since the last reset from here; none after KeepJournal(false)
// (for benchmarks and fuzzers), nor when started from WINSIM_HOST alone.
WINSIM_API std::vector<std::string> JournalLines();
WINSIM_API void KeepJournal(bool keep);

WINSIM_API OpenResources CountOpenResources();

}  // namespace winsim
