#include "tests/fuzz/wav_input.h"

#include "engine/sound/wave.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const LABEL = "fuzz.wav";

[[noreturn]] void Broken(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "wav fuzz: %s %s\n", what, detail.c_str());
    std::abort();
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// What the reader must hand back when it accepts a file, found plainly: the first chunk
// named "data" at a chunk boundary, its body as far as the file holds it, cut to whole
// frames. sawFormat tells whether a "fmt " chunk came before it.
struct Expected {
    bool found = false;
    bool sawFormat = false;
    std::vector<uint8_t> samples;
};

Expected ExpectedData(const uint8_t* data, size_t size, size_t blockAlign) {
    Expected expected;
    unsigned long long at = 12;
    while (at + 8 <= size) {
        const unsigned long long declared = Le32(data + at + 4);
        if (std::memcmp(data + at, "data", 4) == 0) {
            unsigned long long end = at + 8 + declared;
            if (end > size) {
                end = size;
            }
            const size_t bytes = static_cast<size_t>(end - at - 8);
            const size_t whole = blockAlign ? bytes / blockAlign * blockAlign : 0;
            expected.found = true;
            expected.samples.assign(data + at + 8, data + at + 8 + whole);
            return expected;
        }
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            expected.sawFormat = true;
        }
        at += 8 + declared + (declared % 2);
    }
    return expected;
}

bool IsEmpty(const Wave& wave) {
    return wave.samples.capacity() == 0 && wave.format.channels == 0 &&
           wave.format.samplesPerSecond == 0 && wave.format.bitsPerSample == 0 &&
           wave.format.blockAlign == 0 && wave.Frames() == 0;
}

// The promises of an accepted file.
void CheckAccepted(const Wave& wave, const uint8_t* data, size_t size) {
    const WaveFormat& f = wave.format;
    if ((f.channels != 1 && f.channels != 2) || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.blockAlign != f.channels * f.bitsPerSample / 8 || f.samplesPerSecond < WAVE_MIN_RATE ||
        f.samplesPerSecond > WAVE_MAX_RATE) {
        Broken("accepted a format it cannot play");
    }
    if (wave.samples.empty() || wave.samples.size() % f.blockAlign != 0 ||
        wave.Frames() * f.blockAlign != wave.samples.size()) {
        Broken("accepted something other than whole frames");
    }
    if (wave.samples.capacity() > size) {
        Broken("samples take more room than the file", std::to_string(wave.samples.capacity()));
    }
    const Expected expected = ExpectedData(data, size, f.blockAlign);
    if (!expected.found || !expected.sawFormat) {
        Broken("accepted a file without fmt and then data chunks");
    }
    if (expected.samples != wave.samples) {
        Broken("samples are not the first data chunk's whole frames");
    }
}

// The promises of a refusal: a one-line reason after the label, and nothing kept.
void CheckRefused(const Wave& wave, const std::string& error, const std::string& label) {
    if (error.compare(0, label.size() + 2, label + ": ") != 0 || error.size() <= label.size() + 2) {
        Broken("refused without a labelled reason:", error);
    }
    if (error.find_first_of("\r\n") != std::string::npos) {
        Broken("reason of more than one line:", error);
    }
    if (!IsEmpty(wave)) {
        Broken("a refused file left samples or a format behind");
    }
}

} // namespace

void CheckWaveInput(const uint8_t* data, size_t size, const char* path) {
    // An exactly sized heap copy, so a read one byte past the end is caught.
    const std::vector<uint8_t> copy(data, data + size);
    Wave wave;
    std::string error;
    const bool parsed = wave.Parse(copy.data(), copy.size(), LABEL, &error);
    if (parsed) {
        CheckAccepted(wave, copy.data(), copy.size());
    } else {
        CheckRefused(wave, error, LABEL);
    }
    const std::vector<uint8_t> parsedSamples = wave.samples;
    const std::string reason = parsed ? "" : error.substr(std::strlen(LABEL));
    if (!path) {
        return;
    }

    std::FILE* out = std::fopen(path, "wb");
    if (!out || (size > 0 && std::fwrite(data, size, 1, out) != 1) || std::fclose(out) != 0) {
        Broken("cannot write", path);
    }
    // The same object again, as the sound class reuses one for a batch of sounds.
    std::string loadError;
    const bool loaded = wave.Load(path, &loadError);
    if (loaded != parsed) {
        Broken("Load and Parse disagree:", loadError);
    }
    if (loaded) {
        CheckAccepted(wave, copy.data(), copy.size());
        if (wave.samples != parsedSamples) {
            Broken("Load and Parse give different samples");
        }
    } else {
        CheckRefused(wave, loadError, path);
        if (loadError.substr(std::strlen(path)) != reason) {
            Broken("Load and Parse give different reasons:", loadError + " / " + error);
        }
    }
}
