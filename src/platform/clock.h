// The one clock of the library: milliseconds of the performance counter.
#pragma once

#include <cstdint>

namespace plat {

// The low 32 bits of the milliseconds counted so far; compare differences unsigned.
uint32_t milliseconds();

}  // namespace plat
