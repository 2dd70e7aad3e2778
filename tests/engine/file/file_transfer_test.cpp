// File transfers: blocks, raw values, characters, lines, seek and tell, and what each
// reports at the end of a file, on a stream error and on a File that is not open.
#include "engine/file/file.h"

#include "tests/engine/file/temp_folder.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using FileTransfer = LoggedFolderTest;

TEST_F(FileTransfer, BlocksRoundTripAndReadPastTheEndIsEof) {
    File out("blocks.bin", FILE_WRITE | FILE_AUTOCREATE | RANDOM);
    EXPECT_EQ(out.Write(6, "abcdef"), FILE_OK);
    out.Close();

    File in("blocks.bin", FILE_READ | RANDOM);
    char block[4] = {};
    EXPECT_EQ(in.Read(4, block), FILE_OK);
    EXPECT_EQ(std::string(block, 4), "abcd");
    EXPECT_EQ(in.Read(4, block), FILE_EOF); // only two bytes were left
    EXPECT_EQ(in.Read(1, block), FILE_EOF);
    EXPECT_EQ(in.Read(-1, block), FILE_READERROR); // never taken as a huge size
}

TEST_F(FileTransfer, RawValuesKeepTheMachineByteOrder) {
    File out("raw.bin", FILE_WRITE | FILE_AUTOCREATE | RANDOM);
    EXPECT_EQ(out.WriteShort(0x1234), FILE_OK);
    EXPECT_EQ(out.WriteLong(0x89ABCDEFu), FILE_OK);
    out.Close();
    // The engine runs on little-endian hosts.
    EXPECT_EQ(ReadWholeFile("raw.bin"), std::string("\x34\x12\xEF\xCD\xAB\x89", 6));

    File in("raw.bin", FILE_READ | RANDOM);
    uint16_t shortValue = 0;
    uint32_t longValue = 0;
    EXPECT_EQ(in.ReadShort(&shortValue), FILE_OK);
    EXPECT_EQ(in.ReadLong(&longValue), FILE_OK);
    EXPECT_EQ(shortValue, 0x1234);
    EXPECT_EQ(longValue, 0x89ABCDEFu);
    EXPECT_EQ(in.ReadShort(&shortValue), FILE_EOF);
}

TEST_F(FileTransfer, DirectionFlagsDecideTheResult) {
    WriteWholeFile("data.bin", "12345678");

    File writeOnly("data.bin", FILE_WRITE | RANDOM);
    char buffer[4];
    EXPECT_EQ(writeOnly.Read(4, buffer), FILE_NOTREADABLE);
    EXPECT_EQ(writeOnly.GetChar(buffer), FILE_NOTREADABLE);
    writeOnly.Close();

    WriteWholeFile("data.bin", "12345678");
    File readOnly("data.bin", FILE_READ | RANDOM);
    EXPECT_EQ(readOnly.Write(4, "abcd"), FILE_NOTWRITABLE);
    EXPECT_EQ(readOnly.PutChar('x'), FILE_NOTWRITABLE);
    readOnly.Close();
    EXPECT_EQ(ReadWholeFile("data.bin"), "12345678");

    // Appending passes the bytes to the stream, yet reports FILE_NOTWRITABLE.
    File append("data.bin", FILE_APPEND | RANDOM);
    EXPECT_EQ(append.Write(2, "ab"), FILE_NOTWRITABLE);
    EXPECT_EQ(append.WriteString("cd"), FILE_OK);
    EXPECT_EQ(append.Read(1, buffer), FILE_NOTREADABLE);
    append.Close();
    EXPECT_EQ(ReadWholeFile("data.bin"), "12345678abcd");

    // Reading and writing through one stream.
    File both("data.bin", FILE_READ | FILE_WRITE | RANDOM);
    EXPECT_EQ(both.Write(2, "XY"), FILE_OK);
    EXPECT_EQ(both.Seek(-1), 0);
    EXPECT_EQ(both.Read(4, buffer), FILE_OK);
    EXPECT_EQ(std::string(buffer, 4), "XY34");
}

TEST_F(FileTransfer, StreamErrorsAreReported) {
    // Reading the start of our own address space fails with an I/O error, not at
    // the end of the file.
    File memory("/proc/self/mem", FILE_READ | RANDOM);
    ASSERT_TRUE(memory.IsOpen());
    char buffer[4];
    EXPECT_EQ(memory.Read(4, buffer), FILE_READERROR);
    EXPECT_EQ(memory.GetChar(buffer), FILE_READERROR);
    memory.Close();

    // A full device refuses every byte that reaches it.
    File full("/dev/full", FILE_WRITE | RANDOM);
    ASSERT_TRUE(full.IsOpen());
    std::vector<char> big(1 << 16, 'x');
    EXPECT_EQ(full.Write(static_cast<int>(big.size()), big.data()), FILE_WRITEERROR);
    full.Close();

    File fullChars("/dev/full", FILE_WRITE | RANDOM);
    int result = FILE_OK;
    for (int i = 0; i < (1 << 17) && result == FILE_OK; ++i) {
        result = fullChars.PutChar('x'); // fails once the stream's buffer is written out
    }
    EXPECT_EQ(result, FILE_WRITEERROR);
}

TEST_F(FileTransfer, CharactersAndTheEndOfFile) {
    File out("chars.txt", FILE_WRITE | FILE_AUTOCREATE | RANDOM);
    EXPECT_EQ(out.PutChar('h'), FILE_OK);
    EXPECT_EQ(out.PutChar(0x100 | 'i'), FILE_OK); // only the low 8 bits are written
    out.Close();
    EXPECT_EQ(ReadWholeFile("chars.txt"), "hi");

    File in("chars.txt", FILE_READ | RANDOM);
    char c = 0;
    EXPECT_EQ(in.GetChar(&c), FILE_OK);
    EXPECT_EQ(c, 'h');
    EXPECT_EQ(in.GetChar(&c), FILE_OK);
    EXPECT_EQ(c, 'i');
    EXPECT_EQ(in.GetChar(&c), FILE_EOF);
    EXPECT_EQ(static_cast<unsigned char>(c), 0xFF);
    EXPECT_EQ(in.GetChar(&c), FILE_EOF); // stays at the end until a Seek
    EXPECT_EQ(in.Seek(1), 0);
    EXPECT_EQ(in.GetChar(&c), FILE_OK);
    EXPECT_EQ(c, 'i');
}

TEST_F(FileTransfer, LinesKeepTheirNewline) {
    WriteWholeFile("lines.txt", "first\nsecond\nlast");
    File in("lines.txt", FILE_READ | SEQUENTIAL);
    char line[FILE_LINE_ROOM];
    EXPECT_EQ(in.ReadLine(line), 0);
    EXPECT_STREQ(line, "first\n");
    EXPECT_EQ(in.ReadLine(line), 0);
    EXPECT_STREQ(line, "second\n");
    EXPECT_EQ(in.ReadLine(line), 1); // a last line without newline comes with the end
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(in.ReadLine(line), 1);
    EXPECT_STREQ(line, ""); // never the previous line again
}

TEST_F(FileTransfer, LongLinesComeIn499CharacterPieces) {
    const std::string longLine = std::string(600, 'a') + "\n";
    WriteWholeFile("long.txt", longLine);
    File in("long.txt", FILE_READ | SEQUENTIAL);
    char line[FILE_LINE_ROOM + 8];
    std::memset(line, '#', sizeof line);
    EXPECT_EQ(in.ReadLine(line), 0);
    EXPECT_EQ(std::string(line), std::string(499, 'a'));
    EXPECT_EQ(line[FILE_LINE_ROOM], '#'); // nothing beyond the 500 bytes of room
    EXPECT_EQ(in.ReadLine(line), 0);
    EXPECT_EQ(std::string(line), std::string(101, 'a') + "\n");
}

TEST_F(FileTransfer, SeekAndTell) {
    WriteWholeFile("seek.bin", "0123456789");
    File in("seek.bin", FILE_READ | RANDOM);
    EXPECT_EQ(in.Seek(-2), 0);
    EXPECT_EQ(in.Tell(), 10);
    EXPECT_EQ(in.Seek(-1), 0);
    EXPECT_EQ(in.Tell(), 0);
    EXPECT_EQ(in.Seek(4), 0);
    EXPECT_EQ(in.Tell(), 4);
    char c = 0;
    EXPECT_EQ(in.GetChar(&c), FILE_OK);
    EXPECT_EQ(c, '4');
    EXPECT_NE(in.Seek(-3), 0); // before the start
    EXPECT_EQ(in.Tell(), 5);
}

TEST_F(FileTransfer, AClosedFileTouchesNoStream) {
    File never;
    File closed("closed.txt", FILE_WRITE | FILE_AUTOCREATE | SEQUENTIAL);
    closed.Close();
    for (File* file : {&never, &closed}) {
        char buffer[FILE_LINE_ROOM] = "stale";
        char c = 'q';
        EXPECT_EQ(file->Read(1, buffer), FILE_NOTREADABLE);
        EXPECT_EQ(file->Write(1, "x"), FILE_NOTWRITABLE);
        EXPECT_EQ(file->GetChar(&c), FILE_NOTREADABLE);
        EXPECT_EQ(c, 'q');
        EXPECT_EQ(file->PutChar('x'), FILE_NOTWRITABLE);
        EXPECT_EQ(file->ReadLine(buffer), 1);
        EXPECT_STREQ(buffer, "");
        EXPECT_EQ(file->WriteString("x"), FILE_NOTWRITABLE);
        EXPECT_NE(file->Seek(-1), 0);
        EXPECT_EQ(file->Tell(), -1);
        file->Close();
        EXPECT_EQ(file->GetFlags(), FILE_NOTOPEN);
    }
    EXPECT_EQ(ReadWholeFile("closed.txt"), "");
    EXPECT_EQ(Log(), ""); // transfers never log
}

} // namespace
