#pragma once

#include <cstddef>
#include <string_view>

namespace Fold {

// Copies `bytes` with A-Z read as a-z, as the filters compare; written
// without branches so the compiler can vectorise it.
inline void into(std::string_view bytes, char* out)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out[i] = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0));
    }
}

} // namespace Fold
