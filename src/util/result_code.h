#pragma once

#include <cstdint>

// 0 is success, 1 the library's own failure; anything else is a platform
// status passed through unchanged.
using ResultCode = std::int32_t;

constexpr ResultCode kSuccess = 0;
constexpr ResultCode kFailure = 1;
