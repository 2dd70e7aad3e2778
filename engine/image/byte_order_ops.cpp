#include "engine/image/byte_order_ops.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint16_t Swap16(uint32_t v) {
    return static_cast<uint16_t>(((v & 0xFF) << 8) | ((v >> 8) & 0xFF));
}

uint32_t Swap32(uint32_t v) {
    return ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
}

// Truncation toward zero that stays defined for every input: out-of-range values
// saturate and NaN gives 0.
int64_t TruncateToInt64(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 9223372036854775808.0) {
        return INT64_MAX;
    }
    if (v <= -9223372036854775808.0) {
        return INT64_MIN;
    }
    return static_cast<int64_t>(v);
}

// The native set: values pass unchanged.
uint8_t ReadUCNative(uint32_t raw) {
    return static_cast<uint8_t>(raw);
}
int8_t ReadCNative(uint32_t raw) {
    return static_cast<int8_t>(static_cast<uint8_t>(raw));
}
uint16_t ReadUSNative(uint32_t raw) {
    return static_cast<uint16_t>(raw);
}
int16_t ReadSNative(uint32_t raw) {
    return static_cast<int16_t>(static_cast<uint16_t>(raw));
}
uint32_t ReadULNative(uint32_t raw) {
    return raw;
}
int32_t ReadLNative(uint32_t raw) {
    return static_cast<int32_t>(raw);
}
double ReadFNative(uint32_t raw) {
    return static_cast<double>(raw);
}
double ReadDNative(uint64_t raw) {
    return static_cast<double>(static_cast<int64_t>(raw));
}
uint8_t WriteUCNative(uint32_t v) {
    return static_cast<uint8_t>(v);
}
uint8_t WriteCNative(int32_t v) {
    return static_cast<uint8_t>(v);
}
uint16_t WriteUSNative(uint32_t v) {
    return static_cast<uint16_t>(v);
}
uint16_t WriteSNative(int32_t v) {
    return static_cast<uint16_t>(v);
}
uint32_t WriteULNative(uint32_t v) {
    return v;
}
uint32_t WriteLNative(int32_t v) {
    return static_cast<uint32_t>(v);
}
int64_t WriteFNative(float v) {
    return TruncateToInt64(v);
}
int64_t WriteDNative(double v) {
    return TruncateToInt64(v);
}

// The swapped set: bytes reversed.
int16_t ReadSSwapped(uint32_t raw) {
    return static_cast<int16_t>(Swap16(raw));
}
int32_t ReadLSwapped(uint32_t raw) {
    return static_cast<int32_t>(Swap32(raw));
}
double ReadFSwapped(uint32_t raw) {
    return static_cast<double>(Swap32(raw));
}
double ReadDMbf(uint64_t raw) {
    std::fputs("ReadD_MBF: Reversal of 8-bytes and conversion to double is not implemented.\n",
               stdout);
    return ReadDNative(raw);
}
uint16_t WriteSSwapped(int32_t v) {
    return Swap16(static_cast<uint16_t>(static_cast<int16_t>(v)));
}
uint32_t WriteLSwapped(int32_t v) {
    return Swap32(static_cast<uint32_t>(v));
}
int64_t WriteFSwapped(float v) {
    return Swap32(static_cast<uint32_t>(TruncateToInt64(v)));
}
int64_t WriteDSwapped(double) {
    return 0;
}

} // namespace

ByteOrderOps::ByteOrderOps()
    : swapped(0), kind(0), pageRows(0), pageColumns(0), currentRow(0), currentColumn(0),
      page(nullptr), cursor(nullptr) {
    SetByteOrder(0);
}

ByteOrderOps::~ByteOrderOps() {
    std::free(page);
}

void ByteOrderOps::SetByteOrder(int swappedFlag) {
    swapped = swappedFlag;
    // Single bytes read the same in either order.
    ReadUC = ReadUCNative;
    ReadC = ReadCNative;
    WriteUC = WriteUCNative;
    WriteC = WriteCNative;
    if (swappedFlag == 0) {
        ReadUS = ReadUSNative;
        ReadS = ReadSNative;
        ReadUL = ReadULNative;
        ReadL = ReadLNative;
        ReadF = ReadFNative;
        ReadD = ReadDNative;
        WriteUS = WriteUSNative;
        WriteS = WriteSNative;
        WriteUL = WriteULNative;
        WriteL = WriteLNative;
        WriteF = WriteFNative;
        WriteD = WriteDNative;
    } else {
        ReadUS = Swap16;
        ReadS = ReadSSwapped;
        ReadUL = Swap32;
        ReadL = ReadLSwapped;
        ReadF = ReadFSwapped;
        ReadD = ReadDMbf;
        WriteUS = Swap16;
        WriteS = WriteSSwapped;
        WriteUL = Swap32;
        WriteL = WriteLSwapped;
        WriteF = WriteFSwapped;
        WriteD = WriteDSwapped;
    }
}

void InvertBytes(uint8_t* buffer, int length) {
    for (int i = 0; i < length; ++i) {
        buffer[i] = static_cast<uint8_t>(255 - buffer[i]);
    }
}

void ScaleBytes(uint8_t* buffer, int length, int factor) {
    for (int i = 0; i < length; ++i) {
        buffer[i] =
            static_cast<uint8_t>(static_cast<unsigned>(buffer[i]) * static_cast<unsigned>(factor));
    }
}

int UnpackBits(const uint8_t* source, uint8_t* destination, int length) {
    if (length <= 0) {
        return 0;
    }
    for (int i = 0; i < length; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            *destination++ = static_cast<uint8_t>((source[i] >> (7 - bit)) & 1);
        }
    }
    return 8 * length;
}

int PackRuns(const uint8_t* source, uint8_t* destination, int length) {
    const int MAX_RUN = 127;
    uint8_t* out = destination;
    int i = 0;
    while (i < length) {
        int left = length - i;
        const uint8_t* s = source + i;
        if (left == 1) {
            *out++ = 0;
            *out++ = s[0];
            break;
        }
        if (left == 2) {
            *out++ = 1;
            *out++ = s[0];
            *out++ = s[1];
            break;
        }
        bool runAhead = s[0] == s[1] && s[1] == s[2];
        if (left == 3) {
            if (runAhead) {
                *out++ = static_cast<uint8_t>(1 - 3);
                *out++ = s[0];
            } else {
                *out++ = 2;
                std::memcpy(out, s, 3);
                out += 3;
            }
            break;
        }
        if (runAhead) {
            int k = 3;
            while (k < left && k < MAX_RUN && s[k] == s[0]) {
                ++k;
            }
            *out++ = static_cast<uint8_t>(1 - k);
            *out++ = s[0];
            i += k;
            continue;
        }
        // A literal ends before three equal bytes that lie wholly inside the input.
        int count = 0;
        do {
            ++count;
        } while (count < MAX_RUN && count < left &&
                 !(count + 2 < left && s[count] == s[count + 1] && s[count + 1] == s[count + 2]));
        *out++ = static_cast<uint8_t>(count - 1);
        std::memcpy(out, s, static_cast<size_t>(count));
        out += count;
        i += count;
    }
    return static_cast<int>(out - destination);
}

int UnpackRuns(const uint8_t* source, uint8_t* destination, int length) {
    uint8_t* out = destination;
    int i = 0;
    while (i < length) {
        int control = source[i++];
        int left = length - i;
        if (control < 128) {
            // A literal cut short by the end of the input keeps what is there.
            int count = control + 1 < left ? control + 1 : left;
            std::memcpy(out, source + i, static_cast<size_t>(count));
            out += count;
            i += count;
        } else {
            if (left < 1) {
                break;
            }
            int count = (1 - control) & 0xFF; // control 128 repeats 129 times
            std::memset(out, source[i], static_cast<size_t>(count));
            out += count;
            i += 1;
        }
    }
    return static_cast<int>(out - destination);
}

void ByteOrderOps::CreatePage(int n) {
    std::free(page);
    page = nullptr;
    kind = BYTEORDER_KIND_PAGE;
    pageRows = 0;
    pageColumns = 0;
    if (n >= 1) {
        page = static_cast<char*>(std::calloc(static_cast<size_t>(n), static_cast<size_t>(n)));
    }
    if (page) {
        pageRows = n;
        pageColumns = n;
    }
    currentRow = 0;
    currentColumn = 0;
    cursor = page;
}

char* ByteOrderOps::CurrentLine() {
    return page ? page + static_cast<size_t>(currentRow) * pageColumns : nullptr;
}

char* ByteOrderOps::LineBack(int k) {
    int row = currentRow - k;
    if (!page || row < 0 || row >= pageRows) {
        return nullptr;
    }
    return page + static_cast<size_t>(row) * pageColumns;
}

void ByteOrderOps::PageChar(int c) {
    if (!page) {
        return;
    }
    if (c == '\r') {
        PageNewLine(nullptr);
        return;
    }
    if (c == '\b') {
        if (currentColumn > 0) {
            --cursor;
            --currentColumn;
            *cursor = 0;
        }
        return;
    }
    if (currentColumn >= pageColumns - 1) {
        // The line is full (its last byte stays 0): go on at the start of the next.
        if (pageColumns < 2) {
            return; // a line of one byte has room for no character at all
        }
        if (currentRow == pageRows - 1) {
            PageScroll();
        } else {
            ++currentRow;
        }
        cursor = CurrentLine();
        *cursor++ = static_cast<char>(c);
        currentColumn = 1;
        return;
    }
    *cursor++ = static_cast<char>(c);
    ++currentColumn;
}

void ByteOrderOps::PageNewLine(const char* text) {
    if (!page) {
        return;
    }
    if (currentRow == pageRows - 1) {
        PageScroll();
    } else {
        ++currentRow;
    }
    currentColumn = 0;
    cursor = CurrentLine();
    if (text) {
        // Cut to the line's room so the line stays a terminated string.
        size_t room = static_cast<size_t>(pageColumns - 1);
        size_t length = std::strlen(text);
        if (length > room) {
            length = room;
        }
        std::memset(cursor, 0, static_cast<size_t>(pageColumns));
        std::memcpy(cursor, text, length);
        currentColumn = static_cast<int32_t>(length);
        cursor += length;
    }
}

void ByteOrderOps::PageScroll() {
    if (!page) {
        return;
    }
    size_t columns = static_cast<size_t>(pageColumns);
    std::memmove(page, page + columns, columns * static_cast<size_t>(pageRows - 1));
    std::memset(page + columns * static_cast<size_t>(pageRows - 1), 0, columns);
}
