#include "system/machine_environment.h"

#include "system/registry_key.h"
#include "util/list_edits.h"

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
  environment.SetExpandStringValue(TEXT("Path"), WithoutFieldsContaining(current, kSeparator, directory));
}
