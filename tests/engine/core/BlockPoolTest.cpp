#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "engine/core/BlockPool.h"
#include "engine/core/SanitizerPoison.h"

using namespace engine;

TEST(BlockPool, ServesFromFirstBlockAndReusesFreedChunks)
{
    CBlockPool pool(16, 4);
    const size_t first_block = pool.GetBlockSize();
    void* a = pool.Alloc(16);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(pool.GetBlockCount(), 1u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
    std::memset(a, 0xAB, 16);
    ASSERT_TRUE(pool.Free(a));
    // The freed chunk is at the front of the free list and is handed out again.
    EXPECT_EQ(pool.Alloc(16), a);
    EXPECT_EQ(pool.GetBlockSize(), first_block);
}

TEST(BlockPool, FullBlockAppendsADoubledBlock)
{
    CBlockPool pool(16, 4);
    const size_t block_size = pool.GetBlockSize();
    std::set<void*> taken;
    for (int i = 0; i < 4; ++i)
        taken.insert(pool.Alloc(16));
    EXPECT_EQ(pool.GetBlockCount(), 1u);
    void* fifth = pool.Alloc(16);
    ASSERT_NE(fifth, nullptr);
    EXPECT_EQ(taken.count(fifth), 0u);
    EXPECT_EQ(pool.GetBlockCount(), 2u);
    EXPECT_EQ(pool.GetBlockSize(), block_size * 2);
    EXPECT_EQ(pool.GetTotalBytes(), block_size * 2);
}

TEST(BlockPool, RefusesDoubleFreeAndForeignMemory)
{
    CBlockPool pool(32, 8);
    CBlockPool other(32, 8);
    void* a = pool.Alloc(32);
    const size_t used = CBlockPool::GetUsedBytes();
    EXPECT_TRUE(pool.IsTaken(a));
    EXPECT_FALSE(pool.IsTaken(static_cast<char*>(a) + 16));
    EXPECT_TRUE(pool.Free(a));
    EXPECT_FALSE(pool.IsTaken(a));
    EXPECT_EQ(CBlockPool::GetUsedBytes(), used - 32);
    EXPECT_FALSE(pool.Free(a));
    EXPECT_EQ(CBlockPool::GetUsedBytes(), used - 32);
    void* b = other.Alloc(32);
    EXPECT_FALSE(pool.Free(b));
    int on_stack = 0;
    EXPECT_FALSE(pool.Free(&on_stack));
    EXPECT_FALSE(pool.Free(static_cast<char*>(pool.Alloc(32)) + 4));
    // A double free must not hand the same chunk out twice.
    void* c = pool.Alloc(32);
    void* d = pool.Alloc(32);
    EXPECT_NE(c, d);
}

TEST(BlockPool, CountersFollowAllocResetAndDestruction)
{
    const size_t reserved = CBlockPool::GetReservedBytes();
    const size_t used = CBlockPool::GetUsedBytes();
    {
        CBlockPool pool(100, 2);
        EXPECT_EQ(CBlockPool::GetReservedBytes(), reserved + pool.GetTotalBytes());
        ASSERT_NE(pool.Alloc(100), nullptr);
        ASSERT_NE(pool.Alloc(50), nullptr);
        EXPECT_GT(CBlockPool::GetUsedBytes(), used);
        pool.Reset();
        EXPECT_EQ(CBlockPool::GetUsedBytes(), used);
        EXPECT_EQ(pool.GetFreeBytes(), pool.GetTotalBytes());
        ASSERT_NE(pool.Alloc(100), nullptr);
    }
    EXPECT_EQ(CBlockPool::GetReservedBytes(), reserved);
    EXPECT_EQ(CBlockPool::GetUsedBytes(), used);
    CBlockPool pool(8, 1);
    EXPECT_EQ(pool.Alloc(size_t { 1 } << 40), nullptr);
}

TEST(BlockPool, FreeChunksArePoisonedForAddressSanitizer)
{
    if (!IsAddressSanitizerBuild())
        GTEST_SKIP() << "only the sanitizer build poisons free chunks";
    CBlockPool pool(32, 4);
    auto* a = static_cast<std::byte*>(pool.Alloc(32));
    auto* b = static_cast<std::byte*>(pool.Alloc(32));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(IsMemoryPoisoned(a));
    EXPECT_FALSE(IsMemoryPoisoned(a + 31));
    ASSERT_TRUE(pool.Free(a));
    // A use after free inside the pool is now an AddressSanitizer report.
    EXPECT_TRUE(IsMemoryPoisoned(a));
    EXPECT_TRUE(IsMemoryPoisoned(a + 31));
    EXPECT_FALSE(IsMemoryPoisoned(b));
    // Checking a freed or a foreign pointer reads no poisoned memory.
    EXPECT_FALSE(pool.Free(a));
    EXPECT_FALSE(pool.Free(a + 16));
    EXPECT_EQ(pool.Alloc(32), a);
    EXPECT_FALSE(IsMemoryPoisoned(a + 31));
    pool.Reset();
    EXPECT_TRUE(IsMemoryPoisoned(b));
}
