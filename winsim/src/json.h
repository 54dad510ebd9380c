#pragma once

#include <nlohmann/json.hpp>

namespace winsim {

// Ordered, so that an image written back keeps the order it was loaded in.
using Json = nlohmann::ordered_json;

}  // namespace winsim
