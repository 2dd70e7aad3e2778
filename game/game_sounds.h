// The game's sounds. They follow the game's state and never change it: each frame they
// look at what the frame left (the values the trace prints) and start a sound on each
// change a player would hear: the tune on the title and instructions pages, a page turn
// for each intro panel, taking milk, picking up a rolling pin, the splash, the swing, a
// muffin melting, the knock-down and the game-over sting. M mutes and unmutes.
#ifndef TOLVO_GAME_GAME_SOUNDS_H
#define TOLVO_GAME_GAME_SOUNDS_H

#include "engine/sound/sound.h"
#include "engine/sound/sound_system.h"

#include <cstdint>
#include <string>

enum GameSound : int32_t {
    SOUND_TUNE,
    SOUND_PAGE,
    SOUND_MILK,
    SOUND_PIN,
    SOUND_SPLASH,
    SOUND_SWING,
    SOUND_MELT,
    SOUND_KNOCKDOWN,
    SOUND_GAMEOVER,
    SOUND_COUNT
};

// The file of each sound, by GameSound.
extern const char* const GAME_SOUND_FILES[SOUND_COUNT];

// What the sounds look at of one frame.
struct GameMoment {
    std::string screen;       // the trace's name of what the frame showed
    int32_t introPicture = 0; // intro.picture
    int32_t milkCartons = 0;
    int32_t rollingPins = 0;
    bool clear = false;    // hero.clear: no muffin has the hero
    int32_t fallFrame = 1; // hero.fallFrame: 1 until a knock-down, then on to the last
    int32_t melting = 0;   // muffins in MUFFIN_MELTING
};

// The one-shot sounds that start between two consecutive frames, as bits (1 << GameSound).
uint32_t CuesBetween(const GameMoment& before, const GameMoment& now);
// Whether the tune should be playing on this frame.
bool TuneWanted(const GameMoment& now);

class GameSounds {
  public:
    // initialize(), once the display has started: the sound system for the main window and
    // every sound. Without sound the game plays on silently (one line in debug.txt).
    void Start(HWND window);
    // Each frame, after its state changes, with the screen the frame showed.
    void Frame(const char* screen);
    // The cues of a frame, as Frame sees them; exposed for tests.
    void Hear(const GameMoment& now, bool mKeyDown);
    bool Muted() const { return muted; }
    bool IsOn() const { return system.IsOn(); }
    Sound& Get(GameSound sound) { return sounds[sound]; }

  private:
    SoundSystem system;
    Sound sounds[SOUND_COUNT]; // after the system: released before it
    GameMoment previous;
    bool seenFrame = false;
    bool mHeld = false;
    bool muted = false;
};

#endif
