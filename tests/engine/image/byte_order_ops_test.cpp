// ByteOrderOps: the sixteen slots in both byte orders, the byte helpers, the
// run-length coders (including input that lies) and the character page.
#include "engine/image/byte_order_ops.h"

#include "engine/file/file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The raw value a file's bytes make when read into a host integer.
uint32_t Raw(std::vector<uint8_t> bytes) {
    uint32_t raw = 0;
    std::memcpy(&raw, bytes.data(), bytes.size());
    return raw;
}

std::vector<uint8_t> BytesOf(uint32_t raw, size_t count) {
    std::vector<uint8_t> bytes(count);
    std::memcpy(bytes.data(), &raw, count);
    return bytes;
}

TEST(ByteOrderSlots, StartNativeAndSwitchBothWays) {
    ByteOrderOps ops;
    EXPECT_EQ(ops.swapped, 0);
    EXPECT_EQ(ops.kind, 0);
    EXPECT_EQ(ops.ReadUS(Raw({0x2A, 0x00})), 42);
    ops.SetByteOrder(5); // any non-zero flag means swapped
    EXPECT_EQ(ops.swapped, 5);
    EXPECT_EQ(ops.ReadUS(Raw({0x2A, 0x00})), 10752);
    ops.SetByteOrder(0);
    EXPECT_EQ(ops.ReadUS(Raw({0x2A, 0x00})), 42);
}

TEST(ByteOrderSlots, IntegersInBothOrders) {
    ByteOrderOps native;
    ByteOrderOps swapped;
    swapped.SetByteOrder(1);

    EXPECT_EQ(native.ReadUL(Raw({0x08, 0, 0, 0})), 8u);
    EXPECT_EQ(swapped.ReadUL(Raw({0x08, 0, 0, 0})), 134217728u);
    EXPECT_EQ(swapped.ReadUL(Raw({0, 0, 0, 0x08})), 8u);

    for (ByteOrderOps* ops : {&native, &swapped}) { // single bytes have no order
        EXPECT_EQ(ops->ReadUC(0x1FF), 0xFF);
        EXPECT_EQ(ops->ReadC(0xFF), -1);
        EXPECT_EQ(ops->WriteUC(0x1AB), 0xAB);
        EXPECT_EQ(ops->WriteC(-1), 0xFF);
    }

    EXPECT_EQ(native.ReadS(Raw({0xFE, 0xFF})), -2);
    EXPECT_EQ(swapped.ReadS(Raw({0xFF, 0xFE})), -2);
    EXPECT_EQ(native.ReadL(Raw({0xFE, 0xFF, 0xFF, 0xFF})), -2);
    EXPECT_EQ(swapped.ReadL(Raw({0xFF, 0xFF, 0xFF, 0xFE})), -2);
    EXPECT_EQ(native.ReadUS(0x12345678u), 0x5678); // only the low 16 bits count

    EXPECT_EQ(BytesOf(swapped.WriteUS(42), 2), (std::vector<uint8_t>{0x00, 0x2A}));
    EXPECT_EQ(BytesOf(native.WriteUS(42), 2), (std::vector<uint8_t>{0x2A, 0x00}));
    EXPECT_EQ(native.WriteUS(0x12345u), 0x2345);
    EXPECT_EQ(BytesOf(swapped.WriteS(-2), 2), (std::vector<uint8_t>{0xFF, 0xFE}));
    EXPECT_EQ(native.WriteS(70000), 70000 & 0xFFFF);
    EXPECT_EQ(BytesOf(swapped.WriteUL(8), 4), (std::vector<uint8_t>{0, 0, 0, 8}));
    EXPECT_EQ(BytesOf(swapped.WriteL(-2), 4), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(native.WriteUL(0xDEADBEEFu), 0xDEADBEEFu);

    // Writing then reading in the same order gives the value back.
    for (uint32_t v : {0u, 1u, 0x1234u, 0xFFFFu}) {
        EXPECT_EQ(swapped.ReadUS(swapped.WriteUS(v)), v);
    }
    for (uint32_t v : {0u, 1u, 0x12345678u, 0xFFFFFFFFu}) {
        EXPECT_EQ(swapped.ReadUL(swapped.WriteUL(v)), v);
    }
}

TEST(ByteOrderSlots, FloatingPointSlotsConvertNumbersNotBits) {
    ByteOrderOps native;
    ByteOrderOps swapped;
    swapped.SetByteOrder(1);

    EXPECT_EQ(native.ReadF(0x3F800000u), 1065353216.0);
    EXPECT_EQ(swapped.ReadF(0x0000803Fu), 1065353216.0);
    EXPECT_EQ(native.ReadD(static_cast<uint64_t>(-5)), -5.0);

    EXPECT_EQ(native.WriteF(3.9f), 3);
    EXPECT_EQ(native.WriteF(-3.9f), -3);
    EXPECT_EQ(swapped.WriteF(1.0f), 0x01000000);
    EXPECT_EQ(native.WriteD(-7.99), -7);
    EXPECT_EQ(swapped.WriteD(12345.0), 0);

    // Values no integer can hold saturate instead of being undefined.
    const double huge = 1e300;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(native.WriteD(huge), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(native.WriteD(-huge), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(native.WriteF(1e30f), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(native.WriteF(nan), 0);
    EXPECT_EQ(swapped.WriteF(nan), 0);
}

TEST(ByteOrderSlots, SwappedEightByteReadReportsEachCall) {
    ByteOrderOps swapped;
    swapped.SetByteOrder(1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(swapped.ReadD(42), 42.0); // no reversal
    EXPECT_EQ(swapped.ReadD(static_cast<uint64_t>(-1)), -1.0);
    const std::string line =
        "ReadD_MBF: Reversal of 8-bytes and conversion to double is not implemented.\n";
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), line + line);
}

TEST(ByteOrderSlots, MotorolaFileValuesThroughFile) {
    char name[] = "/tmp/tolvo-byteorder-XXXXXX";
    int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        ByteOrderOps ops;
        ops.SetByteOrder(1);
        File out(name, FILE_WRITE | RANDOM);
        EXPECT_EQ(out.WriteShort(ops.WriteUS(42)), FILE_OK);
        EXPECT_EQ(out.WriteLong(ops.WriteUL(8)), FILE_OK);
    }
    {
        File in(name, FILE_READ | RANDOM);
        uint8_t bytes[6];
        EXPECT_EQ(in.Read(6, bytes), FILE_OK);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 6),
                  (std::vector<uint8_t>{0x00, 0x2A, 0x00, 0x00, 0x00, 0x08}));
        ByteOrderOps ops;
        ops.SetByteOrder(1);
        uint16_t s = 0;
        uint32_t l = 0;
        EXPECT_EQ(in.Seek(-1), 0);
        EXPECT_EQ(in.ReadShort(&s), FILE_OK);
        EXPECT_EQ(in.ReadLong(&l), FILE_OK);
        EXPECT_EQ(ops.ReadUS(s), 42);
        EXPECT_EQ(ops.ReadUL(l), 8u);
    }
    std::remove(name);
}

TEST(ByteHelpers, InvertScaleAndUnpackBits) {
    uint8_t bytes[] = {0, 1, 2, 128, 255};
    InvertBytes(bytes, 5);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 5),
              (std::vector<uint8_t>{255, 254, 253, 127, 0}));
    InvertBytes(bytes, 0);

    uint8_t levels[] = {0, 1, 2, 3};
    ScaleBytes(levels, 4, 255);
    EXPECT_EQ(std::vector<uint8_t>(levels, levels + 4), (std::vector<uint8_t>{0, 255, 254, 253}));
    uint8_t gray[] = {3, 100};
    ScaleBytes(gray, 1, 85); // only length bytes are touched
    EXPECT_EQ(gray[0], 255);
    EXPECT_EQ(gray[1], 100);

    const uint8_t packed[] = {0xA5, 0x01};
    uint8_t bits[17];
    std::memset(bits, 9, sizeof bits);
    EXPECT_EQ(UnpackBits(packed, bits, 2), 16);
    EXPECT_EQ(std::vector<uint8_t>(bits, bits + 17),
              (std::vector<uint8_t>{1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 9}));
    EXPECT_EQ(UnpackBits(packed, bits, 0), 0);
}

std::vector<uint8_t> Pack(const std::vector<uint8_t>& input) {
    std::vector<uint8_t> out(input.size() + input.size() / 127 + 2);
    out.resize(
        static_cast<size_t>(PackRuns(input.data(), out.data(), static_cast<int>(input.size()))));
    return out;
}

// Unpacks from a buffer of exactly the given bytes, so a read beyond them is caught.
std::vector<uint8_t> Unpack(const std::vector<uint8_t>& packed, size_t room = 4096) {
    std::vector<uint8_t> source(packed);
    std::vector<uint8_t> out(room);
    out.resize(static_cast<size_t>(
        UnpackRuns(source.data(), out.data(), static_cast<int>(source.size()))));
    return out;
}

using Bytes = std::vector<uint8_t>;

TEST(RunLength, PackRunsShapes) {
    Bytes longRun(200, 0x55);
    EXPECT_EQ(Pack(longRun), (Bytes{130, 0x55, 184, 0x55}));
    EXPECT_EQ(Pack({1, 2, 3, 4}), (Bytes{3, 1, 2, 3, 4}));
    EXPECT_EQ(Pack({7}), (Bytes{0, 7}));
    EXPECT_EQ(Pack({7, 7}), (Bytes{1, 7, 7}));
    EXPECT_EQ(Pack({7, 7, 7}), (Bytes{254, 7}));
    EXPECT_EQ(Pack({7, 7, 8}), (Bytes{2, 7, 7, 8}));
    EXPECT_EQ(Pack({}), Bytes{});
    // A literal stops where three equal bytes begin...
    EXPECT_EQ(Pack({1, 2, 5, 5, 5, 5}), (Bytes{1, 1, 2, 253, 5}));
    EXPECT_EQ(Pack({1, 2, 3, 4, 4, 4}), (Bytes{2, 1, 2, 3, 254, 4}));
    // ...but not for a run that would reach past the end.
    EXPECT_EQ(Pack({1, 2, 3, 4, 4}), (Bytes{4, 1, 2, 3, 4, 4}));
    // Runs end at 127 bytes, and so do literals.
    EXPECT_EQ(Pack(Bytes(130, 9)), (Bytes{130, 9, 254, 9}));
    Bytes ramp(130);
    for (size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<uint8_t>(i);
    }
    Bytes packed = Pack(ramp);
    ASSERT_EQ(packed.size(), 132u); // 1 + 127, then 1 + 3
    EXPECT_EQ(packed[0], 126);
    EXPECT_EQ(packed[128], 2);
}

TEST(RunLength, RoundTripsWithinTheSizeBound) {
    uint32_t state = 1;
    for (int trial = 0; trial < 200; ++trial) {
        Bytes input(static_cast<size_t>(trial * 7 % 600));
        for (size_t i = 0; i < input.size(); ++i) {
            state = state * 214013u + 2531011u;
            // Few distinct values, so runs of every length turn up.
            input[i] = static_cast<uint8_t>((state >> 16) % (trial % 5 + 1));
        }
        Bytes packed = Pack(input);
        EXPECT_LE(packed.size(), input.size() + (input.size() + 126) / 127);
        EXPECT_EQ(Unpack(packed), input) << "trial " << trial;
    }
}

TEST(RunLength, UnpackRunsControls) {
    EXPECT_EQ(Unpack({255, 7}), (Bytes{7, 7}));
    EXPECT_EQ(Unpack({128, 9}), Bytes(129, 9)); // 128 repeats, it is not skipped
    EXPECT_EQ(Unpack({129, 1, 0, 2}), [] {
        Bytes expected(128, 1);
        expected.push_back(2);
        return expected;
    }());
    EXPECT_EQ(Unpack({}), Bytes{});
}

TEST(RunLength, UnpackRunsNeverReadsPastItsInput) {
    EXPECT_EQ(Unpack({5, 1, 2}), (Bytes{1, 2})); // the literal promised six bytes
    EXPECT_EQ(Unpack({0, 4, 127}), (Bytes{4}));
    EXPECT_EQ(Unpack({1, 4, 5, 200}), (Bytes{4, 5})); // a run control with no byte
    EXPECT_EQ(Unpack({200}), Bytes{});
}

std::string Line(ByteOrderOps& ops, int row) {
    return std::string(ops.page + static_cast<size_t>(row) * ops.pageColumns);
}

TEST(CharacterPage, TypingWrapsAtTheLastByteOfALine) {
    ByteOrderOps ops;
    ops.CreatePage(3);
    EXPECT_EQ(ops.kind, BYTEORDER_KIND_PAGE);
    EXPECT_EQ(ops.CurrentLine(), ops.page);
    EXPECT_EQ(ops.LineBack(1), nullptr);
    EXPECT_EQ(ops.LineBack(0), ops.page);
    ops.PageChar('a');
    ops.PageChar('b');
    ops.PageChar('c'); // the line holds two, so 'c' starts the next
    EXPECT_EQ(Line(ops, 0), "ab");
    EXPECT_EQ(Line(ops, 1), "c");
    EXPECT_EQ(ops.currentRow, 1);
    EXPECT_EQ(ops.currentColumn, 1);
    EXPECT_EQ(ops.LineBack(1), ops.page);
    EXPECT_EQ(ops.LineBack(-5), nullptr);

    ops.PageChar('\b');
    ops.PageChar('\b'); // nothing left to erase
    EXPECT_EQ(Line(ops, 1), "");
    EXPECT_EQ(ops.currentColumn, 0);
    ops.PageChar('d');
    ops.PageChar('\r');
    ops.PageChar('e');
    EXPECT_EQ(ops.currentRow, 2);
    EXPECT_EQ(Line(ops, 2), "e");

    // On the last line a new line scrolls the page up.
    ops.PageChar('\r');
    EXPECT_EQ(ops.currentRow, 2);
    EXPECT_EQ(Line(ops, 0), "d");
    EXPECT_EQ(Line(ops, 1), "e");
    EXPECT_EQ(Line(ops, 2), "");
    ops.PageChar('f');
    ops.PageChar('g');
    ops.PageChar('h'); // a full last line scrolls too
    EXPECT_EQ(Line(ops, 0), "e");
    EXPECT_EQ(Line(ops, 1), "fg");
    EXPECT_EQ(Line(ops, 2), "h");
}

TEST(CharacterPage, NewLinesWithText) {
    ByteOrderOps ops;
    ops.CreatePage(4);
    ops.PageNewLine("ab");
    EXPECT_EQ(ops.currentRow, 1);
    EXPECT_EQ(ops.currentColumn, 2);
    ops.PageChar('c');
    EXPECT_EQ(Line(ops, 1), "abc");
    ops.PageNewLine("too long for the line"); // cut to three, the line stays terminated
    EXPECT_EQ(Line(ops, 2), "too");
    EXPECT_EQ(ops.currentColumn, 3);
    EXPECT_EQ(Line(ops, 3), "");
    ops.PageNewLine(nullptr);
    ops.PageNewLine("x"); // scrolls
    EXPECT_EQ(Line(ops, 0), "abc");
    EXPECT_EQ(Line(ops, 3), "x");
    ops.PageScroll();
    EXPECT_EQ(Line(ops, 0), "too");
    EXPECT_EQ(Line(ops, 3), "");
    EXPECT_EQ(ops.currentRow, 3); // scrolling leaves the position alone
    EXPECT_EQ(ops.currentColumn, 1);
}

TEST(CharacterPage, NoPageAndTinyPages) {
    ByteOrderOps ops;
    ops.PageChar('a'); // no page yet: nothing happens
    ops.PageNewLine("a");
    ops.PageScroll();
    EXPECT_EQ(ops.CurrentLine(), nullptr);
    EXPECT_EQ(ops.LineBack(0), nullptr);

    ops.CreatePage(2);
    ops.PageChar('a');
    ops.CreatePage(0); // the earlier page is released
    EXPECT_EQ(ops.page, nullptr);
    EXPECT_EQ(ops.kind, BYTEORDER_KIND_PAGE);
    ops.PageChar('a');

    ops.CreatePage(1); // room for no character at all
    ops.PageChar('a');
    ops.PageChar('b');
    EXPECT_EQ(ops.page[0], 0);
}

} // namespace
