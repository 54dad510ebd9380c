// The in-process control surface of the simulated host, for tests only.
// The production library never exports it.
#pragma once

#include <winsim/win32_base.h>

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

// Replaces the whole host with the image given as JSON text. Throws
// std::invalid_argument, leaving the host as it was, when the text is not a
// valid image. Clears every thread's COM state, the fault counters, the open
// resources and the in-memory journal; nothing is written back to a file.
WINSIM_API void ResetHost(const std::string& image);
WINSIM_API void ResetHostToStock();

// Loads the host from an image file exactly as WINSIM_HOST does at start-up
// (stock image when missing, bare machine when invalid) and writes back to it.
WINSIM_API void ResetHostFromFile(const std::string& path);

WINSIM_API std::string StockImage();

// The image as the host would write it now.
WINSIM_API std::string HostImage();

// The journal lines written since the last reset, in completion order. A
// reset from here keeps them; KeepJournal(false) stops that (for benchmarks
// and fuzzers) until KeepJournal(true). Started from WINSIM_HOST alone, the
// host keeps none.
WINSIM_API std::vector<std::string> JournalLines();
WINSIM_API void KeepJournal(bool keep);

WINSIM_API OpenResources CountOpenResources();

}  // namespace winsim
