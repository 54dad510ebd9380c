#pragma once

#include "platform.h"

// Owns one registry key, opened for reading and writing values in the
// constructor and closed by the destructor. A key that did not open answers
// every call with false and makes no platform call; a failed read leaves the
// text it was given unchanged.
//
//   RegistryKey key(HKEY_LOCAL_MACHINE, TEXT("SOFTWARE\\PHP"));
//   key.SetStringValue(TEXT("IniFilePath"), location);
class RegistryKey {
 public:
  RegistryKey(HKEY root, const WideString& subKeyPath);
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey();

  bool IsOpen() const { return openStatus_ == ERROR_SUCCESS; }

  bool SetStringValue(const WideString& name, const WideString& text);
  bool SetExpandStringValue(const WideString& name, const WideString& text);
  // Any stored type is taken as text, up to its first NUL; an expandable
  // value is not expanded. A value of zero bytes is read as success without
  // touching the text.
  bool QueryStringValue(const WideString& name, WideString& text);
  // Creates the subkey (and any missing keys on its path) and closes it again.
  bool CreateSubKey(const WideString& name);
  // Fails on a subkey that has subkeys of its own.
  bool DeleteSubKey(const WideString& name);

 private:
  bool SetText(const WideString& name, DWORD type, const WideString& text);

  LSTATUS openStatus_ = ERROR_FILE_NOT_FOUND;
  HKEY handle_ = nullptr;
};
