#include "system/machine_environment.h"

#include "system/registry_key.h"

namespace {

const WCHAR kEnvironmentKey[] = TEXT("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment");
constexpr WCHAR kSeparator = TEXT(';');
constexpr UINT kBroadcastTimeoutMs = 10;

bool Contains(const WideString& text, const WideString& part) { return text.find(part) != WideString::npos; }

void BroadcastEnvironmentChange() {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(TEXT("Environment")),
                      SMTO_ABORTIFHUNG, kBroadcastTimeoutMs, &answer);
}

WideString WithoutEntriesContaining(const WideString& path, const WideString& directory) {
  WideString kept;
  WideString entry;
  auto finishEntry = [&] {
    if (!entry.empty() && !Contains(entry, directory)) {
      if (!kept.empty()) kept += kSeparator;
      kept += entry;
    }
    entry.clear();
  };
  for (WCHAR c : path) {
    if (c == kSeparator) {
      finishEntry();
    } else {
      entry += c;
    }
  }
  finishEntry();
  return kept;
}

}  // namespace

void AddPathToEnvironment(const WideString& directory) {
  if (directory.empty()) return;
  RegistryKey environment(HKEY_LOCAL_MACHINE, kEnvironmentKey);
  if (!environment.IsOpen()) return;
  environment.SetStringValue(TEXT("PHPRC"), directory);
  WideString path = directory;
  WideString current;
  if (environment.QueryStringValue(TEXT("Path"), current)) {
    if (Contains(current, directory)) {
      path = current;
    } else if (!current.empty()) {
      path = directory + kSeparator + current;
    }
  }
  if (environment.SetExpandStringValue(TEXT("Path"), path)) BroadcastEnvironmentChange();
}

void RemovePathFromEnvironment(const WideString& directory) {
  if (directory.empty()) return;
  RegistryKey environment(HKEY_LOCAL_MACHINE, kEnvironmentKey);
  if (!environment.IsOpen()) return;
  WideString current;
  if (!environment.QueryStringValue(TEXT("Path"), current)) return;
  environment.SetExpandStringValue(TEXT("Path"), WithoutEntriesContaining(current, directory));
}
