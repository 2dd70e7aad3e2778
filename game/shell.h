// The game shell: the game's global objects and screen state, `initialize` and
// `run` (declared with the engine's hooks) and `restart`.
#ifndef TOLVO_GAME_SHELL_H
#define TOLVO_GAME_SHELL_H

#include "engine/image/image.h"
#include "game/hero.h"
#include "game/intro.h"
#include "game/muffin_track.h"

#include <cstdint>

constexpr int32_t SHELL_TITLE_FRAMES = 800;
constexpr int32_t SHELL_INSTRUCTIONS_FRAMES = 600;
constexpr int32_t SHELL_GAME_OVER_FRAMES = 50;
constexpr int32_t SHELL_KEY_POLL = 9; // keyTick value on which the pause keys are read
constexpr float SHELL_START_SCROLL = 10.0f;

extern Hero hero;
extern Intro intro;
extern MuffinTrack muffinTrack;
extern Image background;
extern Image pressSpacePage;
extern Image titlePage;
extern Image gameOverPage;
extern Image instructionsPage;

extern bool titleShown;
extern bool instructionsShown;
extern bool introShown;
extern bool paused;
extern int32_t pageTimer;
extern int32_t gameOverTimer;
extern int32_t heroTick;
extern int32_t keyTick;
extern int32_t muffinTick;
extern int32_t introTick;

// Begins a new run after the game-over page: the objects start afresh with ten muffins
// and the intro shows again; the pages are not reloaded.
void restart();

#endif
