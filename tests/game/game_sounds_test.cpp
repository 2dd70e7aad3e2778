// Which of the game's sounds start between two frames, read off the state the game keeps,
// and M as a toggle.
#include "game/game_sounds.h"
#include "game/hero.h"

#include <gtest/gtest.h>

namespace {

uint32_t Bit(GameSound sound) {
    return 1u << sound;
}

GameMoment Play(int32_t milk, int32_t pins, bool clear = true, int32_t melting = 0) {
    GameMoment moment;
    moment.screen = "play";
    moment.milkCartons = milk;
    moment.rollingPins = pins;
    moment.clear = clear;
    moment.melting = melting;
    return moment;
}

GameMoment Screen(const char* screen, int32_t introPicture = 0) {
    GameMoment moment;
    moment.screen = screen;
    moment.introPicture = introPicture;
    return moment;
}

GameMoment Knocked(int32_t fallFrame) {
    GameMoment moment = Play(0, 0, false);
    moment.fallFrame = fallFrame;
    return moment;
}

TEST(GameSoundCues, EachChangeAPlayerHearsStartsItsSoundOnce) {
    const struct {
        const char* name;
        GameMoment before, now;
        uint32_t cues;
    } CASES[] = {
        {"the first title frame", GameMoment(), Screen("title"), 0},
        {"the title goes on", Screen("title"), Screen("title"), 0},
        {"the intro's first panel", Screen("instructions"), Screen("intro"), Bit(SOUND_PAGE)},
        {"the intro after a restart", Screen("restart"), Screen("intro"), Bit(SOUND_PAGE)},
        {"the next panel", Screen("intro", 3), Screen("intro", 4), Bit(SOUND_PAGE)},
        {"a panel held", Screen("intro", 7), Screen("intro", 7), 0},
        {"play begins", Screen("intro", 7), Play(0, 0, false), 0},
        {"the first step of play", Play(0, 0, false), Play(0, 0), 0},
        {"milk taken", Play(1, 0), Play(2, 0), Bit(SOUND_MILK)},
        {"a rolling pin picked up", Play(0, 1), Play(0, 2), Bit(SOUND_PIN)},
        {"a splash melts a muffin", Play(1, 0, true, 0), Play(0, 0, true, 1),
         Bit(SOUND_SPLASH) | Bit(SOUND_MELT)},
        {"a swing melts a muffin", Play(0, 2, true, 1), Play(0, 1, true, 2),
         Bit(SOUND_SWING) | Bit(SOUND_MELT)},
        {"knocked down, losing everything", Play(2, 3), Knocked(1), Bit(SOUND_KNOCKDOWN)},
        {"knocked down on a fall step", Play(0, 0), Knocked(2), Bit(SOUND_KNOCKDOWN)},
        {"the fall goes on", Knocked(2), Knocked(3), 0},
        {"clear for a moment during the fall", Knocked(3), Play(0, 0), 0},
        {"and not clear again",
         [] {
             GameMoment m = Play(0, 0);
             m.fallFrame = 3;
             return m;
         }(),
         Knocked(3), 0},
        {"game over", Knocked(8), Screen("gameover"), Bit(SOUND_GAMEOVER)},
        {"game over goes on", Screen("gameover"), Screen("gameover"), 0},
        {"a new run empties the hands", Play(3, 2), Screen("restart"), 0},
        {"paused", Play(1, 1), Screen("paused"), 0},
    };
    for (const auto& c : CASES) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CuesBetween(c.before, c.now), c.cues);
    }
}

TEST(GameSoundCues, TheTunePlaysOnTheTitleAndInstructionsOnly) {
    for (const char* screen : {"title", "instructions"}) {
        EXPECT_TRUE(TuneWanted(Screen(screen))) << screen;
    }
    for (const char* screen : {"intro", "paused", "play", "gameover", "restart"}) {
        EXPECT_FALSE(TuneWanted(Screen(screen))) << screen;
    }
}

TEST(GameSoundCues, EachPressOfMTogglesMuteOnce) {
    GameSounds sounds; // never started: silent, but it still listens
    const struct {
        bool mDown;
        bool muted;
    } FRAMES[] = {{false, false}, {true, true},   {true, true}, {false, true},
                  {true, false},  {false, false}, {true, true}};
    int frame = 0;
    for (const auto& f : FRAMES) {
        SCOPED_TRACE(frame++);
        sounds.Hear(Screen("title"), f.mDown);
        EXPECT_EQ(sounds.Muted(), f.muted);
    }
    EXPECT_FALSE(sounds.IsOn());
}

} // namespace
