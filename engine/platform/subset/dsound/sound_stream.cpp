#include "engine/platform/subset/dsound/sound_stream.h"

#include "engine/platform/subset/seam/host.h"

#include <algorithm>
#include <vector>

namespace subset {
namespace {

struct Stream {
    int generation = 1;
    int objects = 0; // live DirectSound objects of this generation
    bool open = false;
    std::vector<Voice*> voices;
    std::vector<int32_t> sum;
    std::vector<int16_t> samples;
};

Stream& State() {
    static Stream stream;
    return stream;
}

} // namespace

bool OpenStream(int* generation) {
    Stream& stream = State();
    *generation = stream.generation;
    if (!stream.open) {
        stream.open = CurrentHost().OpenAudio(static_cast<int>(STREAM_RATE), MIX_CHANNELS);
        if (!stream.open) {
            return false;
        }
    }
    stream.objects++;
    return true;
}

void CloseStream(int generation) {
    Stream& stream = State();
    if (generation != stream.generation || stream.objects == 0) {
        return;
    }
    if (--stream.objects == 0 && stream.open) {
        stream.open = false;
        CurrentHost().CloseAudio();
    }
}

void AddVoice(Voice* voice, int generation) {
    if (generation == State().generation) {
        State().voices.push_back(voice);
    }
}

void RemoveVoice(Voice* voice) {
    std::vector<Voice*>& voices = State().voices;
    voices.erase(std::remove(voices.begin(), voices.end(), voice), voices.end());
}

int StreamGeneration() {
    return State().generation;
}

void MixStreamFrame() {
    Stream& stream = State();
    if (!stream.open) {
        return;
    }
    const int frames = std::min(CurrentHost().AudioFramesWanted(), STREAM_MAX_FRAMES);
    if (frames <= 0) {
        return;
    }
    const size_t samples = static_cast<size_t>(frames) * MIX_CHANNELS;
    stream.sum.assign(samples, 0);
    stream.samples.resize(samples);
    for (Voice* voice : stream.voices) {
        MixVoice(*voice, stream.sum.data(), frames, STREAM_RATE);
    }
    Saturate(stream.sum.data(), stream.samples.data(), static_cast<int>(samples));
    CurrentHost().QueueAudio(stream.samples.data(), frames);
}

void ResetStream() {
    Stream& stream = State();
    if (stream.open) {
        CurrentHost().CloseAudio();
    }
    stream.open = false;
    stream.objects = 0;
    stream.voices.clear();
    stream.generation++;
}

} // namespace subset
