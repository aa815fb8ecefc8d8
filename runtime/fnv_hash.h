// The 64-bit FNV-1a hash, for fingerprints of frames and of scene states.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes are added in order; any change of any byte changes the value.
struct FnvHash {
    std::uint64_t value = 0xcbf29ce484222325; // the offset basis

    void addByte(std::uint8_t byte)
    {
        value ^= byte;
        value *= 0x100000001b3; // the FNV prime
    }
    void addBytes(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i)
            addByte(bytes[i]);
    }
};
