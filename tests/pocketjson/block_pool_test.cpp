#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "pocketjson/block_pool.h"
#include "pocketjson/json.h"

// What the program holds through operator new, where the pool gets its chunks.
namespace {
std::atomic<std::int64_t> gHeldBytes{0};
}

void* operator new(std::size_t size) {
    void* const block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    gHeldBytes += static_cast<std::int64_t>(malloc_usable_size(block));
    return block;
}
void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    gHeldBytes -= static_cast<std::int64_t>(malloc_usable_size(block));
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace pocketjson {
namespace {

TEST(BlockPool, EverySizeGetsDistinctAlignedBlocksThatHoldAllItsBytes) {
    for (const std::size_t size : {0, 1, 7, 8, 9, 16, 17, 40, 56, 80, 127, 128, 129, 1000}) {
        std::vector<unsigned char*> blocks;
        for (int i = 0; i < 3000; ++i) {
            auto* const block = static_cast<unsigned char*>(takeBlock(size));
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kPooledBlockAlignment, 0u) << size;
            std::memset(block, i & 0xFF, size);
            blocks.push_back(block);
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            for (std::size_t at = 0; at < size; ++at) {
                ASSERT_EQ(blocks[i][at], i & 0xFF) << "block " << i << " of " << size << " bytes, byte " << at;
            }
        }
        for (unsigned char* block : blocks) returnBlock(block, size);
    }
}

std::string document(int members) {
    std::string text = "{";
    for (int i = 0; i < members; ++i) {
        text += (i > 0 ? ",\"member " : "\"member ") + std::to_string(i) + "\":[\"a text too long to be short\"]";
    }
    return text + "}";
}

// A value made on one thread and dropped on another, both threads ending:
// the blocks must come back for the next threads' values, whether the
// dropping thread kept them or handed them on.
TEST(BlockPool, BlocksOfEndedThreadsAreUsedAgain) {
    const std::string text = document(20000);
    std::int64_t heldAfterWarmUp = 0;
    for (int round = 0; round < 12; ++round) {
        Value value;
        std::thread([&] { ASSERT_TRUE(parseJson(value, text)); }).join();
        ASSERT_EQ(value.size(), 20000u);
        std::thread([moved = std::move(value)]() mutable { moved = Value(); }).join();
        if (round == 1) heldAfterWarmUp = gHeldBytes.load();
    }
    EXPECT_LE(gHeldBytes.load(), heldAfterWarmUp + (1 << 20));
}

}  // namespace
}  // namespace pocketjson
