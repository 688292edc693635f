#include "net/FrameAssembler.h"
#include "net/PacketFrame.h"
#include "net/WireBytes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace {

using namespace net;

const uint8_t KEY[16] = { 7 };
const CodecSettings CODEC { KEY, 128, 0x100, 0 };

std::vector<uint8_t> Frames(uint32_t kind, uint32_t serial, uint32_t id, const std::vector<uint8_t>& data,
                            size_t part_limit, bool crc, uint32_t first_part = 1)
{
    CByteBuffer encoded;
    EXPECT_TRUE(EncodeMessage(RequestRecord::Make(id, data), CODEC, encoded));
    CByteBuffer parts;
    SplitIntoParts(encoded, part_limit, parts);
    PacketHeader header;
    header.kind = kind;
    header.message_serial = serial;
    header.part_number = first_part - 1;
    std::vector<uint8_t> all;
    uint32_t sequence = 0;
    EXPECT_TRUE(FrameParts(
        parts.Bytes(), header, crc, [&sequence] { return ++sequence; },
        [&all](std::span<const uint8_t> frame) {
            all.insert(all.end(), frame.begin(), frame.end());
            return true;
        }));
    return all;
}

// The frames of a frame stream, one by one.
std::vector<std::vector<uint8_t>> SplitFrames(const std::vector<uint8_t>& stream)
{
    std::vector<std::vector<uint8_t>> frames;
    for (size_t offset = 0; offset + 4 <= stream.size();) {
        const size_t size = LoadU32LE(stream.data() + offset) + 4;
        frames.emplace_back(stream.begin() + long(offset), stream.begin() + long(offset + size));
        offset += size;
    }
    return frames;
}

struct Feed {
    CPeerRecord peer;
    std::vector<std::unique_ptr<CommMessage>> posted;
    CFrameAssembler::Context context { CODEC, 100, 5, 77, {} };

    bool Push(const std::vector<uint8_t>& bytes)
    {
        peer.m_receive_buffer.Append(bytes.data(), bytes.size());
        return CFrameAssembler::ProcessReceiveBuffer(peer, context, [this](std::unique_ptr<CommMessage> message) {
            posted.push_back(std::move(message));
        });
    }
};

TEST(PacketFrame, PartsAreCutAtTheLimitAndTheLastFlagFollowsTheRest)
{
    for (size_t n : { size_t(100), size_t(101) }) {
        CByteBuffer source;
        std::vector<uint8_t> bytes(n, 0x5A);
        source.Append(bytes.data(), n);
        CByteBuffer parts;
        SplitIntoParts(source, 100, parts);
        EXPECT_EQ(source.GetSize(), 0u);
        ASSERT_EQ(parts.GetSize(), n == 100 ? 104u : 109u);
        EXPECT_EQ(LoadU32LE(parts.GetAt(0)), 100u);
        if (n == 101) {
            EXPECT_EQ(LoadU32LE(parts.GetAt(104)), 1u);
        }
        // Frames: numbered from 1, sequenced, the last flag only where fewer
        // than 5 bytes of the list remain (the one-byte tail leaves 5 after part 1).
        PacketHeader header;
        header.kind = FRAME_KIND_MESSAGE;
        header.message_serial = 9;
        std::vector<PacketHeader> sent;
        uint32_t sequence = 40;
        ASSERT_TRUE(FrameParts(
            parts.Bytes(), header, true, [&sequence] { return ++sequence; },
            [&sent](std::span<const uint8_t> frame) {
                sent.push_back(PacketHeader::ReadFrom(frame.data() + 4));
                return true;
            }));
        ASSERT_EQ(sent.size(), n == 100 ? 1u : 2u);
        for (size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].part_number, i + 1);
            EXPECT_EQ(sent[i].frame_sequence, 41 + i);
            EXPECT_EQ(sent[i].message_serial, 9u);
            EXPECT_EQ(sent[i].last_part, i + 1 == sent.size() ? 1u : 0u);
        }
    }
    // A length word that runs past the list stops the message.
    const uint8_t broken[] = { 9, 0, 0, 0, 1, 2 };
    EXPECT_FALSE(FrameParts(
        broken, PacketHeader {}, false, [] { return 1u; }, [](std::span<const uint8_t>) { return true; }));
}

TEST(PacketFrame, TotalLengthCheckAcceptsOnly24And57ToLimitPlus56)
{
    EXPECT_TRUE(IsFrameTotalAcceptable(24, 4000));
    EXPECT_FALSE(IsFrameTotalAcceptable(0, 4000));
    EXPECT_FALSE(IsFrameTotalAcceptable(23, 4000));
    EXPECT_FALSE(IsFrameTotalAcceptable(25, 4000));
    EXPECT_FALSE(IsFrameTotalAcceptable(56, 4000));
    EXPECT_TRUE(IsFrameTotalAcceptable(57, 4000));
    EXPECT_TRUE(IsFrameTotalAcceptable(4056, 4000));
    EXPECT_FALSE(IsFrameTotalAcceptable(4057, 4000));

    Feed feed;
    std::vector<uint8_t> short_frame(28, 0);
    StoreU32LE(short_frame.data(), 24);
    EXPECT_FALSE(feed.Push(short_frame)) << "a 24-byte frame passes the length check and is refused";
    std::vector<uint8_t> hostile = { 0xFF, 0xFF, 0xFF, 0x7F, 1 };
    EXPECT_FALSE(feed.Push(hostile)) << "refused as soon as the length word arrives";
    EXPECT_EQ(feed.peer.m_receive_buffer.GetSize(), 0u);
}

TEST(PacketFrame, CrcIsCheckedOnlyWhenPresentAndCoversTheWholeFrame)
{
    auto frames = Frames(1, 1, 300, { 1, 2, 3 }, 100, true);
    const uint32_t crc = LoadU32LE(frames.data() + 16);
    auto zeroed = frames;
    StoreU32LE(zeroed.data() + 12, 0);
    StoreU32LE(zeroed.data() + 16, 0);
    EXPECT_EQ(crc, uint32_t(crc32(0, zeroed.data(), uInt(zeroed.size()))));
    EXPECT_TRUE(ValidatePacket(std::span<uint8_t>(frames), 100));

    auto corrupted = Frames(1, 1, 300, { 1, 2, 3 }, 100, true);
    corrupted.back() ^= 1;
    EXPECT_FALSE(ValidatePacket(std::span<uint8_t>(corrupted), 100));

    auto unchecked = Frames(1, 1, 300, { 1, 2, 3 }, 100, false);
    StoreU32LE(unchecked.data() + 16, 0xDEADBEEF); // a CRC word without the present flag
    Feed feed;
    EXPECT_TRUE(feed.Push(unchecked));
    ASSERT_EQ(feed.posted.size(), 1u);
    EXPECT_EQ(feed.posted[0]->request.id, 300u);
}

TEST(PacketFrame, FramesBehindABadFrameAreStillHandled)
{
    // One pass: a frame with a broken CRC, then a good one. The pass reports
    // the failure, the good message still goes out and nothing is left over.
    auto corrupted = Frames(1, 1, 300, { 1, 2, 3 }, 100, true);
    corrupted.back() ^= 1;
    auto good = Frames(1, 2, 301, { 4, 5 }, 100, true);
    std::vector<uint8_t> stream = corrupted;
    stream.insert(stream.end(), good.begin(), good.end());
    Feed feed;
    EXPECT_FALSE(feed.Push(stream));
    ASSERT_EQ(feed.posted.size(), 1u);
    EXPECT_EQ(feed.posted[0]->request.id, 301u);
    EXPECT_EQ(feed.peer.m_receive_buffer.GetSize(), 0u);
}

TEST(PacketFrame, MessagesJoinAcrossPartsAndReadsInOrder)
{
    std::vector<uint8_t> big(350);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i);
    auto first = Frames(1, 1, 111, big, 100, true);
    auto second = Frames(1, 2, 222, { 9 }, 100, true);
    std::vector<uint8_t> both = first;
    both.insert(both.end(), second.begin(), second.end());

    Feed feed;
    // Byte by byte at first, then the rest at once.
    for (size_t i = 0; i < 70; ++i)
        ASSERT_TRUE(feed.Push({ both[i] }));
    EXPECT_TRUE(feed.posted.empty());
    ASSERT_TRUE(feed.Push({ both.begin() + 70, both.end() }));
    ASSERT_EQ(feed.posted.size(), 2u);
    EXPECT_EQ(feed.posted[0]->request.id, 111u);
    EXPECT_EQ(std::vector<uint8_t>(feed.posted[0]->request.Data().begin(), feed.posted[0]->request.Data().end()), big);
    EXPECT_EQ(feed.posted[0]->conn.message_serial, 1u);
    EXPECT_EQ(feed.posted[0]->conn.cookie, 77u);
    EXPECT_EQ(feed.posted[0]->conn.socket, 5);
    EXPECT_EQ(feed.posted[1]->request.id, 222u);
}

TEST(PacketFrame, InterleavedOrMisnumberedPartsDropThePartialMessage)
{
    std::vector<uint8_t> big(250, 3);
    auto a = Frames(1, 1, 1000, big, 100, true);
    auto b = Frames(1, 2, 2000, big, 100, true);
    const size_t frame_size = LoadU32LE(a.data()) + 4;
    Feed feed;
    ASSERT_TRUE(feed.Push({ a.begin(), a.begin() + frame_size }));
    // The second message's part 1 arrives while the first is half joined: both are lost.
    ASSERT_TRUE(feed.Push(b));
    ASSERT_TRUE(feed.Push({ a.begin() + frame_size, a.end() }));
    EXPECT_TRUE(feed.posted.empty());
    // A message that starts at part 2 is ignored; a whole one afterwards arrives.
    ASSERT_TRUE(feed.Push(Frames(1, 3, 3000, { 1 }, 100, true, 2)));
    ASSERT_TRUE(feed.Push(Frames(1, 4, 4000, { 1 }, 100, true)));
    ASSERT_EQ(feed.posted.size(), 1u);
    EXPECT_EQ(feed.posted[0]->request.id, 4000u);
}

TEST(PacketFrame, DataLengthWordAndHeaderFieldsAreChecked)
{
    Feed feed;
    auto frames = Frames(1, 1, 5, { 1, 2 }, 100, false);
    StoreU32LE(frames.data() + 56, LoadU32LE(frames.data() + 56) - 1);
    EXPECT_FALSE(feed.Push(frames)) << "data length must equal total - 56";
    auto kind = Frames(3, 1, 5, { 1 }, 100, false);
    EXPECT_FALSE(feed.Push(kind));
    auto serial = Frames(1, 0, 5, { 1 }, 100, false);
    EXPECT_FALSE(feed.Push(serial));
}

TEST(PacketFrame, AnswersMatchTheExpectedSerialOnly)
{
    Feed feed;
    EXPECT_FALSE(feed.Push(Frames(2, 1, 10, { 1 }, 100, true))) << "no answer expected";
    feed.peer.ExpectAnswer(5);
    EXPECT_TRUE(feed.Push(Frames(2, 4, 10, { 1 }, 100, true))) << "a late answer is dropped";
    RequestRecord answer;
    EXPECT_FALSE(feed.peer.TakeAnswer(4, answer));
    std::vector<uint8_t> big(250, 8);
    ASSERT_TRUE(feed.Push(Frames(2, 5, 11, big, 100, true)));
    ASSERT_TRUE(feed.peer.TakeAnswer(5, answer));
    EXPECT_EQ(answer.id, 11u);
    EXPECT_EQ(answer.data_length, 250);
    EXPECT_TRUE(feed.peer.m_answer_event.IsSet());
    EXPECT_EQ(feed.peer.m_expected_serial, 0u);
    feed.peer.ExpectAnswer(6);
    EXPECT_FALSE(feed.Push(Frames(2, 7, 10, { 1 }, 100, true))) << "an answer beyond the expected one fails";
    EXPECT_EQ(feed.peer.m_expected_serial, 0u);

    // Parts of an answer: a repeated part is dropped, a skipped one cancels the wait.
    feed.peer.ExpectAnswer(8);
    const auto parts = SplitFrames(Frames(2, 8, 12, big, 100, true));
    ASSERT_GE(parts.size(), 3u);
    EXPECT_TRUE(feed.Push(parts[0]));
    EXPECT_TRUE(feed.Push(parts[0])) << "a repeated part is dropped";
    EXPECT_EQ(feed.peer.m_expected_serial, 8u);
    EXPECT_FALSE(feed.Push(parts[2])) << "a skipped part fails";
    EXPECT_EQ(feed.peer.m_expected_serial, 0u);
    EXPECT_FALSE(feed.peer.TakeAnswer(8, answer));
    EXPECT_TRUE(feed.posted.empty());
}

TEST(PacketFrame, AMessageThatNeverEndsIsRefusedAtTheSizeCap)
{
    Feed feed;
    feed.context.part_limit = MAX_PART_LIMIT;
    const std::vector<uint8_t> part(MAX_PART_LIMIT, 0x33);
    PacketHeader header;
    header.kind = FRAME_KIND_MESSAGE;
    header.message_serial = 1;
    CByteBuffer frame;
    const uint32_t most_parts = uint32_t(MAX_ASSEMBLED_MESSAGE / (MAX_PART_LIMIT + 4));
    uint32_t refused_at = 0;
    for (uint32_t number = 1; number <= most_parts + 2 && refused_at == 0; ++number) {
        header.part_number = number;
        BuildFrame(header, part, false, frame);
        if (!feed.Push({ frame.Bytes().begin(), frame.Bytes().end() }))
            refused_at = number;
    }
    EXPECT_EQ(refused_at, most_parts + 1);
    EXPECT_EQ(feed.peer.m_assembling_serial, 0u);
    EXPECT_LE(feed.peer.m_message_buffer.GetSize(), CByteBuffer::CAPACITY_UNIT);
    EXPECT_TRUE(feed.posted.empty());
}

TEST(PacketFrame, JoiningRefusesPartsAboveTheLimitOrPastTheEnd)
{
    CByteBuffer joined;
    std::vector<uint8_t> parts = { 101, 0, 0, 0 };
    parts.resize(4 + 101, 1);
    EXPECT_FALSE(JoinLengthPrefixedParts(parts, 100, joined));
    std::vector<uint8_t> short_parts = { 50, 0, 0, 0, 1, 2 };
    EXPECT_FALSE(JoinLengthPrefixedParts(short_parts, 100, joined));
    std::vector<uint8_t> good = { 2, 0, 0, 0, 1, 2, 1, 0, 0, 0, 3 };
    ASSERT_TRUE(JoinLengthPrefixedParts(good, 100, joined));
    EXPECT_EQ(joined.GetSize(), 3u);
}

} // namespace
