#pragma once

#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::ordered_json;

// Reading and editing host images in tests. Metabase paths are absolute and
// "/"-separated, names compared without case; registry paths are
// "\"-separated under HKEY_LOCAL_MACHINE, names compared exactly.

// The key, or null when the image does not have it.
const Json* ImageKey(const Json& image, const std::string& path);
Json* ImageKey(Json& image, const std::string& path);
// The record with that identifier on the key, or null.
const Json* ImageRecord(const Json& image, const std::string& path, int id);
Json RegistryKeyAt(const Json& image, const std::string& path);
// The value's image form, or null when the key or value is missing.
Json RegistryValueAt(const Json& image, const std::string& path, const std::string& name);

// Edits of a copy of an image; registry keys are created as needed.
Json WithKey(Json image, const std::string& parentPath, const Json& key);
Json WithoutKey(Json image, const std::string& path);
Json WithRecord(Json image, const std::string& path, const Json& record);
Json WithoutRecord(Json image, const std::string& path, int id);
Json WithFault(Json image, const Json& fault);
Json WithHeldKey(Json image, const std::string& path, int access);
Json WithTimeoutScale(Json image, double scale);
Json WithRegistryKey(Json image, const std::string& path);
Json WithRegistryValue(Json image, const std::string& path, const Json& value);
Json WithoutRegistryValue(Json image, const std::string& path, const std::string& name);

// The value of a metabase record in the image, or null.
Json Value(const Json& image, const std::string& path, int id);

Json WithApartment(Json image, const char* apartment);
// The image with one service's fields replaced.
Json WithService(Json image, const std::string& name, const Json& fields);

// Keys, records and registry values of the image format. Data types: 1 DWORD,
// 2 string, 5 multi-string.
Json Key(const std::string& name, Json records = Json::array(), Json children = Json::array());
Json Record(int id, int attributes, int userType, int dataType, Json value);
Json StringRecord(int id, int attributes, int userType, const std::string& value);
Json ListRecord(int id, Json entries, int attributes = 1, int userType = 2);
Json ScriptMaps(Json entries, int attributes = 1);
Json Dword(int id, int value);
Json Text(const std::string& name, const std::string& data);

inline constexpr char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
