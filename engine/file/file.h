// The engine's file: a buffered stream opened under a strict set of flag rules.
#ifndef TOLVO_ENGINE_FILE_FILE_H
#define TOLVO_ENGINE_FILE_FILE_H

#include <cstdint>
#include <cstdio>

// Open flags, combined with |.
enum {
    FILE_NOTOPEN = 1,     // state of a File with no stream; never valid in a request
    RANDOM = 2,           // binary stream
    SEQUENTIAL = 4,       // text stream
    FILE_READ = 8,        // open for reading
    FILE_WRITE = 16,      // open for writing
    FILE_APPEND = 32,     // open for appending; excludes FILE_READ and FILE_WRITE
    FILE_AUTOCREATE = 64, // a missing file may be created (with FILE_WRITE or FILE_APPEND)
    FILE_LEAVEEOF = 128   // with FILE_APPEND: plain "a" instead of "a+"
};

// Result codes.
enum {
    FILE_OK = 0,
    FILE_EOF = 1,         // the stream's end-of-file indicator is set
    FILE_READERROR = 2,   // a read failed before the end of the file
    FILE_WRITEERROR = 3,  // a write failed
    FILE_NOTREADABLE = 4, // not opened with FILE_READ
    FILE_NOTWRITABLE = 5, // not opened with FILE_WRITE
    FILE_NOTFOUND = 6,    // the named file does not exist (cannot be opened for reading)
    FILE_FOUND = 7        // the named file exists (Exists only)
};

// Room for a file name: 99 characters and the terminator.
const int FILE_NAME_ROOM = 100;
// Room ReadLine may use in its buffer, terminator included.
const int FILE_LINE_ROOM = 500;

// A file of the engine: names are Windows-style ("Images\\page.tif") and resolved as
// Windows resolves them on every host.
class File {
  public:
    File();
    // Open(name, flags); its result is not kept.
    File(const char* name, int flags);
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // FILE_OK or FILE_NOTFOUND (logged); contradictory or incomplete flags, and a
    // stream that cannot be opened, are logged and end the process.
    int Open(const char* name, int flags);
    void Close();

    // One block of size bytes. FILE_OK, FILE_EOF, FILE_READERROR or FILE_NOTREADABLE.
    int Read(int size, void* buffer);
    // FILE_OK, FILE_WRITEERROR or FILE_NOTWRITABLE.
    int Write(int size, const void* buffer);
    // Raw 2- and 4-byte values in the machine's byte order; ByteOrderOps converts them.
    int ReadShort(uint16_t* destination) { return Read(2, destination); }
    int ReadLong(uint32_t* destination) { return Read(4, destination); }
    int WriteShort(uint16_t value) { return Write(2, &value); }
    int WriteLong(uint32_t value) { return Write(4, &value); }

    // One character into *out: FILE_OK, FILE_EOF or FILE_READERROR.
    int GetChar(char* out);
    // One character: FILE_OK or FILE_WRITEERROR.
    int PutChar(int character);
    // One line, newline kept, into a buffer of FILE_LINE_ROOM bytes. 1 at end of file.
    int ReadLine(char* buffer);
    // Writes text as it is. FILE_OK, or FILE_NOTWRITABLE on a File that is not open.
    int WriteString(const char* text);
    // -1: start, -2: end, otherwise that byte offset. 0 on success.
    int Seek(long position);
    // The current byte offset, or -1.
    long Tell();

    // FILE_FOUND when name can be opened for reading, else FILE_NOTFOUND.
    static int Exists(const char* name);
    // Splits the next token off line (see file.cpp); 1 if there was one.
    static int GetToken(char* line, char* token, char separator);
    static int GetToken(char* line, char* token) { return GetToken(line, token, ' '); }

    // Whether a stream is open.
    bool IsOpen() const { return (flags & FILE_NOTOPEN) == 0; }
    // The flags of the open stream, FILE_NOTOPEN without one.
    int GetFlags() const { return flags; }
    // The name the file was opened under.
    const char* GetName() const { return name; }
    // The stream mode the last successful Open used, as Windows spells it ("rb", "a+t").
    const char* GetMode() const { return mode; }

  private:
    int flags;
    char name[FILE_NAME_ROOM];
    std::FILE* stream;
    char mode[4];
};

#endif
