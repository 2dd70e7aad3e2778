// The runs of a keyed picture's opaque pixels, row by row, with a copy of those pixels
// packed run after run. A keyed draw copies the runs instead of testing every pixel
// against the key: a sprite's transparent border is never read, and what is read lies
// together. Made from the 16-bit pixel plane for one key value.
#ifndef TOLVO_ENGINE_IMAGE_KEYED_RUNS_H
#define TOLVO_ENGINE_IMAGE_KEYED_RUNS_H

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels start to start + length - 1 of a row differ from the key.
struct KeyedRun {
    uint16_t start;
    uint16_t length;
};

class KeyedRuns {
  public:
    // Widest picture whose columns a run can hold.
    static constexpr int32_t MAX_WIDTH = 65535;
    // At most one run for this many pixels. Where runs are shorter still, testing eight
    // pixels at a time is as fast and the runs would only cost memory, so they are not
    // kept: the runs take at most a quarter of the pixel plane's bytes, their pixels at
    // most the plane's.
    static constexpr int32_t PIXELS_PER_RUN = 8;

    // Scans the plane. False, with nothing kept, where the picture is too wide or its
    // runs too short to be worth keeping.
    bool Make(const uint16_t* pixels, int32_t width, int32_t height, uint16_t key);
    // Whether the last Make was of this plane, size and key (kept or not).
    bool MadeFrom(const uint16_t* pixels, int32_t width, int32_t height, uint16_t key) const {
        return made && pixels == madePixels && width == madeWidth && height == madeHeight &&
               key == madeKey;
    }
    bool Kept() const { return kept; }
    // Forgets the runs and gives their memory back: the next use makes them again.
    void Clear();

    // The runs of one row, in order, between first and end, and their pixels.
    const KeyedRun* RowBegin(int32_t row) const { return runs.data() + rowStarts[row]; }
    const KeyedRun* RowEnd(int32_t row) const { return runs.data() + rowStarts[row + 1]; }
    const uint16_t* RowPixels(int32_t row) const { return opaque.data() + rowPixels[row]; }
    int32_t Width() const { return madeWidth; }
    size_t RunCount() const { return runs.size(); }
    // Bytes held for the runs, their pixels and the row index.
    size_t Bytes() const;

  private:
    bool made = false;
    bool kept = false;
    const uint16_t* madePixels = nullptr;
    int32_t madeWidth = 0;
    int32_t madeHeight = 0;
    uint16_t madeKey = 0;
    std::vector<uint32_t> rowStarts; // height + 1 entries into runs
    std::vector<uint32_t> rowPixels; // height entries into opaque
    std::vector<KeyedRun> runs;
    std::vector<uint16_t> opaque;
};

#endif
