// Gamepads press the game's own keys: every host reports its pads through the event sink
// (events.h) and this module turns buttons and the left stick into key-downs and key-ups,
// so the engine and the game see nothing but keys, and a recording made with a pad is an
// ordinary input script that replays exactly. Time here is the frame count, never a clock.
#ifndef TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_GAMEPAD_H
#define TOLVO_ENGINE_PLATFORM_SUBSET_SEAM_GAMEPAD_H

#include <map>
#include <vector>

namespace subset {

// The buttons of a pad in the common layout, named by position (A is the bottom face
// button, B the right one, X the left one, Y the top one). Any int is a value of the type,
// so a number a host passes from elsewhere is checked, not undefined.
enum GamepadButton : int {
    GAMEPAD_A,
    GAMEPAD_B,
    GAMEPAD_X,
    GAMEPAD_Y,
    GAMEPAD_BACK,
    GAMEPAD_START,
    GAMEPAD_LEFT_SHOULDER,
    GAMEPAD_RIGHT_SHOULDER,
    GAMEPAD_DPAD_UP,
    GAMEPAD_DPAD_DOWN,
    GAMEPAD_DPAD_LEFT,
    GAMEPAD_DPAD_RIGHT,
    GAMEPAD_BUTTONS
};

// The game looks at its pause and start keys once every this many frames, so a pressed
// button keeps its key down at least this long: a quick tap is never missed.
constexpr int GAMEPAD_HOLD_FRAMES = 10;
// Back presses Escape (quit) only once held this long, one second, so a brush of the
// thumb does not end the game.
constexpr int GAMEPAD_BACK_FRAMES = 60;
// The left stick presses Left or Right beyond this share of its travel and lets go only
// back inside the smaller one, so a stick resting near the edge does not chatter.
constexpr float GAMEPAD_STICK_PRESS = 0.5f;
constexpr float GAMEPAD_STICK_RELEASE = 0.35f;
// Pads beyond this many at once are ignored.
constexpr int GAMEPAD_MAX_PADS = 16;

// One key-down or key-up to post, a Windows virtual-key code.
struct GamepadKey {
    int virtualKey;
    bool down;
    bool operator==(const GamepadKey& other) const {
        return virtualKey == other.virtualKey && down == other.down;
    }
};

// The mapping, with no other state than the pads' own: every call is given the frame its
// keys will precede and appends the keys to post, in order.
//
//   D-pad or left stick left / right   Left / Right, held as long as the pad holds it
//   A  Space    X  F    Y  G    B  T   right shoulder  R   (each held at least
//                                      GAMEPAD_HOLD_FRAMES)
//   Start   pause or resume: P and O together for exactly GAMEPAD_HOLD_FRAMES, so the
//           game's one look at its pause keys in that time finds P while it plays (and
//           pauses) or O while it is paused (and resumes): a toggle, although no host
//           can see whether the game is paused. The keyboard's P and O keep working and
//           Start follows them, whatever they did.
//   Back    Escape once held GAMEPAD_BACK_FRAMES, released with Back
//
// A key held by several pads, or by the D-pad and the stick at once, goes down once and
// up once, when the last of them lets go.
class GamepadKeys {
  public:
    void Button(int pad, GamepadButton button, bool down, int frame, std::vector<GamepadKey>* keys);
    // The left stick, each axis from -1 (left, up) to 1 (right, down); the vertical axis
    // presses nothing.
    void Stick(int pad, float x, float y, int frame, std::vector<GamepadKey>* keys);
    // The pad is gone: every key it holds goes up now.
    void Removed(int pad, std::vector<GamepadKey>* keys);
    // Before each frame: keys whose time has come (the end of a short press's hold, of a
    // pause toggle, Escape after a long Back). Calling it again for the same frame does
    // nothing more.
    void Advance(int frame, std::vector<GamepadKey>* keys);
    // Forgets every pad without posting anything (a new host starts with no keys down).
    void Reset();

  private:
    // What can hold a key down, per pad.
    enum Source {
        SOURCE_DPAD_LEFT,
        SOURCE_DPAD_RIGHT,
        SOURCE_STICK_LEFT,
        SOURCE_STICK_RIGHT,
        SOURCE_A,
        SOURCE_B,
        SOURCE_X,
        SOURCE_Y,
        SOURCE_RIGHT_SHOULDER,
        SOURCE_PAUSE_P,
        SOURCE_PAUSE_O,
        SOURCE_BACK,
        SOURCES
    };
    struct Pad {
        bool holding[SOURCES] = {};
        bool pressed[GAMEPAD_BUTTONS] = {}; // as the pad reports them
        int heldSince[SOURCES] = {};        // frame a button's key went down
        int toggleEnd = 0;                  // frame P and O go up, while they are down
        bool toggleWaiting = false;         // Start pressed again during a toggle
        int backSince = 0;                  // frame Back was pressed
    };

    Pad* Find(int pad, bool create);
    void Hold(Pad& pad, Source source, int frame, std::vector<GamepadKey>* keys);
    void Let(Pad& pad, Source source, std::vector<GamepadKey>* keys);
    void StartToggle(Pad& pad, int frame, std::vector<GamepadKey>* keys);

    std::map<int, Pad> pads;
    std::map<int, int> holders; // virtual key -> sources holding it down
};

// The gamepads of the current host (used by the event sink).
GamepadKeys& Gamepads();
// UseHost(): no pad holds a key.
void ResetGamepads();

} // namespace subset

#endif
