// CByteBuffer: the growable byte queue through which every frame, part list
// and codec layer passes. Bytes are appended or inserted at the front and
// read or discarded from the front.
// Owner: whoever holds it; it owns its heap block. No lock: the owner guards
// it (the socket client guards each peer's buffers).
// Hazards: capacity is 0 or a multiple of 1024 and never shrinks while the
// buffer lives; GetAt gives an address that a later growth invalidates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace net {

class CByteBuffer {
public:
    static constexpr size_t CAPACITY_UNIT = 1024;

    CByteBuffer() = default;
    virtual ~CByteBuffer() = default;
    CByteBuffer(const CByteBuffer&) = delete;
    CByteBuffer& operator=(const CByteBuffer&) = delete;
    CByteBuffer(CByteBuffer&& other) noexcept;
    CByteBuffer& operator=(CByteBuffer&& other) noexcept;

    /// Size 0, capacity at least 1024.
    void Reset();
    [[nodiscard]] size_t GetSize() const { return m_size; }
    [[nodiscard]] size_t GetCapacity() const { return m_capacity; }

    /// Copies n bytes after the end (a block that must grow at least doubles).
    /// Gives n, or 0 when the size would overflow.
    size_t Append(const void* bytes, size_t n);
    /// Moves the contents up by n and copies the bytes to the front. Gives n or 0.
    size_t Insert(const void* bytes, size_t n);
    /// Copies up to n bytes from the front into target and removes them.
    /// n is cut to the size; n above the capacity gives 0 and removes nothing.
    size_t Read(void* target, size_t n);
    /// As Read without copying.
    size_t Discard(size_t n);

    /// Address of the byte at offset from the front (offset <= size).
    [[nodiscard]] uint8_t* GetAt(size_t offset);
    [[nodiscard]] const uint8_t* GetAt(size_t offset) const;
    [[nodiscard]] std::span<const uint8_t> Bytes() const { return { m_block.get(), m_size }; }
    [[nodiscard]] std::span<uint8_t> Bytes() { return { m_block.get(), m_size }; }

    /// Makes the capacity at least n (rounded up to 1024). False when n cannot be held.
    bool Reserve(size_t n);
    /// As Reserve, only when n exceeds both the size and the capacity.
    bool Grow(size_t n);

    /// Sets the size to n (n <= capacity after a Reserve); new bytes are zero.
    bool Resize(size_t n);

private:
    /// Room for n more bytes; a block that must grow at least doubles.
    bool GrowFor(size_t n);

    std::unique_ptr<uint8_t[]> m_block;
    size_t m_size { 0 };
    size_t m_capacity { 0 };
};

} // namespace net
