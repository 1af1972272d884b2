// Frame codec: wire examples byte for byte, stuffing of header and payload, splitting of
// received bytes into frames, and the decoding failures.
#include "link/codec/FrameCodec.h"

#include <gtest/gtest.h>

using namespace orvane::frame;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes frames(FrameSplitter& s) {
    Bytes sizes;
    Bytes f;
    while (s.next(f)) sizes.push_back(uint8_t(f.size()));
    return sizes;
}

}  // namespace

TEST(Encode, WorkedExamples) {
    EXPECT_EQ(encodePacket(16, nullptr, 0), (Bytes{0x01, 0x00, 0x10, 0xC0}));
    const Bytes param3{0x03, 0x00};
    EXPECT_EQ(encodePacket(14, param3.data(), 2), (Bytes{0x03, 0x00, 0x0E, 0x03, 0x00, 0xC0}));
    const Bytes write{0xC0, 0, 0, 0, 0x01, 0, 0, 0, 0xDB};
    EXPECT_EQ(encodePacket(3, write.data(), write.size()),
              (Bytes{0x0A, 0x00, 0x03, 0xDB, 0xDC, 0, 0, 0, 0x01, 0, 0, 0, 0xDB, 0xDD, 0xC0}));
}

TEST(Encode, LengthAndCommandBytesAreStuffed) {
    // Length n + 1 = 0xC0 and 0xDB: the low length byte needs escaping.
    const Bytes p191(191, 0x11), p218(218, 0x11);
    Bytes w = encodePacket(1, p191.data(), p191.size());
    EXPECT_EQ((Bytes{w[0], w[1], w[2]}), (Bytes{0xDB, 0xDC, 0x00}));
    w = encodePacket(1, p218.data(), p218.size());
    EXPECT_EQ((Bytes{w[0], w[1], w[2]}), (Bytes{0xDB, 0xDD, 0x00}));
    // A 0xC0 high byte (length 0xC000) is stuffed too.
    const Bytes big(0xC000 - 1, 0x22);
    w = encodePacket(2, big.data(), big.size());
    EXPECT_EQ((Bytes{w[0], w[1], w[2], w[3]}), (Bytes{0x00, 0xDB, 0xDC, 0x02}));
    EXPECT_EQ(w.back(), END);
    EXPECT_EQ(w.size(), 3u + 1 + big.size() + 1);
}

TEST(Decode, RoundTripOfEverySpecialByte) {
    const Bytes payload{0xC0, 0xDB, 0xDC, 0xDD, 0x00, 0xC0, 0xC0, 0xDB};
    Bytes wire = encodePacket(7, payload.data(), payload.size());
    ASSERT_EQ(wire.back(), END);
    Bytes out;
    ASSERT_EQ(unstuff(wire.data(), wire.size() - 1, out), DecodeResult::Ok);
    Bytes expected{9, 0, 7};
    expected.insert(expected.end(), payload.begin(), payload.end());
    EXPECT_EQ(out, expected);
}

TEST(Decode, BadEscapesFail) {
    Bytes out{1, 2, 3};
    const Bytes badPair{0x05, 0xDB, 0x41, 0x06};
    EXPECT_EQ(unstuff(badPair.data(), badPair.size(), out), DecodeResult::BadEscape);
    EXPECT_TRUE(out.empty());
    const Bytes trailing{0x05, 0xDB};
    EXPECT_EQ(unstuff(trailing.data(), trailing.size(), out), DecodeResult::BadEscape);
}

TEST(Decode, CapacityBoundsTheOutput) {
    const Bytes four{1, 2, 3, 4};
    Bytes out;
    EXPECT_EQ(unstuff(four.data(), four.size(), out, 3), DecodeResult::TooLong);
    EXPECT_EQ(unstuff(four.data(), four.size(), out, 4), DecodeResult::Ok);
    EXPECT_EQ(out.size(), 4u);
}

TEST(Splitter, FramesSplitOverReadsAndSeveralInOneRead) {
    FrameSplitter s;
    const Bytes a{1, 0, 5, 0xC0};
    const Bytes b{3, 0, 6, 0xDB, 0xDC, 9, 0xC0};
    s.append(a.data(), 2);
    Bytes f;
    EXPECT_FALSE(s.next(f));
    EXPECT_EQ(s.pendingBytes(), 2u);
    s.append(a.data() + 2, 2);
    ASSERT_TRUE(s.next(f));
    EXPECT_EQ(f, (Bytes{1, 0, 5}));

    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    s.append(both.data(), both.size());
    EXPECT_EQ(frames(s), (Bytes{3, 6}));  // the second still stuffed
    EXPECT_EQ(s.pendingBytes(), 0u);
}

TEST(Splitter, LeadingEndAndGarbageBecomeFramesOfTheirOwn) {
    FrameSplitter s;
    const Bytes stream{0xC0, 0x41, 0x42, 0xC0, 1, 0, 5, 0xC0, 0x77};
    s.append(stream.data(), stream.size());
    EXPECT_EQ(frames(s), (Bytes{0, 2, 3}));
    EXPECT_EQ(s.pendingBytes(), 1u);
    s.clear();
    EXPECT_EQ(s.pendingBytes(), 0u);
}

TEST(Splitter, LongSessionsStaySmall) {
    FrameSplitter s;
    const Bytes frame{1, 0, 5, 0xC0};
    Bytes f;
    for (int i = 0; i < 10000; ++i) {
        s.append(frame.data(), 2);
        s.append(frame.data() + 2, 2);
        ASSERT_TRUE(s.next(f));
        ASSERT_EQ(f.size(), 3u);
    }
    EXPECT_EQ(s.pendingBytes(), 0u);
}
