// The client's fixed-layout records follow the platform's one record
// convention (platform/RecordFields.h): each record type lists its fields
// once, in layout order, in a static `Fields(record, visit)` function, and is
// read and written field by field, little-endian, through these.
// Owner: none (templates). Any thread.
// Hazards: ReadRecord refuses (returns false, record untouched) when fewer
// bytes than the record's size are given; texts are copied as they are, not
// terminated: read them with FieldText.
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"
#include "platform/RecordFields.h"

namespace client {

namespace detail {

/// One signed word at a byte address (the caller checks the bounds).
inline int32_t LoadI32(const uint8_t* bytes)
{
    return static_cast<int32_t>(platform::LoadU32LE(bytes));
}

inline void StoreI32(uint8_t* bytes, int32_t value)
{
    platform::StoreU32LE(bytes, static_cast<uint32_t>(value));
}

} // namespace detail

using platform::FieldListBytes;
using platform::ReadRecord;
using platform::RecordBytes;
using platform::WriteRecord;

} // namespace client
