#include "game/game_sounds.h"

#include "engine/display/windows_dx.h"
#include "game/game_keys.h"
#include "game/shell.h"

#include <cstring>

const char* const GAME_SOUND_FILES[SOUND_COUNT] = {
    "Sounds\\title.wav", "Sounds\\page.wav",      "Sounds\\milk.wav",
    "Sounds\\pin.wav",   "Sounds\\splash.wav",    "Sounds\\swing.wav",
    "Sounds\\melt.wav",  "Sounds\\knockdown.wav", "Sounds\\gameover.wav",
};

namespace {

uint32_t Cue(GameSound sound) {
    return 1u << sound;
}

GameMoment Observe(const char* screen) {
    GameMoment moment;
    moment.screen = screen;
    moment.introPicture = intro.picture;
    moment.milkCartons = hero.milkCartons;
    moment.rollingPins = hero.rollingPins;
    moment.clear = hero.clear;
    moment.fallFrame = hero.fallFrame;
    for (int32_t i = 0; i < muffinTrack.Count(); i++) {
        Muffin muffin;
        if (muffinTrack.GetMuffin(i, muffin).state == MUFFIN_MELTING) {
            moment.melting++;
        }
    }
    return moment;
}

} // namespace

uint32_t CuesBetween(const GameMoment& before, const GameMoment& now) {
    uint32_t cues = 0;
    // The first panel when the intro starts, then each one it turns to.
    if (now.screen == "intro" &&
        (before.screen != "intro" || now.introPicture != before.introPicture)) {
        cues |= Cue(SOUND_PAGE);
    }
    if (now.milkCartons > before.milkCartons) {
        cues |= Cue(SOUND_MILK);
    }
    if (now.rollingPins > before.rollingPins) {
        cues |= Cue(SOUND_PIN);
    }
    // A carried item spent while the hero stays clear went into a muffin; the knock-down
    // takes them all but leaves the hero not clear, and a new run starts not clear.
    if (now.clear && now.milkCartons < before.milkCartons) {
        cues |= Cue(SOUND_SPLASH);
    }
    if (now.clear && now.rollingPins < before.rollingPins) {
        cues |= Cue(SOUND_SWING);
    }
    if (now.melting > before.melting) {
        cues |= Cue(SOUND_MELT);
    }
    // Knocked down: clear no more during play. A run starts not clear until its first
    // update, and the fall only ever goes on, so one knock-down sounds once.
    if (now.screen == "play" && before.clear && !now.clear && before.fallFrame == 1) {
        cues |= Cue(SOUND_KNOCKDOWN);
    }
    if (now.screen == "gameover" && before.screen != "gameover") {
        cues |= Cue(SOUND_GAMEOVER);
    }
    return cues;
}

bool TuneWanted(const GameMoment& now) {
    return now.screen == "title" || now.screen == "instructions";
}

void GameSounds::Start(HWND window) {
    for (Sound& sound : sounds) {
        sound.Free();
    }
    seenFrame = false;
    if (!system.Start(window)) {
        return;
    }
    for (int32_t i = 0; i < SOUND_COUNT; i++) {
        sounds[i].Load(system, GAME_SOUND_FILES[i]);
    }
}

void GameSounds::Frame(const char* screen) {
    Hear(Observe(screen), Tolvo.IsKeyDown(KEY_M) != 0);
}

void GameSounds::Hear(const GameMoment& now, bool mKeyDown) {
    if (mKeyDown && !mHeld) {
        muted = !muted;
        if (muted) {
            for (Sound& sound : sounds) {
                sound.Pause(); // the tune goes on from here when unmuted
            }
        }
    }
    mHeld = mKeyDown;
    // The first frame is heard against nothing at all.
    const uint32_t cues = CuesBetween(seenFrame ? previous : GameMoment(), now);
    previous = now;
    seenFrame = true;
    if (TuneWanted(now)) {
        if (!muted) {
            sounds[SOUND_TUNE].Loop();
        }
    } else {
        sounds[SOUND_TUNE].Stop();
    }
    if (muted) {
        return;
    }
    for (int32_t i = 0; i < SOUND_COUNT; i++) {
        if (cues & Cue(static_cast<GameSound>(i))) {
            sounds[i].Play();
        }
    }
}
