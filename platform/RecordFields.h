#pragma once
// The one convention for fixed-layout records (wire and file records of the
// rules, the client and the replays). Each record type lists its fields once,
// in layout order, in a static member
//
//     template <class Self, class Visit>
//     static constexpr void Fields(Self& r, Visit& v) { v(r.id), v(r.name), v(r.cards); }
//
// and the functions below walk that list field by field, little-endian,
// through CByteReader and CByteWriter; no buffer is ever cast to a record.
// A field is an int32_t or uint32_t word, a char[N] text (N raw bytes), a
// nested record with its own Fields, or an array of any of these.
//
// Owner: none (templates). Thread: any.
// Hazards: texts are copied as they are, not terminated; a text read from a
// peer or a file must be read bounded. ReadRecord leaves the record unchanged
// when too few bytes are given; WriteRecord's buffer is sized by the caller,
// and writing past it ends the program (CByteWriter).

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

#include "platform/ByteReader.h"
#include "platform/ByteWriter.h"

namespace platform {

namespace record_detail {

template <class T>
concept NestedRecord = std::is_class_v<T>;

struct FieldReader {
    CByteReader& in;
    void operator()(int32_t& field) { field = in.ReadI32(); }
    void operator()(uint32_t& field) { field = in.ReadU32(); }
    template <size_t N>
    void operator()(char (&field)[N])
    {
        const std::span<const uint8_t> bytes = in.ReadBytes(N);
        if (bytes.empty())
            std::memset(field, 0, N);
        else
            std::memcpy(field, bytes.data(), N);
    }
    template <class T, size_t N>
        requires(!std::is_same_v<T, char>)
    void operator()(T (&fields)[N])
    {
        for (T& field : fields)
            (*this)(field);
    }
    template <NestedRecord T>
    void operator()(T& record)
    {
        T::Fields(record, *this);
    }
};

struct FieldWriter {
    CByteWriter& out;
    void operator()(const int32_t& field) { out.WriteI32(field); }
    void operator()(const uint32_t& field) { out.WriteU32(field); }
    template <size_t N>
    void operator()(const char (&field)[N])
    {
        out.WriteBytes({ reinterpret_cast<const uint8_t*>(field), N });
    }
    template <class T, size_t N>
        requires(!std::is_same_v<T, char>)
    void operator()(const T (&fields)[N])
    {
        for (const T& field : fields)
            (*this)(field);
    }
    template <NestedRecord T>
    void operator()(const T& record)
    {
        T::Fields(record, *this);
    }
};

struct FieldCounter {
    size_t bytes = 0;
    constexpr void operator()(const int32_t&) { bytes += 4; }
    constexpr void operator()(const uint32_t&) { bytes += 4; }
    template <size_t N>
    constexpr void operator()(const char (&)[N])
    {
        bytes += N;
    }
    template <class T, size_t N>
        requires(!std::is_same_v<T, char>)
    constexpr void operator()(const T (&fields)[N])
    {
        for (const T& field : fields)
            (*this)(field);
    }
    template <NestedRecord T>
    constexpr void operator()(const T& record)
    {
        T::Fields(record, *this);
    }
};

} // namespace record_detail

/// The number of bytes a record's field list covers; checked by static_assert
/// against each record's documented size, so no field is left out.
template <class Record>
[[nodiscard]] constexpr size_t FieldListBytes()
{
    const Record record {};
    record_detail::FieldCounter counter;
    Record::Fields(record, counter);
    return counter.bytes;
}

/// Reads the record's fields from `in`; a short read fails the reader (check
/// in.Ok()) and leaves the rest of the fields zero.
template <class Record>
void ReadFields(CByteReader& in, Record& record)
{
    record_detail::FieldReader reader { in };
    Record::Fields(record, reader);
}

/// Writes the record's fields to `out`.
template <class Record>
void WriteFields(CByteWriter& out, const Record& record)
{
    record_detail::FieldWriter writer { out };
    Record::Fields(record, writer);
}

/// Reads a record from the first bytes of `bytes`. False, and the record
/// unchanged, when fewer bytes than its field list are given.
template <class Record>
[[nodiscard]] bool ReadRecord(std::span<const uint8_t> bytes, Record& record)
{
    if (bytes.size() < FieldListBytes<Record>())
        return false;
    CByteReader in(bytes);
    ReadFields(in, record);
    return in.Ok();
}

/// Writes a record into the first bytes of `bytes`; answers the bytes written.
template <class Record>
size_t WriteRecord(const Record& record, std::span<uint8_t> bytes)
{
    CByteWriter out(bytes);
    WriteFields(out, record);
    return out.Written();
}

/// The record's bytes as they travel.
template <class Record>
[[nodiscard]] std::array<uint8_t, FieldListBytes<Record>()> RecordBytes(const Record& record)
{
    std::array<uint8_t, FieldListBytes<Record>()> bytes {};
    WriteRecord(record, bytes);
    return bytes;
}

} // namespace platform
