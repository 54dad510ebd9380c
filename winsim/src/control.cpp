#include <winsim/control.h>

#include <cstdlib>
#include <stdexcept>

#include "host.h"

namespace winsim {
namespace {

void RefreshJournalFile(Host& host) {
  const char* path = std::getenv("WINSIM_JOURNAL");
  host.journal.SetFile(path ? path : "");
}

}  // namespace

void ResetHost(const std::string& image) {
  Json parsed;
  try {
    parsed = Json::parse(image);
  } catch (const Json::parse_error& e) {
    throw std::invalid_argument(e.what());
  }
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  host.Load(parsed, "");
  RefreshJournalFile(host);
}

void ResetHostToStock() { ResetHost(StockImageText()); }

void ResetHostFromFile(const std::string& path) {
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  host.LoadFile(path);
  RefreshJournalFile(host);
}

std::string StockImage() { return StockImageText(); }

std::string HostImage() {
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  return host.ImageText();
}

std::vector<std::string> JournalLines() {
  auto& host = Host::Instance();
  std::lock_guard<std::mutex> lock(host.mutex);
  return host.journal.Lines();
}

OpenResources CountOpenResources() {
  auto& host = Host::Instance();
  OpenResources open;
  std::shared_ptr<MetabaseEngine> metabase;
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    open.serviceHandles = static_cast<int>(host.services.handles.size());
    open.comReferences = host.comReferences;
    open.registryKeys = static_cast<int>(host.registry.handles.size());
    metabase = host.metabase;
  }
  // Outside the host lock: the engine takes that lock while it holds its own.
  if (metabase) open.metabaseHandles = metabase->OpenHandles();
  return open;
}

}  // namespace winsim
