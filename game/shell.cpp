#include "game/shell.h"

#include "engine/display/windows_dx.h"
#include "engine/file/init_order.h"
#include "engine/image/tiff.h"
#include "game/game_keys.h"
#include "game/game_sounds.h"
#include "game/trace.h"

#include <cstdlib>

// Constructed after the engine object and before the debug log; Init fills them.
Hero hero TOLVO_INIT_ORDER(TOLVO_ORDER_HERO);
Intro intro TOLVO_INIT_ORDER(TOLVO_ORDER_INTRO);
MuffinTrack muffinTrack TOLVO_INIT_ORDER(TOLVO_ORDER_MUFFIN_TRACK);
Image background TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);
Image pressSpacePage TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);
Image titlePage TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);
Image gameOverPage TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);
Image instructionsPage TOLVO_INIT_ORDER(TOLVO_ORDER_PAGES);

bool titleShown = false;
bool instructionsShown = false;
bool introShown = false;
bool paused = false;
int32_t pageTimer = 0;
int32_t gameOverTimer = 0;
int32_t heroTick = 0;
int32_t keyTick = 0;
int32_t muffinTick = 0;
int32_t introTick = 0;

namespace {

// The fixed starting layout, for the hero's starting scroll position.
const float FRIDGE_XS[] = {500.0f, 2000.0f, 2500.0f, 3500.0f, 4000.0f, 4400.0f};
const float FRIDGE_Y = 150.0f;
const float PIN_XS[] = {200.0f, 400.0f, 1000.0f, 1500.0f};
const float PIN_Y = 400.0f;
const float FIRST_MUFFIN_XS[] = {10.0f, 1000.0f};
const float LATER_MUFFIN_XS[] = {10.0f,   1000.0f, 2000.0f, 3000.0f, 3850.0f,
                                 4500.0f, 5000.0f, 5850.0f, 6000.0f, 6500.0f};
const float MUFFIN_Y = 0.0f;

int32_t framesRun = 0;
Trace trace;
GameSounds sounds;

template <size_t N> void StartRun(const float (&muffinXs)[N]) {
    hero.Init();
    muffinTrack.Init(static_cast<int32_t>(SHELL_START_SCROLL));
    for (float x : muffinXs) {
        muffinTrack.Add(x, MUFFIN_Y);
    }
    hero.SetMuffinTrack(&muffinTrack);
    for (float x : FRIDGE_XS) {
        hero.AddFridge(x, FRIDGE_Y);
    }
    for (float x : PIN_XS) {
        hero.AddRollingPin(x, PIN_Y);
    }
    intro.Init();
}

void LoadPage(Tiff& tiff, const char* name, Image& page) {
    page.Free();
    tiff.Load(name, page, IMG_MODE_OPAQUE);
}

bool KeyDown(int32_t key) {
    return Tolvo.IsKeyDown(key) != 0;
}

void UpdateScreen() {
    if (titleShown) {
        if (pageTimer == SHELL_TITLE_FRAMES) {
            titleShown = false;
            instructionsShown = true;
            introShown = false;
            paused = false;
            pageTimer = 0;
        } else {
            pageTimer++;
        }
    } else if (instructionsShown) {
        if (pageTimer == SHELL_INSTRUCTIONS_FRAMES) {
            instructionsShown = false;
            introShown = true;
            paused = true;
        } else {
            pageTimer++;
        }
    } else if (introShown) {
        intro.Update(introTick);
        introTick++;
    } else if (!paused) {
        // Hero and muffins go on while the game-over page shows.
        hero.Update(heroTick);
        heroTick++;
        muffinTrack.Update(muffinTick, heroTick, static_cast<int32_t>(hero.worldX),
                           static_cast<int32_t>(hero.screenX));
        muffinTick++;
    }
}

void PollPauseKeys() {
    if (keyTick != SHELL_KEY_POLL) {
        return;
    }
    if (paused) {
        if (introShown && KeyDown(KEY_SPACE)) {
            introShown = false;
            paused = false;
        } else if (KeyDown(KEY_O) && !introShown) {
            paused = false;
        }
    } else if (KeyDown(KEY_P)) {
        paused = true;
    }
}

// Draws the one screen that applies and returns its trace name. Without a locked back
// buffer nothing is drawn, but the frame's state changes happen as usual.
const char* DrawScreen(bool locked) {
    if (titleShown) {
        if (locked) {
            Tolvo.DrawBackground(0, 0, titlePage);
        }
        return "title";
    }
    if (instructionsShown) {
        if (locked) {
            Tolvo.DrawBackground(0, 0, instructionsPage);
        }
        return "instructions";
    }
    if (introShown) {
        if (locked) {
            Tolvo.DrawBackground(0, 0, pressSpacePage);
            intro.Draw();
        }
        return "intro";
    }
    if (paused) {
        if (locked) {
            Tolvo.DrawBackground(0, 0, pressSpacePage);
        }
        return "paused";
    }
    if (hero.IsFinished()) {
        if (gameOverTimer == SHELL_GAME_OVER_FRAMES) {
            restart();
            return "restart";
        }
        gameOverTimer++;
        if (locked) {
            Tolvo.DrawBackground(0, 0, gameOverPage);
        }
        return "gameover";
    }
    if (locked) {
        Tolvo.DrawBackground(static_cast<int32_t>(hero.worldX), 0, background);
    }
    hero.Draw(locked);
    if (locked) {
        muffinTrack.Draw(); // muffins in front of the hero
    }
    return "play";
}

} // namespace

void initialize() {
    Tolvo.Initialize(false, 900, 500); // the entry judges the result after we return
    StartRun(FIRST_MUFFIN_XS);

    Tiff tiff;
    LoadPage(tiff, "Images\\bk1_new.tif", background);
    LoadPage(tiff, "Images\\press space to begin.tif", pressSpacePage);
    LoadPage(tiff, "Images\\titlepage.tif", titlePage);
    LoadPage(tiff, "Images\\game over page.tif", gameOverPage);
    LoadPage(tiff, "Images\\instructions.tif", instructionsPage);
    if (Tolvo.GetStatus() == READY) {
        sounds.Start(Tolvo.GetWindow()); // after the display's start-up, and its lines
    }

    titleShown = true;
    instructionsShown = false;
    introShown = false;
    paused = false;
    pageTimer = 0;
    gameOverTimer = 0;
    heroTick = 0;
    muffinTick = 0;
    introTick = 0;

    const char* tracePath = std::getenv("TOLVO_TRACE");
    if (tracePath != nullptr && tracePath[0] != '\0') {
        trace.Open(tracePath);
    }
}

void restart() {
    StartRun(LATER_MUFFIN_XS);
    titleShown = false;
    instructionsShown = false;
    introShown = true;
    paused = true;
    pageTimer = 0;
    gameOverTimer = 0;
    heroTick = 0;
    muffinTick = 0;
    introTick = 0;
}

int run() {
    framesRun++;
    if (heroTick == 10) {
        heroTick = 0;
    }
    if (keyTick == 10) {
        keyTick = 0;
    }
    if (muffinTick == 30) {
        muffinTick = 0;
    }
    if (introTick == 40) {
        introTick = 0;
    }
    keyTick++;

    UpdateScreen();
    PollPauseKeys();

    const bool locked = Tolvo.LockBuffer();
    const char* screen = DrawScreen(locked);
    if (locked) {
        Tolvo.UnlockBuffer();
    }
    Tolvo.GetKey(); // one typed character per frame is taken and dropped
    Tolvo.ViewUpdate();
    sounds.Frame(screen); // hears the state the trace shows, and changes none of it

    trace.WriteFrame(framesRun, screen);
    return 0;
}
