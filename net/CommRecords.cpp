#include "net/CommRecords.h"

#include "net/WireBytes.h"

#include <cstring>

namespace net {

void ConnRecord::WriteTo(uint8_t* bytes) const
{
    StoreU32LE(bytes, uint32_t(socket));
    StoreU32LE(bytes + 4, message_serial);
    StoreU32LE(bytes + 8, answer_wanted);
    StoreU32LE(bytes + 12, cookie);
    StoreU32LE(bytes + 16, reserved[0]);
    StoreU32LE(bytes + 20, reserved[1]);
}

ConnRecord ConnRecord::ReadFrom(const uint8_t* bytes)
{
    ConnRecord record;
    record.socket = int32_t(LoadU32LE(bytes));
    record.message_serial = LoadU32LE(bytes + 4);
    record.answer_wanted = LoadU32LE(bytes + 8);
    record.cookie = LoadU32LE(bytes + 12);
    record.reserved[0] = LoadU32LE(bytes + 16);
    record.reserved[1] = LoadU32LE(bytes + 20);
    return record;
}

RequestRecord RequestRecord::Make(uint32_t id, std::span<const uint8_t> bytes)
{
    RequestRecord record;
    record.id = id;
    record.data_length = int32_t(bytes.size());
    if (!bytes.empty()) {
        record.data = std::make_unique<uint8_t[]>(bytes.size());
        std::memcpy(record.data.get(), bytes.data(), bytes.size());
    }
    return record;
}

void FreeRequestData(RequestRecord& record)
{
    record.data.reset();
    record.data_length = 0;
}

RequestRecord CopyRequestRecord(const RequestRecord& record)
{
    RequestRecord copy;
    copy.reserved0 = record.reserved0;
    copy.id = record.id;
    copy.reserved = record.reserved;
    copy.data_length = record.data ? record.data_length : 0;
    if (record.data && record.data_length > 0) {
        copy.data = std::make_unique<uint8_t[]>(size_t(record.data_length));
        std::memcpy(copy.data.get(), record.data.get(), size_t(record.data_length));
    }
    return copy;
}

} // namespace net
