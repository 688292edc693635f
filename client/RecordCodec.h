// Reading and writing the client's fixed-layout records from and to bytes.
// Each record type lists its fields once, in layout order, in a static
// `Fields(record, visit)` function; the reader and the writer below walk that
// list field by field, little-endian, so no buffer is ever cast to a record.
// Owner: none (templates). Any thread.
// Hazards: ReadRecord refuses (returns false, record untouched) when fewer
// bytes than the record's size are given; texts are copied as they are, not
// terminated: read them with FieldText.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

#include "platform/ByteOrder.h"

namespace client {

namespace detail {

inline int32_t LoadI32(const uint8_t* bytes)
{
    return static_cast<int32_t>(platform::LoadU32LE(bytes));
}

inline void StoreI32(uint8_t* bytes, int32_t value)
{
    platform::StoreU32LE(bytes, static_cast<uint32_t>(value));
}

struct FieldLoader {
    const uint8_t* cursor;
    void operator()(int32_t& field)
    {
        field = LoadI32(cursor);
        cursor += 4;
    }
    template <size_t N>
    void operator()(int32_t (&field)[N])
    {
        for (int32_t& word : field)
            (*this)(word);
    }
    template <size_t N>
    void operator()(char (&field)[N])
    {
        std::memcpy(field, cursor, N);
        cursor += N;
    }
    template <class Nested, size_t N>
        requires std::is_class_v<Nested>
    void operator()(Nested (&records)[N])
    {
        for (Nested& record : records)
            Nested::Fields(record, *this);
    }
};

struct FieldStorer {
    uint8_t* cursor;
    void operator()(const int32_t& field)
    {
        StoreI32(cursor, field);
        cursor += 4;
    }
    template <size_t N>
    void operator()(const int32_t (&field)[N])
    {
        for (const int32_t& word : field)
            (*this)(word);
    }
    template <size_t N>
    void operator()(const char (&field)[N])
    {
        std::memcpy(cursor, field, N);
        cursor += N;
    }
    template <class Nested, size_t N>
        requires std::is_class_v<Nested>
    void operator()(const Nested (&records)[N])
    {
        for (const Nested& record : records)
            Nested::Fields(record, *this);
    }
};

struct FieldCounter {
    size_t bytes = 0;
    constexpr void operator()(const int32_t&) { bytes += 4; }
    template <size_t N>
    constexpr void operator()(const int32_t (&)[N])
    {
        bytes += 4 * N;
    }
    template <size_t N>
    constexpr void operator()(const char (&)[N])
    {
        bytes += N;
    }
    template <class Nested, size_t N>
        requires std::is_class_v<Nested>
    constexpr void operator()(const Nested (&records)[N])
    {
        for (const Nested& record : records)
            Nested::Fields(record, *this);
    }
};

} // namespace detail

/// The number of bytes a record's field list covers; equal to the record's
/// documented size when no field is missing (checked by static_assert beside
/// each record).
template <class Record>
constexpr size_t FieldListBytes()
{
    Record record {};
    detail::FieldCounter counter;
    Record::Fields(record, counter);
    return counter.bytes;
}

/// Reads a record from the first Record::BYTES bytes. False, and the record
/// unchanged, when fewer bytes are given.
template <class Record>
[[nodiscard]] bool ReadRecord(std::span<const uint8_t> bytes, Record& record)
{
    if (bytes.size() < Record::BYTES)
        return false;
    detail::FieldLoader loader { bytes.data() };
    Record::Fields(record, loader);
    return true;
}

/// Writes a record into the first Record::BYTES bytes of `bytes`, which the
/// caller sizes (asserted: a short buffer is our own fault).
template <class Record>
void WriteRecord(const Record& record, std::span<uint8_t> bytes)
{
    assert(bytes.size() >= Record::BYTES);
    detail::FieldStorer storer { bytes.data() };
    Record::Fields(record, storer);
}

/// The record's bytes as they travel.
template <class Record>
[[nodiscard]] std::array<uint8_t, Record::BYTES> RecordBytes(const Record& record)
{
    std::array<uint8_t, Record::BYTES> bytes {};
    WriteRecord(record, bytes);
    return bytes;
}

} // namespace client
