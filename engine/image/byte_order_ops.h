// Intel ("II") and Motorola ("MM") byte order in one table of conversions, plus the
// byte helpers of the TIF code, two run-length coders and a small character page.
#ifndef TOLVO_ENGINE_IMAGE_BYTE_ORDER_OPS_H
#define TOLVO_ENGINE_IMAGE_BYTE_ORDER_OPS_H

#include <cstdint>

// ByteOrderOps::kind after CreatePage.
const uint16_t BYTEORDER_KIND_PAGE = 3;

class ByteOrderOps {
  public:
    // The native set: this engine runs on little-endian hosts, so Intel order.
    ByteOrderOps();
    ~ByteOrderOps();
    ByteOrderOps(const ByteOrderOps&) = delete;
    ByteOrderOps& operator=(const ByteOrderOps&) = delete;

    // 0 fills the slots with the native set, anything else with the swapped set.
    void SetByteOrder(int swappedFlag);

    // The character page: n lines of n bytes, each line a zero-terminated string of at
    // most n - 1 characters. No page exists for n < 1.
    void CreatePage(int n);
    char* CurrentLine();
    // Start of the line k above the current one; nullptr above the first line.
    char* LineBack(int k);
    // Types c on the page: carriage return starts a line, backspace erases one.
    void PageChar(int c);
    // Starts a line, with text on it when given (cut to fit the line).
    void PageNewLine(const char* text);
    // Moves every line up by one and clears the last.
    void PageScroll();

    int32_t swapped;
    uint16_t kind;
    int32_t pageRows;
    int32_t pageColumns;
    int32_t currentRow;
    int32_t currentColumn;
    char* page;
    char* cursor;

    // Read slots take the raw value as read from the file into a host integer and
    // return the value; write slots take a value and return the raw value to write.
    uint8_t (*ReadUC)(uint32_t raw);
    int8_t (*ReadC)(uint32_t raw);
    uint16_t (*ReadUS)(uint32_t raw);
    int16_t (*ReadS)(uint32_t raw);
    uint32_t (*ReadUL)(uint32_t raw);
    int32_t (*ReadL)(uint32_t raw);
    double (*ReadF)(uint32_t raw); // converts the integer by value, not the bit pattern
    double (*ReadD)(uint64_t raw); // likewise, from a signed 64-bit integer
    uint8_t (*WriteUC)(uint32_t v);
    uint8_t (*WriteC)(int32_t v);
    uint16_t (*WriteUS)(uint32_t v);
    uint16_t (*WriteS)(int32_t v);
    uint32_t (*WriteUL)(uint32_t v);
    uint32_t (*WriteL)(int32_t v);
    int64_t (*WriteF)(float v);  // truncated toward zero to an integer
    int64_t (*WriteD)(double v); // likewise; the swapped set has no conversion and gives 0
};

// Each byte b becomes 255 - b.
void InvertBytes(uint8_t* buffer, int length);
// Each byte becomes the low 8 bits of b * factor.
void ScaleBytes(uint8_t* buffer, int length, int factor);
// Each source byte becomes 8 bytes of 0 or 1, most significant bit first. Returns 8 * length.
int UnpackBits(const uint8_t* source, uint8_t* destination, int length);
// PackBits-style coding with runs and literals of at most 127 bytes. Returns the
// number of bytes written: at most length + (length + 126) / 127.
int PackRuns(const uint8_t* source, uint8_t* destination, int length);
// Decodes length source bytes of PackRuns output; never reads beyond them, even when
// the last control byte promises more. Returns the number of bytes written.
int UnpackRuns(const uint8_t* source, uint8_t* destination, int length);

#endif
