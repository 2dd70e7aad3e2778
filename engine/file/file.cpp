#include "engine/file/file.h"

#include "engine/file/debug_log.h"
#include "engine/file/fatal.h"
#include "engine/platform/file_names.h"

#include <cstring>

namespace {

// Logged before the process ends.
const char* const MSG_APPEND_AND_READ =
    "File::Open: Cannot open file in both APPEND and READ modes.\n";
const char* const MSG_APPEND_AND_WRITE =
    "File::Open: Cannot open file in both APPEND and WRITE modes.\n";
const char* const MSG_NO_DIRECTION =
    "File::Open: Must open file using FILE_APPEND, FILE_READ, or FILE_WRITE.\n";
const char* const MSG_NOTOPEN_REQUESTED =
    "File::Open: Cannot open a file using FILE_NOTOPEN command!!\n";
const char* const MSG_BOTH_ACCESS_MODES =
    "File::Open: Cannot open in SEQUENTIAL and RANDOM access modes.\n";
const char* const MSG_NO_ACCESS_MODE =
    "File::Open: Must open in SEQUENTIAL or RANDOM access mode.\n";
const char* const MSG_OPEN_FAILED = "File::Open: Unable to open file (reason unknown)\n";

// Logged, then Open returns FILE_NOTFOUND.
const char* const MSG_MISSING_APPEND =
    "File::Open: File does not exist for append. (Use FILE_AUTOCREATE if desired)\n";
const char* const MSG_MISSING_READ_WRITE =
    "File::Open: File does not exist for read/write. (Use FILE_AUTOCREATE if desired)\n";
const char* const MSG_MISSING_READ = "File::Open: File does not exist for read.\n";
const char* const MSG_MISSING_WRITE =
    "File::Open: File does not exist for write (Use FILE_AUTOCREATE is desired).\n";
const char* const MSG_NO_NAME = "File::Open: No file name given.\n";
const char* const MSG_NAME_TOO_LONG =
    "File::Open: File name is too long (99 characters at most); file not opened.\n";

// Logged, and Open goes on.
const char* const MSG_LEAVEEOF_WARNING =
    "File::Open: (Warning only) FILE_LEAVEEOF only has meaning with FILE_APPEND.\n";
const char* const MSG_AUTOCREATE_WARNING =
    "File::Open: (Warning only) FILE_AUTOCREATE has no meaning when using FILE_READ without "
    "FILE_APPEND or FILE_WRITE.\n";

// Bytes of the stream buffer of a file opened for reading only.
const size_t FILE_READ_BUFFER = 64 * 1024;

[[noreturn]] void Fail(const char* message) {
    debugLog.Write(message);
    FatalExit();
}

// The name must fit the name field; it is checked before any stream is touched, so
// an over-long name is never truncated into the name of some other file.
bool NameFits(const char* name) {
    if (!name) {
        debugLog.Write(MSG_NO_NAME);
        return false;
    }
    if (std::strlen(name) >= static_cast<size_t>(FILE_NAME_ROOM)) {
        debugLog.Write(MSG_NAME_TOO_LONG);
        return false;
    }
    return true;
}

// The mode a read-only request ends with: "rb" or "rt". A request with both or neither
// access mode, or with FILE_NOTOPEN, is refused after the existence check; its probe is
// plain "r", as Exists uses, and is closed again.
const char* ReadOnlyMode(int openFlags) {
    const bool random = (openFlags & RANDOM) != 0;
    const bool sequential = (openFlags & SEQUENTIAL) != 0;
    if ((openFlags & FILE_NOTOPEN) || random == sequential) {
        return "r";
    }
    return random ? "rb" : "rt";
}

void CloseProbe(std::FILE* probe) {
    if (probe) {
        std::fclose(probe);
    }
}

bool IsSpaceOrTab(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

File::File() : flags(FILE_NOTOPEN), name{}, stream(nullptr), mode{} {}

File::File(const char* fileName, int openFlags) : File() {
    Open(fileName, openFlags);
}

File::~File() {
    Close();
}

int File::Open(const char* fileName, int openFlags) {
    char newMode[4] = {};
    std::FILE* probe = nullptr; // a read-only request's stream, opened by its existence check
    if (openFlags & FILE_APPEND) {
        if (openFlags & FILE_READ) {
            Fail(MSG_APPEND_AND_READ);
        }
        if (openFlags & FILE_WRITE) {
            Fail(MSG_APPEND_AND_WRITE);
        }
        std::strcat(newMode, "a");
        if (!(openFlags & FILE_AUTOCREATE)) {
            if (!NameFits(fileName)) {
                return FILE_NOTFOUND;
            }
            if (Exists(fileName) == FILE_NOTFOUND) {
                debugLog.Write(MSG_MISSING_APPEND);
                return FILE_NOTFOUND;
            }
        }
        if (!(openFlags & FILE_LEAVEEOF)) {
            std::strcat(newMode, "+");
        }
    } else {
        if (openFlags & FILE_LEAVEEOF) {
            debugLog.Write(MSG_LEAVEEOF_WARNING);
        }
        bool reading = (openFlags & FILE_READ) != 0;
        bool writing = (openFlags & FILE_WRITE) != 0;
        bool creating = (openFlags & FILE_AUTOCREATE) != 0;
        if (reading && writing) {
            if (creating) {
                std::strcat(newMode, "w+");
            } else {
                if (!NameFits(fileName)) {
                    return FILE_NOTFOUND;
                }
                if (Exists(fileName) == FILE_NOTFOUND) {
                    debugLog.Write(MSG_MISSING_READ_WRITE);
                    return FILE_NOTFOUND;
                }
                std::strcat(newMode, "r+");
            }
        } else if (reading) {
            if (creating) {
                debugLog.Write(MSG_AUTOCREATE_WARNING);
            }
            if (!NameFits(fileName)) {
                return FILE_NOTFOUND;
            }
            // The existence check opens the file in the mode the stream will use, and
            // that stream is kept: one open instead of two.
            probe = OpenPlatformFile(fileName, ReadOnlyMode(openFlags));
            if (!probe) {
                debugLog.Write(MSG_MISSING_READ);
                return FILE_NOTFOUND;
            }
            std::strcat(newMode, "r");
        } else if (writing) {
            if (!creating) {
                if (!NameFits(fileName)) {
                    return FILE_NOTFOUND;
                }
                if (Exists(fileName) == FILE_NOTFOUND) {
                    debugLog.Write(MSG_MISSING_WRITE);
                    return FILE_NOTFOUND;
                }
            }
            std::strcat(newMode, "w");
        } else {
            Fail(MSG_NO_DIRECTION);
        }
    }

    if (openFlags & FILE_NOTOPEN) {
        CloseProbe(probe);
        Fail(MSG_NOTOPEN_REQUESTED);
    }

    bool random = (openFlags & RANDOM) != 0;
    bool sequential = (openFlags & SEQUENTIAL) != 0;
    if (random && sequential) {
        CloseProbe(probe);
        Fail(MSG_BOTH_ACCESS_MODES);
    }
    if (!random && !sequential) {
        CloseProbe(probe);
        Fail(MSG_NO_ACCESS_MODE);
    }
    std::strcat(newMode, random ? "b" : "t");

    if (!NameFits(fileName)) {
        CloseProbe(probe);
        return FILE_NOTFOUND;
    }
    // Callers never reopen an open File; should one, the earlier stream is not leaked.
    Close();
    std::strcpy(name, fileName);
    std::strcpy(mode, newMode);
    flags = openFlags;
    // The probe was opened in exactly this mode (ReadOnlyMode of a valid request).
    stream = probe ? probe : OpenPlatformFile(name, mode);
    if (!stream) {
        Fail(MSG_OPEN_FAILED);
    }
    // Pictures are read in rows of a few kilobytes: a large buffer turns hundreds of
    // system calls per file into a few dozen. Only the buffering changes.
    if ((openFlags & FILE_READ) && !(openFlags & FILE_WRITE)) {
        std::setvbuf(stream, nullptr, _IOFBF, FILE_READ_BUFFER);
    }
    return FILE_OK;
}

void File::Close() {
    if (!(flags & FILE_NOTOPEN) && stream) {
        std::fflush(stream);
        std::fclose(stream);
    }
    stream = nullptr;
    flags = FILE_NOTOPEN;
}

int File::Read(int size, void* buffer) {
    if (!IsOpen()) {
        return FILE_NOTREADABLE;
    }
    if (size < 0) {
        return FILE_READERROR; // a negative size would be taken as a huge unsigned one
    }
    size_t items = std::fread(buffer, static_cast<size_t>(size), 1, stream);
    if (!(flags & FILE_READ)) {
        return FILE_NOTREADABLE;
    }
    if (items == 1) {
        return FILE_OK;
    }
    return std::feof(stream) ? FILE_EOF : FILE_READERROR;
}

int File::Write(int size, const void* buffer) {
    if (!IsOpen()) {
        return FILE_NOTWRITABLE;
    }
    if (size < 0) {
        return FILE_WRITEERROR;
    }
    size_t items = std::fwrite(buffer, static_cast<size_t>(size), 1, stream);
    if (!(flags & FILE_WRITE)) {
        return FILE_NOTWRITABLE;
    }
    return items == 1 ? FILE_OK : FILE_WRITEERROR;
}

int File::GetChar(char* out) {
    if (!IsOpen()) {
        return FILE_NOTREADABLE;
    }
    int c = std::fgetc(stream);
    if (out) {
        *out = static_cast<char>(c & 0xFF); // at end of file, the byte 0xFF
    }
    if (!(flags & FILE_READ)) {
        return FILE_NOTREADABLE;
    }
    if (std::feof(stream)) {
        return FILE_EOF;
    }
    if (std::ferror(stream)) {
        return FILE_READERROR;
    }
    return FILE_OK;
}

int File::PutChar(int character) {
    if (!IsOpen()) {
        return FILE_NOTWRITABLE;
    }
    std::fputc(character & 0xFF, stream);
    if (!(flags & FILE_WRITE)) {
        return FILE_NOTWRITABLE;
    }
    return std::ferror(stream) ? FILE_WRITEERROR : FILE_OK;
}

int File::ReadLine(char* buffer) {
    if (!IsOpen()) {
        if (buffer) {
            buffer[0] = '\0';
        }
        return 1; // nothing more to read: callers' line loops stop
    }
    if (!std::fgets(buffer, FILE_LINE_ROOM, stream)) {
        buffer[0] = '\0'; // fgets leaves the buffer as it was at end of file
    }
    return std::feof(stream) ? 1 : 0;
}

int File::WriteString(const char* text) {
    if (!IsOpen()) {
        return FILE_NOTWRITABLE;
    }
    if (text) {
        std::fputs(text, stream);
    }
    return FILE_OK;
}

int File::Seek(long position) {
    if (!IsOpen()) {
        return -1;
    }
    if (position == -1) {
        return std::fseek(stream, 0, SEEK_SET);
    }
    if (position == -2) {
        return std::fseek(stream, 0, SEEK_END);
    }
    return std::fseek(stream, position, SEEK_SET);
}

long File::Tell() {
    if (!IsOpen()) {
        return -1;
    }
    return std::ftell(stream);
}

int File::Exists(const char* fileName) {
    std::FILE* probe = OpenPlatformFile(fileName, "r");
    if (!probe) {
        return FILE_NOTFOUND;
    }
    std::fclose(probe);
    return FILE_FOUND;
}

// Skips leading blanks, then takes the text up to the separator, a tab, a newline or
// the end. A token ended by a separator or tab leaves the rest of the line (without
// its newline) in line; a token ended by the end of the line takes everything left,
// newline included, and empties line.
int File::GetToken(char* line, char* token, char separator) {
    char* start = line;
    while (IsSpaceOrTab(*start)) {
        ++start;
    }
    if (*start == '\n' || *start == '\0') {
        token[0] = '\0';
        return 0;
    }
    char* end = start;
    while (*end != separator && *end != '\t' && *end != '\n' && *end != '\0') {
        ++end;
    }
    if (*end == '\n' || *end == '\0') {
        std::memmove(token, start, std::strlen(start) + 1);
        line[0] = '\0';
        return 1;
    }
    size_t tokenLength = static_cast<size_t>(end - start);
    std::memmove(token, start, tokenLength);
    token[tokenLength] = '\0';
    const char* rest = end + 1;
    size_t restLength = std::strcspn(rest, "\n");
    std::memmove(line, rest, restLength);
    line[restLength] = '\0';
    return 1;
}
