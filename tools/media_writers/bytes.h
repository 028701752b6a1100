#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// The bytes of a file or of a part of one, as the writers build them.
using Bytes = std::vector<std::uint8_t>;

// The bytes as the text that Sandbox::WriteFile takes.
inline std::string_view AsText(const Bytes& bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}
