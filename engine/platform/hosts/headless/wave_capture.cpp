#include "engine/platform/hosts/headless/wave_capture.h"

#include "engine/platform/requested_files.h"

#include <cerrno>
#include <vector>

namespace headless {
namespace {

const char* const SETTING = "TOLVO_AUDIO_CAPTURE";
const uint32_t HEADER_BYTES = 44;
// RIFF sizes are 32 bits: the data chunk ends before 4 GiB, header included.
const uint32_t DATA_LIMIT = 0xFFFFFFFFu - HEADER_BYTES;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

} // namespace

WaveCapture::~WaveCapture() {
    Close();
}

bool WaveCapture::Open(const std::string& newPath, int samplesPerSecond, int newChannels) {
    Close();
    path = newPath;
    rate = samplesPerSecond;
    channels = newChannels;
    dataBytes = 0;
    errno = 0;
    file = std::fopen(path.c_str(), "wb");
    if (!file || !WriteHeader()) {
        ReportNotWritten(SETTING, CannotText(file ? "write" : "create", path, errno),
                         "no sound is captured");
        Abandon();
        return false;
    }
    return true;
}

void WaveCapture::Write(const int16_t* samples, int frames) {
    if (!file || frames <= 0) {
        return;
    }
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channels);
    if (count * 2 > DATA_LIMIT - dataBytes) {
        std::fprintf(stderr,
                     "TOLVO_AUDIO_CAPTURE: %s is as long as a WAV file can be; "
                     "capture stopped\n",
                     path.c_str());
        Close();
        return;
    }
    // Little-endian whatever the machine.
    std::vector<uint8_t> bytes(count * 2);
    for (size_t i = 0; i < count; i++) {
        Put16(&bytes[i * 2], static_cast<uint16_t>(samples[i]));
    }
    errno = 0;
    bool written = std::fseek(file, 0, SEEK_END) == 0 &&
                   std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    dataBytes += static_cast<uint32_t>(bytes.size());
    if (!written || !WriteHeader() || std::fflush(file) != 0) {
        // What was written before stays, its header counting only that.
        ReportNotWritten(SETTING, CannotText("write", path, errno), "capture stopped");
        Abandon();
    }
}

void WaveCapture::Close() {
    if (file) {
        errno = 0;
        if (std::fclose(file) != 0) {
            ReportNotWritten(SETTING, CannotText("write", path, errno),
                             "the capture is incomplete");
        }
        file = nullptr;
    }
}

void WaveCapture::Abandon() {
    if (file) {
        std::fclose(file); // its failure was said already
        file = nullptr;
    }
}

bool WaveCapture::WriteHeader() {
    const uint32_t blockAlign = static_cast<uint32_t>(channels) * 2;
    uint8_t header[HEADER_BYTES] = {'R', 'I', 'F', 'F', 0,   0,   0,   0, 'W', 'A', 'V',
                                    'E', 'f', 'm', 't', ' ', 16,  0,   0, 0,   1,   0,
                                    0,   0,   0,   0,   0,   0,   0,   0, 0,   0,   0,
                                    0,   16,  0,   'd', 'a', 't', 'a', 0, 0,   0,   0};
    Put32(header + 4, HEADER_BYTES - 8 + dataBytes);
    Put16(header + 22, static_cast<uint32_t>(channels));
    Put32(header + 24, static_cast<uint32_t>(rate));
    Put32(header + 28, static_cast<uint32_t>(rate) * blockAlign);
    Put16(header + 32, blockAlign);
    Put32(header + 40, dataBytes);
    return std::fseek(file, 0, SEEK_SET) == 0 &&
           std::fwrite(header, 1, HEADER_BYTES, file) == HEADER_BYTES;
}

} // namespace headless
