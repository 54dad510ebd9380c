#pragma once

#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::ordered_json;

// Reading and editing the metabase part of a host image in tests.

// The key at an absolute path in the image's saved metabase, or null.
const Json* ImageKey(const Json& image, const std::string& path);
Json* ImageKey(Json& image, const std::string& path);
// The record with that identifier on the key, or null.
const Json* ImageRecord(const Json& image, const std::string& path, int id);

// Edits of a copy of the stock image.
Json WithKey(Json image, const std::string& parentPath, const Json& key);
Json WithoutKey(Json image, const std::string& path);
Json WithRecord(Json image, const std::string& path, const Json& record);
Json WithFault(Json image, const Json& fault);
Json WithHeldKey(Json image, const std::string& path, int access);
Json WithTimeoutScale(Json image, double scale);

// A key of the image format.
Json Key(const std::string& name, Json records = Json::array(), Json children = Json::array());
Json StringRecord(int id, int attributes, int userType, const std::string& value);
