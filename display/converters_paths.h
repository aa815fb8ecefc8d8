// The converters' single paths, run regardless of the CPU: for tests and benchmarks.
#pragma once

#include <cstdint>

// The per-pixel converters. Each gives exactly what the converter of the same
// name in converters.h gives, one pixel at a time, with no block path.
namespace plain {

void convertCopy32(const std::uint32_t* source, void* destination, std::int32_t count);
void convertSwap32(const std::uint32_t* source, void* destination, std::int32_t count);
void convertPack24(const std::uint32_t* source, void* destination, std::int32_t count);
void convertPack24Swap(const std::uint32_t* source, void* destination, std::int32_t count);
void convertRgb565(const std::uint32_t* source, void* destination, std::int32_t count);
void convertBgr565(const std::uint32_t* source, void* destination, std::int32_t count);
void convertRgb555(const std::uint32_t* source, void* destination, std::int32_t count);
void convertBgr555(const std::uint32_t* source, void* destination, std::int32_t count);

} // namespace plain

#if TESSIK_X86_SIMD
// convertCopy32 moves 32 bytes at a time where the CPU has AVX. This is its
// path for the CPUs without: SSE2 blocks of 16 bytes.
void convertCopy32Sse2(const std::uint32_t* source, void* destination, std::int32_t count);
#endif
