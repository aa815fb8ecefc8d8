// Arenas: zero-filled storage for records that live as long as their owner.
#include "runtime/arena.h"

#include "runtime/program.h"

#include <cstdint>
#include <cstdlib>

// Each block starts with this header; its pieces follow.
struct Arena::Block {
    Block* previous;
};

namespace {

// Small arenas (a test's scene of a few records) stay small; a large one
// reaches big blocks after a few steps and then adds them rarely.
constexpr std::size_t kFirstBlockBytes = 4096;
constexpr std::size_t kLargestBlockBytes = std::size_t{1} << 20;

// Bytes to skip from p to the next multiple of the alignment.
std::size_t padding(const char* p, std::size_t alignment)
{
    auto address = reinterpret_cast<std::uintptr_t>(p);
    return (alignment - address % alignment) % alignment;
}

} // namespace

Arena::Arena(const char* what)
    : what_(what), nextBlockBytes_(kFirstBlockBytes)
{
}

Arena::~Arena()
{
    while (blocks_) {
        Block* previous = blocks_->previous;
        std::free(blocks_);
        blocks_ = previous;
    }
}

void Arena::outOfMemory() const
{
    ::outOfMemory(what_);
}

void* Arena::allocate(std::size_t bytes, std::size_t alignment)
{
    if (cursor_) {
        std::size_t skip = padding(cursor_, alignment);
        std::size_t room = static_cast<std::size_t>(end_ - cursor_);
        if (skip <= room && bytes <= room - skip) {
            char* piece = cursor_ + skip;
            cursor_ = piece + bytes;
            return piece;
        }
    }

    // A new block: the usual size, or bigger for a piece that would not fit.
    std::size_t overhead = sizeof(Block) + alignment;
    if (bytes > static_cast<std::size_t>(-1) - overhead)
        outOfMemory();
    std::size_t blockBytes = bytes + overhead > nextBlockBytes_ ? bytes + overhead : nextBlockBytes_;
    auto* block = static_cast<Block*>(std::calloc(1, blockBytes));
    if (!block)
        outOfMemory();
    block->previous = blocks_;
    blocks_ = block;
    reserved_ += blockBytes;
    if (nextBlockBytes_ < kLargestBlockBytes)
        nextBlockBytes_ *= 2;

    char* start = reinterpret_cast<char*>(block) + sizeof(Block);
    char* end = reinterpret_cast<char*>(block) + blockBytes;
    char* piece = start + padding(start, alignment);
    // Later pieces go into whichever block has more room left, so an
    // outsized piece does not waste the rest of the current block.
    char* after = piece + bytes;
    if (!cursor_ || end - after > end_ - cursor_) {
        cursor_ = after;
        end_ = end;
    }
    return piece;
}
