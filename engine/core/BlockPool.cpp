#include "engine/core/BlockPool.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "engine/core/SanitizerPoison.h"

namespace engine {

namespace {

std::atomic<size_t> s_reserved_bytes { 0 };
std::atomic<size_t> s_used_bytes { 0 };

constexpr uint32_t CHUNK_FREE = 0x46524545u;  // "FREE"
constexpr uint32_t CHUNK_TAKEN = 0x55534544u; // "USED"
constexpr size_t MAX_CHUNK = size_t { 1 } << 30;

size_t RoundUp(size_t size)
{
    if (size == 0)
        size = 1;
    return (size + 15) & ~size_t { 15 };
}

} // namespace

struct CBlockPool::Chunk {
    uint32_t size;
    uint32_t state;
    Chunk* next;
};
static_assert(sizeof(void*) > 4 ? sizeof(uint32_t) * 2 + sizeof(void*) == CBlockPool::CHUNK_HEADER : true);

CBlockPool::CBlockPool(size_t item_size, size_t count)
{
    m_block_size = (RoundUp(item_size) + CHUNK_HEADER) * (count == 0 ? 1 : count);
    AddBlock(m_block_size);
}

CBlockPool::~CBlockPool()
{
    s_used_bytes -= m_total_bytes - m_free_bytes;
    for (const auto& block : m_blocks) {
        s_reserved_bytes -= block.size;
        UnpoisonMemory(block.memory.get(), block.size);
    }
}

void CBlockPool::AddBlock(size_t size)
{
    Block block;
    block.size = RoundUp(size);
    block.memory = std::make_unique<std::byte[]>(block.size);
    MakeSingleFreeChunk(block);
    m_total_bytes += block.size;
    m_free_bytes += block.size;
    s_reserved_bytes += block.size;
    m_blocks.push_back(std::move(block));
}

void CBlockPool::MakeSingleFreeChunk(Block& block)
{
    // Under AddressSanitizer the memory of free chunks is poisoned (headers
    // stay readable), so a record used after its Free is reported.
    PoisonMemory(block.memory.get(), block.size);
    UnpoisonMemory(block.memory.get(), CHUNK_HEADER);
    auto* chunk = reinterpret_cast<Chunk*>(block.memory.get());
    chunk->size = static_cast<uint32_t>(block.size - CHUNK_HEADER);
    chunk->state = CHUNK_FREE;
    chunk->next = nullptr;
    block.first_free = chunk;
}

void* CBlockPool::TakeFromBlock(Block& block, size_t size)
{
    Chunk** link = &block.first_free;
    for (Chunk* chunk = block.first_free; chunk != nullptr; link = &chunk->next, chunk = chunk->next) {
        if (chunk->size < size)
            continue;
        if (chunk->size < size + CHUNK_HEADER + 16) {
            // Too small to split: leaves the free list whole; the spare bytes
            // are not counted again until Reset.
            *link = chunk->next;
        } else {
            auto* rest = reinterpret_cast<Chunk*>(reinterpret_cast<std::byte*>(chunk) + CHUNK_HEADER + size);
            UnpoisonMemory(rest, CHUNK_HEADER);
            rest->size = static_cast<uint32_t>(chunk->size - size - CHUNK_HEADER);
            rest->state = CHUNK_FREE;
            rest->next = chunk->next;
            *link = rest;
        }
        chunk->size = static_cast<uint32_t>(size);
        chunk->state = CHUNK_TAKEN;
        chunk->next = nullptr;
        std::byte* memory = reinterpret_cast<std::byte*>(chunk) + CHUNK_HEADER;
        UnpoisonMemory(memory, size);
        return memory;
    }
    return nullptr;
}

void* CBlockPool::Alloc(size_t size)
{
    if (m_blocks.empty() || size > MAX_CHUNK)
        return nullptr;
    size = RoundUp(size);
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        if (void* memory = TakeFromBlock(m_blocks[i], size)) {
            s_used_bytes += size;
            m_free_bytes -= size;
            return memory;
        }
        if (i + 1 == m_blocks.size()) {
            AddBlock(std::max(size + CHUNK_HEADER, m_block_size));
            m_block_size *= 2;
        }
    }
    return nullptr;
}

int CBlockPool::FindTakenChunkBlock(const void* memory) const
{
    if (memory == nullptr)
        return -1;
    const auto* p = static_cast<const std::byte*>(memory);
    for (size_t i = 0; i < m_blocks.size(); ++i) {
        const std::byte* begin = m_blocks[i].memory.get();
        if (p < begin + CHUNK_HEADER || p >= begin + m_blocks[i].size)
            continue;
        // Chunks start at 16-byte offsets; anything else is not a chunk.
        if ((static_cast<size_t>(p - begin) & 15) != 0)
            return -1;
        // A poisoned "header" lies inside a free chunk: not a chunk start.
        if (IsMemoryPoisoned(p - CHUNK_HEADER))
            return -1;
        const auto* chunk = reinterpret_cast<const Chunk*>(p - CHUNK_HEADER);
        return chunk->state == CHUNK_TAKEN ? static_cast<int>(i) : -1;
    }
    return -1;
}

bool CBlockPool::IsTaken(const void* memory) const
{
    return FindTakenChunkBlock(memory) >= 0;
}

bool CBlockPool::Free(void* memory)
{
    const int index = FindTakenChunkBlock(memory);
    if (index < 0)
        return false;
    Block& block = m_blocks[static_cast<size_t>(index)];
    auto* chunk = reinterpret_cast<Chunk*>(static_cast<std::byte*>(memory) - CHUNK_HEADER);
    chunk->state = CHUNK_FREE;
    s_used_bytes -= chunk->size;
    m_free_bytes += chunk->size;
    chunk->next = block.first_free;
    block.first_free = chunk;
    PoisonMemory(memory, chunk->size);
    return true;
}

void CBlockPool::Reset()
{
    s_used_bytes -= m_total_bytes - m_free_bytes;
    for (auto& block : m_blocks)
        MakeSingleFreeChunk(block);
    m_free_bytes = m_total_bytes;
}

size_t CBlockPool::GetReservedBytes()
{
    return s_reserved_bytes;
}

size_t CBlockPool::GetUsedBytes()
{
    return s_used_bytes;
}

} // namespace engine
