#pragma once

#include <cstdint>
#include <functional>

namespace qlx::conversion {

enum class Phase { loading, parsing };

// Called now and then during long work with the work done and the work in all (bytes).
// Returning false cancels the work.
using Progress = std::function<bool(Phase phase, std::uint64_t done, std::uint64_t total)>;

}  // namespace qlx::conversion
