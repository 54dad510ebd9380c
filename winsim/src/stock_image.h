#pragma once

#include <string>

namespace winsim {

// The built-in image of a fresh IIS 6 machine, embedded at build time.
std::string StockImageText();

}  // namespace winsim
