// Arenas: zero-filled storage for records that live as long as their owner.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

// Hands out zero-filled pieces of large blocks, one after another, so records
// made one after the other sit next to each other in memory. A piece never
// moves and is never freed on its own: every block goes when the arena does.
// Running out of memory ends the program with a message naming the arena.
class Arena {
public:
    explicit Arena(const char* what);
    ~Arena();
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // `bytes` zero bytes aligned to `alignment` (a power of two).
    void* allocate(std::size_t bytes, std::size_t alignment);

    // Bytes obtained from the system so far, block headers included; grows
    // only when a block is added.
    std::size_t reservedBytes() const { return reserved_; }

    // Ends the program with a message naming this arena.
    [[noreturn]] void outOfMemory() const;

private:
    struct Block;

    const char* what_;
    Block* blocks_ = nullptr;     // newest first
    char* cursor_ = nullptr;      // free space of the current block
    char* end_ = nullptr;
    std::size_t nextBlockBytes_;  // grows with every block, up to a limit
    std::size_t reserved_ = 0;
};

// A new record of a plain type with every field zero, stored in the arena.
// Its destructor never runs, so the type must not need one.
template <class T>
T* newRecord(Arena& arena)
{
    static_assert(std::is_trivially_destructible_v<T>, "arena records are never destroyed");
    return ::new (arena.allocate(sizeof(T), alignof(T))) T{};
}

// `count` zero elements of a plain type, aligned to at least `alignment`.
template <class T>
T* newArray(Arena& arena, std::size_t count, std::size_t alignment = alignof(T))
{
    static_assert(std::is_trivial_v<T>, "arena arrays hold plain values");
    if (count > static_cast<std::size_t>(-1) / sizeof(T))
        arena.outOfMemory();
    void* storage = arena.allocate(count * sizeof(T), alignment < alignof(T) ? alignof(T) : alignment);
    return ::new (storage) T[count]();
}
