// Sound: play, loop, volume, several at once.
//
// A SoundSystem is started once, after the display, for the main window; each Sound
// loads one WAV file into buffers of that system. Play starts a sound from the start on a
// voice of its own, so a sound played again rings on over itself, and different sounds
// mix. Loop repeats a sound until Pause (which keeps its place) or Stop. SetVolume takes
// hundredths of a decibel, from DSBVOLUME_MIN (silence) to DSBVOLUME_MAX (as recorded).
// Sound never stops a program: without a device every call is harmless and silent.
// Keys: 1 2 3 play a note, C all three at once, L loops the hum or pauses it, S stops
// everything, Up and Down turn the volume. Escape quits.
#include <tolvo/tolvo.h>

#include <cstdio>

namespace {

const int32_t WIDTH = 640;
const int32_t HEIGHT = 400;
const int32_t VOLUME_STEP = 25; // hundredths of a decibel a frame while a key is held
const int32_t QUIETEST = -3000; // lower is too quiet to hear over a room

SoundSystem soundSystem;
Sound notes[3];
Sound hum;
const char* const NOTE_FILES[3] = {"Sounds\\do.wav", "Sounds\\mi.wav", "Sounds\\so.wav"};
int32_t volume = DSBVOLUME_MAX;
bool humming = false;
int32_t plays = 0;

void SetVolume(int32_t hundredths) {
    volume = hundredths < QUIETEST ? QUIETEST : hundredths > 0 ? 0 : hundredths;
    for (Sound& note : notes)
        note.SetVolume(volume);
    hum.SetVolume(volume);
}

void Press(uint8_t character) {
    if (character >= '1' && character <= '3') {
        notes[character - '1'].Play();
        ++plays;
    } else if (character == 'c' || character == 'C') {
        for (Sound& note : notes)
            note.Play();
        plays += 3;
    } else if (character == 'l' || character == 'L') {
        humming = !humming;
        if (humming)
            hum.Loop();
        else
            hum.Pause();
    } else if (character == 's' || character == 'S') {
        for (Sound& note : notes)
            note.Stop();
        hum.Stop();
        humming = false;
    }
}

void Line(int32_t y, const char* text) {
    Tolvo.DrawText(20, y, text);
}

} // namespace

void initialize() {
    if (!Tolvo.Initialize(false, WIDTH, HEIGHT))
        return;
    // False with a line in debug.txt when there is no sound; the program goes on.
    soundSystem.Start(Tolvo.GetWindow());
    for (int32_t i = 0; i < 3; ++i)
        notes[i].Load(soundSystem, NOTE_FILES[i]);
    hum.Load(soundSystem, "Sounds\\hum.wav");
}

int run() {
    for (uint8_t character = Tolvo.GetKey(); character != 0; character = Tolvo.GetKey())
        Press(character);
    if (Tolvo.IsKeyDown(VK_UP))
        SetVolume(volume + VOLUME_STEP);
    if (Tolvo.IsKeyDown(VK_DOWN))
        SetVolume(volume - VOLUME_STEP);

    if (Tolvo.LockBuffer()) {
        Tolvo.ClearBuffer();
        Tolvo.UnlockBuffer();
    }
    char text[80];
    Tolvo.SetColor(160, 200, 255);
    Line(20, "1 2 3: a note   C: a chord   L: loop the hum");
    Line(40, "S: stop all   Up/Down: volume   Esc: quit");
    Tolvo.SetColor(255, 255, 255);
    Line(100, soundSystem.IsOn() ? "Sound is on" : "No sound here (see debug.txt)");
    std::snprintf(text, sizeof text, "volume %.2f dB", double(volume) / 100.0);
    Line(130, text);
    std::snprintf(text, sizeof text, "notes played %d", int(plays));
    Line(160, text);
    for (int32_t i = 0; i < 3; ++i) {
        std::snprintf(text, sizeof text, "note %d: %s, %d voice(s)", int(i + 1),
                      notes[i].IsPlaying() ? "playing" : "quiet", notes[i].Voices());
        Line(190 + i * 20, text);
    }
    Line(260, humming ? "hum: looping" : "hum: paused");
    Tolvo.ViewUpdate();
    return 0;
}
