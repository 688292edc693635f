#pragma once
// Little-endian, field-by-field writing and reading of the rules' records
// (result records, table-information and deal records) to and from bytes.
//
// Owner: stack objects over a caller's buffer. Thread: any.
// Hazards: the writer asserts its capacity (writing past it is our bug); the
// reader is for untrusted bytes: a short read sets a sticky failure and
// answers 0, so callers check Ok() once per record.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/ByteReader.h"

namespace rules {

class CRecordWriter {
public:
    explicit CRecordWriter(std::span<uint8_t> out) : m_out(out) { }

    void WriteI32(int32_t value);
    void WriteI32s(std::span<const int32_t> values);
    void WriteBytes(std::span<const uint8_t> bytes);
    void WriteText(const char* text, size_t field_size); ///< raw bytes of a fixed text field

    [[nodiscard]] size_t Written() const { return m_pos; }

private:
    std::span<uint8_t> m_out;
    size_t m_pos { 0 };
};

class CRecordReader {
public:
    explicit CRecordReader(std::span<const uint8_t> in) : m_in(in) { }

    [[nodiscard]] int32_t ReadI32() { return m_in.ReadI32(); }
    void ReadI32s(std::span<int32_t> values);
    void ReadText(char* text, size_t field_size); ///< fixed text field; the last byte is forced to 0

    [[nodiscard]] bool Ok() const { return m_in.Ok(); }
    [[nodiscard]] size_t Remaining() const { return m_in.Remaining(); }

private:
    platform::CByteReader m_in;
};

/// Adapters that let one field list (a Visit template naming each field
/// once, in record order) serve both directions: I32, I32s and Text write
/// through a CRecordWriter or read through a CRecordReader.
struct RecordWriteIo {
    CRecordWriter w;
    void I32(int32_t v) { w.WriteI32(v); }
    void I32s(std::span<const int32_t> v) { w.WriteI32s(v); }
    void Text(const char* t, size_t n) { w.WriteText(t, n); }
};

struct RecordReadIo {
    CRecordReader r;
    void I32(int32_t& v) { v = r.ReadI32(); }
    void I32s(std::span<int32_t> v) { r.ReadI32s(v); }
    void Text(char* t, size_t n) { r.ReadText(t, n); }
};

} // namespace rules
