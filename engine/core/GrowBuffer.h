#pragma once
// CGrowBuffer: a growable byte buffer with a cursor, used by the replay
// recorder and reader.
//
// Owner: whoever holds it. Not thread-safe (one thread).
//
// The capacity starts at 32 and doubles while length + n >= capacity. The
// cursor is an offset into the data; Skip and Seek never move it past the
// length (reads through GetCursor stay inside what was appended).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace engine {

class CGrowBuffer {
public:
    static constexpr size_t INITIAL_CAPACITY = 32;

    CGrowBuffer() : m_data(INITIAL_CAPACITY, 0) {}

    /// Appends n bytes at the cursor; returns the new length.
    size_t Append(std::span<const uint8_t> bytes);
    size_t Append(const void* bytes, size_t n)
    {
        return Append(std::span<const uint8_t>(static_cast<const uint8_t*>(bytes), bytes != nullptr ? n : 0));
    }
    /// data + offset when offset <= length, else null.
    [[nodiscard]] const uint8_t* GetAt(size_t offset) const;
    /// Cursor = the smaller of position and length.
    void Seek(size_t position);
    /// Moves the cursor on by n, never past the length.
    void Skip(size_t n);
    /// Length 0, cursor at the start, the whole capacity zero-filled.
    void Reset();

    [[nodiscard]] const uint8_t* GetData() const { return m_data.data(); }
    [[nodiscard]] const uint8_t* GetCursor() const { return m_data.data() + m_cursor; }
    [[nodiscard]] size_t GetCursorOffset() const { return m_cursor; }
    [[nodiscard]] size_t GetLength() const { return m_length; }
    [[nodiscard]] size_t GetCapacity() const { return m_data.size(); }

private:
    std::vector<uint8_t> m_data;
    size_t m_length { 0 };
    size_t m_cursor { 0 };
};

} // namespace engine
