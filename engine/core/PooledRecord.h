#pragma once
// PooledPtr: a unique owner of one record placed in a CBlockPool chunk. The
// record is constructed (value-initialised, so zero-filled) in the chunk by
// MakePooled and destroyed and given back to its pool when the owner lets go.
//
// Owner: whoever holds the PooledPtr; the pool must outlive every record
// taken from it (declare the pool before the containers that hold them).
// Thread: the pool's thread (CBlockPool is single-threaded).

#include <memory>
#include <new>
#include <utility>

#include "engine/core/BlockPool.h"

namespace engine {

template <typename T>
struct CPooledDelete {
    CBlockPool* pool { nullptr };
    void operator()(T* record) const
    {
        if (record == nullptr)
            return;
        record->~T();
        pool->Free(record);
    }
};

template <typename T>
using PooledPtr = std::unique_ptr<T, CPooledDelete<T>>;

/// A value-initialised T in a chunk of pool; null when the pool cannot give
/// a chunk of sizeof(T).
template <typename T>
[[nodiscard]] PooledPtr<T> MakePooled(CBlockPool& pool)
{
    static_assert(alignof(T) <= 16, "pool chunks are 16-byte aligned");
    void* memory = pool.Alloc(sizeof(T));
    if (memory == nullptr)
        return PooledPtr<T>(nullptr, CPooledDelete<T> { &pool });
    return PooledPtr<T>(new (memory) T(), CPooledDelete<T> { &pool });
}

} // namespace engine
