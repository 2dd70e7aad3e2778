// Reader and writer of uncompressed TIF pictures (first image, strips, either byte order).
#ifndef TOLVO_ENGINE_IMAGE_TIFF_H
#define TOLVO_ENGINE_IMAGE_TIFF_H

#include "engine/image/image.h"

#include <cstdint>
#include <memory>
#include <vector>

class File;
class ByteOrderOps;

// Colour modes of the mode field.
constexpr int TIFF_BILEVEL = 0;
constexpr int TIFF_GREYSCALE = 1;
constexpr int TIFF_RGB = 2;
constexpr int TIFF_PALETTE = 3;

// Room for the file name, terminator included.
constexpr int TIFF_NAME_ROOM = 100;
// Largest picture side the reader accepts; larger ones are treated as corrupted files.
constexpr int TIFF_MAX_SIDE = 16384;
// What a file may make the reader allocate: its planes (4 bytes a pixel: colour and
// alpha) stay within TIFF_PLANE_FACTOR times the file's size plus TIFF_PLANE_ALLOWANCE.
// Every format the reader decodes stores at least one byte a pixel except bilevel, so
// any file that holds its pixels loads, as does any picture up to 4096 x 4096; a file
// that declares far more pixels than it can hold is a corrupted file.
constexpr int64_t TIFF_PLANE_FACTOR = 4;
constexpr int64_t TIFF_PLANE_ALLOWANCE = int64_t{64} << 20;

// Loads and saves TIF pictures. Its fields hold what the last load read, or what the
// next save writes.
class Tiff {
  public:
    Image* image;                  // being loaded or saved; not owned
    char fileName[TIFF_NAME_ROOM]; // the file of the last load or save
    int32_t done;                  // 1 once a load or save has run to its end
    int32_t width;                 // the picture's pixels a row
    int32_t height;                // the picture's rows
    int32_t imageFlags;   // handed to Image::Size: IMG_24BIT, plus IMG_ALPHA with an extra sample
    int32_t mode;         // TIFF_BILEVEL, TIFF_GREYSCALE, TIFF_RGB or TIFF_PALETTE
    int32_t extraSamples; // samples a pixel beyond its colours: 1 for alpha
    int32_t samples;      // count of the BitsPerSample entry
    int32_t bitsOffset;   // BitsPerSample value: for RGB the offset of the depths
    int32_t redBits;      // bits of each sample
    int32_t greenBits;    // bits of each sample
    int32_t blueBits;     // bits of each sample
    int32_t alphaBits;    // bits of each sample
    int32_t greyBits;     // bits of each sample
    int32_t photometric;  // the PhotometricInterpretation field
    int32_t strips;       // count of strips
    int32_t stripOffsets; // the strip's offset, or the offset of the array of offsets
    int32_t stripByteCounts; // the strip's size, or the offset of the array of sizes
    int32_t rowsPerStrip;    // rows in each strip
    int32_t bitsPerPixel;    // reader: all samples of a pixel; writer: bits per sample
    int32_t bytesPerRow;     // bytes of one row in the file

    // Every field starts at zero (image none), so a first load never depends on
    // leftovers. Later loads and saves on the same object keep the fields a file does
    // not set, as the engine always has.
    Tiff();
    explicit Tiff(Image* image);
    ~Tiff();
    Tiff(const Tiff&) = delete;
    Tiff& operator=(const Tiff&) = delete;

    // LoadTiff, then the image's Convert(mode).
    void Load(const char* fileName, Image& image, int mode);
    // Reads the first picture of the file as 24-bit RGB (with alpha for an extra
    // sample). A missing file shows a message box and leaves the image as it was.
    void LoadTiff(const char* fileName, Image& image);
    // Writes a 24-bit image with the fixed layout; set mode and bitsPerPixel (bits per
    // sample) first. Only mode TIFF_RGB with 8 bits writes pixels.
    void SaveTiff(const char* fileName, Image& image);

  private:
    // Steps of LoadTiff; they need the open file.
    void ReadIfd();
    void ReadEntry();
    void ReadStrips();
    void ReadStrip(uint32_t offset, int64_t firstRow);
    void ReadRgbRows(int64_t firstRow, int64_t lastRow);

    // State of the load in progress; none of it outlives LoadTiff.
    File* file;
    ByteOrderOps* order;
    bool bigEndian;
    bool rowsPerStripSeen;
    bool bitsPerSampleSeen;
    int64_t fileSize;
    std::vector<uint8_t> rowBuffer;
    std::vector<uint8_t> bitBuffer;
    // The file's first headBytes and its bytes from tailStart on (a small file whole),
    // fetched by a read or two and kept for the next load: header and directory fields
    // come from memory. Other bytes are read from the stream where they lie.
    std::unique_ptr<uint8_t[]> fileBytes;
    int64_t fileRoom;
    int64_t headBytes;
    int64_t tailStart;
    int64_t position;   // where the next field or row is taken from
    int64_t filledRows; // rows of the plane written so far (each strip writes all its rows)

    void FetchEnds();
    const uint8_t* InMemory(int64_t bytes) const;
    int64_t Take(void* out, int64_t bytes);
    uint16_t ReadShort();
    uint32_t ReadLong();
    void SeekTo(int64_t offset);
    void CheckSize();
    int SampleBytes() const;
    int64_t RowInputBytes() const;
    void ConvertRow(int64_t row);
};

#endif
