#include "system/jakarta_registry_entries.h"

#include "system/registry_key.h"

namespace {

bool CreateKeyChain() {
  RegistryKey software(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE"));
  return software.CreateSubKey(TEXT("Apache Software Foundation")) &&
         software.CreateSubKey(TEXT("Apache Software Foundation\\Jakarta Isapi Redirector")) &&
         software.CreateSubKey(TEXT("Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"));
}

void DeleteSubKey(const WideString& parent, const WideString& name) {
  RegistryKey key(HKEY_LOCAL_MACHINE, parent);
  key.DeleteSubKey(name);
}

}  // namespace

void CreateJakartaRegistryEntries(const WideString& logFile, const WideString& workerFile,
                                  const WideString& workerMountFile, const WideString& extensionFileName) {
  if (!CreateKeyChain()) return;
  RegistryKey key(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector\\1.0"));
  if (!key.IsOpen()) return;
  // Each value is tried whatever the one before gave.
  key.SetStringValue(TEXT("log_file"), logFile);
  key.SetStringValue(TEXT("log_level"), TEXT("error"));
  key.SetStringValue(TEXT("worker_file"), workerFile);
  key.SetStringValue(TEXT("worker_mount_file"), workerMountFile);
  key.SetStringValue(TEXT("extension_uri"), TEXT("/jakarta/") + extensionFileName);
}

void RemoveJakartaRegistryEntries() {
  DeleteSubKey(TEXT("SOFTWARE\\Apache Software Foundation\\Jakarta Isapi Redirector"), TEXT("1.0"));
  DeleteSubKey(TEXT("SOFTWARE\\Apache Software Foundation"), TEXT("Jakarta Isapi Redirector"));
  DeleteSubKey(TEXT("SOFTWARE"), TEXT("Apache Software Foundation"));
}
