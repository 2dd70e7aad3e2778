// The runs of a keyed picture's opaque pixels, row by row, each with a copy of its
// pixels. A keyed draw copies the runs instead of testing every pixel against the key:
// a sprite's transparent border is never read, and what is read lies in one stream.
// Made from the 16-bit pixel plane for one key value.
#ifndef TOLVO_ENGINE_IMAGE_KEYED_RUNS_H
#define TOLVO_ENGINE_IMAGE_KEYED_RUNS_H

#include <cstddef>
#include <cstdint>
#include <memory>

class KeyedRuns {
  public:
    // Widest picture whose columns a run can hold.
    static constexpr int32_t MAX_WIDTH = 65535;
    // At most one run for this many pixels. Where runs are shorter still, none are kept
    // and the picture is drawn eight pixels a test, as before; so a picture's runs take
    // at most its plane's bytes and a quarter, plus 6 bytes a row.
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

    // Where a row starts in the stream. The rows follow each other, each as its number
    // of runs, then per run its first column, its length and its pixels, all words.
    const uint16_t* Row(int32_t row) const { return stream.get() + rowStarts[row]; }
    int32_t Width() const { return madeWidth; }
    size_t RunCount() const { return runCount; }
    // Bytes held for the stream and the row index.
    size_t Bytes() const;

  private:
    bool made = false;
    bool kept = false;
    const uint16_t* madePixels = nullptr;
    int32_t madeWidth = 0;
    int32_t madeHeight = 0;
    uint16_t madeKey = 0;
    size_t runCount = 0;
    size_t streamWords = 0;
    // Left uninitialised when allocated: every word is written before it is read.
    std::unique_ptr<uint32_t[]> rowStarts; // one a row, into stream
    std::unique_ptr<uint16_t[]> stream;
};

#endif
