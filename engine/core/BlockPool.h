#pragma once
// CBlockPool: a pooled allocator of small records taken from a few large
// blocks, with process-wide counters of reserved and used bytes.
//
// Owner: whoever creates it (the object, input, paint and music modules, the
// rich-text view). Not thread-safe: one thread (the UI thread) per pool; the
// process-wide counters are atomics so the system board may read them.
//
// Each chunk, free or handed out, starts with a header (size, state, next
// free chunk) followed by the caller's memory. Chunk sizes are rounded up to
// 16 bytes so every record handed out is suitably aligned. A block that is
// full makes the pool append a block twice as large as the last.
// Hazards: memory from one pool must be freed to the same pool; Free refuses
// memory that is not a handed-out chunk of this pool (double free included).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

class CBlockPool {
public:
    /// Header in front of each chunk (size, state word, next free chunk).
    static constexpr size_t CHUNK_HEADER = 16;

    CBlockPool(size_t item_size, size_t count);
    ~CBlockPool();
    CBlockPool(const CBlockPool&) = delete;
    CBlockPool& operator=(const CBlockPool&) = delete;

    /// Memory for size bytes, or null (size too large).
    [[nodiscard]] void* Alloc(size_t size);
    /// Gives a chunk back. Returns false (and changes nothing) for memory that
    /// is not a chunk this pool handed out and has not taken back yet.
    bool Free(void* memory);
    /// Makes every block one free chunk again.
    void Reset();

    [[nodiscard]] size_t GetTotalBytes() const { return m_total_bytes; }
    [[nodiscard]] size_t GetFreeBytes() const { return m_free_bytes; }
    [[nodiscard]] size_t GetBlockSize() const { return m_block_size; }
    [[nodiscard]] size_t GetBlockCount() const { return m_blocks.size(); }
    /// Whether memory is a chunk this pool handed out and has not taken back.
    [[nodiscard]] bool IsTaken(const void* memory) const;

    /// Sum of the sizes of all blocks of all pools.
    [[nodiscard]] static size_t GetReservedBytes();
    /// Sum of the sizes handed out and not freed, over all pools.
    [[nodiscard]] static size_t GetUsedBytes();

private:
    struct Chunk;
    struct Block {
        std::unique_ptr<std::byte[]> memory;
        size_t size { 0 };
        Chunk* first_free { nullptr };
    };

    void AddBlock(size_t size);
    /// Index of the block holding the handed-out chunk at memory, or -1.
    [[nodiscard]] int FindTakenChunkBlock(const void* memory) const;
    void* TakeFromBlock(Block& block, size_t size);
    static void MakeSingleFreeChunk(Block& block);

    size_t m_total_bytes { 0 };
    size_t m_free_bytes { 0 };
    size_t m_block_size { 0 };
    std::vector<Block> m_blocks;
};

} // namespace engine
