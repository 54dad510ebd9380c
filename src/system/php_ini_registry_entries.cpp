#include "system/php_ini_registry_entries.h"

#include "system/registry_key.h"

namespace {

bool CreatePhpKey() {
  RegistryKey software(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE"));
  return software.CreateSubKey(TEXT("PHP"));
}

}  // namespace

void CreatePhpIniRegistryEntries(const WideString& iniLocation) {
  if (!CreatePhpKey()) return;
  RegistryKey php(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\PHP"));
  php.SetStringValue(TEXT("IniFilePath"), iniLocation);
}

void RemovePhpIniRegistryEntries() {
  RegistryKey software(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE"));
  software.DeleteSubKey(TEXT("PHP"));
}
