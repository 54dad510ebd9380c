#pragma once

#include <string>

#include "support/host_fixture.h"

// Registry keys of an image by their "\"-separated path under
// HKEY_LOCAL_MACHINE, names compared exactly.

// The key, or null when the image does not have it.
Json RegistryKeyAt(const Json& image, const std::string& path);
// The value's image form, or null when the key or value is missing.
Json RegistryValueAt(const Json& image, const std::string& path, const std::string& name);
// The image with the key (and the keys above it) present.
Json WithRegistryKey(Json image, const std::string& path);
// The image with the value set, its key created when missing.
Json WithRegistryValue(Json image, const std::string& path, const Json& value);
Json WithoutRegistryValue(Json image, const std::string& path, const std::string& name);

extern const char kEnvironmentKey[];
