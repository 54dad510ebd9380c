#include "server_objects.h"

#include <atomic>
#include <mutex>

namespace winsim {
namespace {

std::mutex metabaseMutex;
std::weak_ptr<ServerMetabase> current;
std::atomic<long> objects{0};
std::atomic<long> locks{0};

}  // namespace

std::shared_ptr<ServerMetabase> ServerObjects::Metabase() {
  std::lock_guard<std::mutex> lock(metabaseMutex);
  std::shared_ptr<ServerMetabase> metabase = current.lock();
  if (!metabase) {
    metabase = std::make_shared<ServerMetabase>();
    current = metabase;
  }
  return metabase;
}

void ServerObjects::Add() { ++objects; }

void ServerObjects::Remove() { --objects; }

void ServerObjects::Lock(bool lock) {
  if (lock) {
    ++locks;
  } else {
    --locks;
  }
}

bool ServerObjects::CanUnload() { return objects == 0 && locks == 0; }

}  // namespace winsim
