#include "tests/fuzz/text_input.h"

#include "engine/file/file.h"
#include "engine/image/byte_order_ops.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "text fuzz: %s\n", what);
    std::abort();
}

// The decoding UnpackRuns promises, written plainly: a literal cut short by the end
// keeps the bytes there are, a repeat control with no byte after it writes nothing.
std::vector<uint8_t> ExpectedRuns(const uint8_t* in, size_t size) {
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < size) {
        const unsigned control = in[i++];
        if (control < 128) {
            for (unsigned k = 0; k <= control && i < size; ++k) {
                out.push_back(in[i++]);
            }
        } else if (i < size) {
            out.insert(out.end(), (257 - control) & 0xFF, in[i++]);
        }
    }
    return out;
}

// Exactly sized heap copies, so a read or write one byte outside is caught. Zeroed, so
// the one byte an empty input still gets is defined too.
uint8_t* HeapCopy(const uint8_t* data, size_t size) {
    uint8_t* copy = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    if (size) {
        std::memcpy(copy, data, size);
    }
    return copy;
}

} // namespace

void CheckRunsInput(const uint8_t* data, size_t size) {
    const int length = static_cast<int>(size);
    uint8_t* source = HeapCopy(data, size);

    const std::vector<uint8_t> expected = ExpectedRuns(data, size);
    uint8_t* decoded = static_cast<uint8_t*>(std::malloc(expected.size() + 1));
    const int written = UnpackRuns(source, decoded, length);
    if (written != static_cast<int>(expected.size()) ||
        (!expected.empty() && std::memcmp(decoded, expected.data(), expected.size()) != 0)) {
        Broken("UnpackRuns decoded something else");
    }
    std::free(decoded);

    // Every literal costs one control byte per 127 bytes; runs only save.
    const size_t bound = size + (size + 126) / 127 + 1;
    uint8_t* packed = static_cast<uint8_t*>(std::malloc(bound));
    const int packedLength = PackRuns(source, packed, length);
    if (packedLength < 0 || static_cast<size_t>(packedLength) > bound) {
        Broken("PackRuns wrote more than its bound");
    }
    uint8_t* unpacked = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (UnpackRuns(packed, unpacked, packedLength) != length ||
        (size && std::memcmp(unpacked, data, size) != 0)) {
        Broken("PackRuns then UnpackRuns did not give the input back");
    }
    std::free(unpacked);
    std::free(packed);
    std::free(source);
}

void CheckTokenInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return;
    }
    const char separator = static_cast<char>(data[0]);
    const size_t textLength = strnlen(reinterpret_cast<const char*>(data + 1), size - 1);
    char* line = static_cast<char*>(std::malloc(textLength + 1));
    std::memcpy(line, data + 1, textLength);
    line[textLength] = '\0';
    // A token is never longer than the line it came from.
    char* token = static_cast<char*>(std::malloc(textLength + 1));

    size_t before = textLength;
    for (size_t round = 0; round <= textLength + 1; ++round) {
        if (File::GetToken(line, token, separator) == 0) {
            if (token[0] != '\0' || std::strlen(line) != before) {
                Broken("GetToken without a token changed its arguments");
            }
            break;
        }
        const size_t after = std::strlen(line);
        if (std::strlen(token) > before) {
            Broken("GetToken gave a token longer than the line");
        }
        // Each token takes something off the line, so a caller's loop ends.
        if (after >= before && after != 0) {
            Broken("GetToken did not shorten the line");
        }
        before = after;
        if (round == textLength + 1) {
            Broken("GetToken kept finding tokens");
        }
    }
    std::free(token);
    std::free(line);
}
