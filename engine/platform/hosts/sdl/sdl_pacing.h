// The engine paces its frames by sleeping (Host::Sleep) until each is due; a renderer
// with vsync also waits, inside each present, for the display's next refresh. Both
// waiting for one frame would now and then lose a refresh and show a frame twice, so
// while presents are seen to wait one engine frame period for the refresh, vsync alone
// waits and the host's Sleep does nothing. Anything else (no vsync, a display faster than
// the game, presents that do not really wait, a window that stopped waiting when it was
// hidden) keeps the engine's pacing, and vsync then only holds each frame to the next
// refresh, a part of a frame, so the game keeps its speed either way. Times are
// milliseconds of any steady clock.
#ifndef TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_PACING_H
#define TOLVO_ENGINE_PLATFORM_HOSTS_SDL_SDL_PACING_H

namespace sdl {

// Vsync is trusted after this many presents in a row, none with a sleep before it, come
// one frame period apart, and dropped after this many in a row come sooner. Where no
// frame shows that by itself, the host skips a sleep to see, after this many sleeps and
// then half as often after each time that did not prove it, down to the longest gap.
constexpr int PACING_PROOFS = 3;
constexpr int PACING_STRIKES = 3;
constexpr int PACING_RETRY = 120;
constexpr int PACING_LONGEST_RETRY = 3840;

class VsyncPacing {
  public:
    // A new renderer: whether it presents with vsync, the engine's frame period (0 when it
    // is not known, e.g. a rate the user chose: then the engine alone paces) and the
    // display's refresh period (0 when unknown).
    void Start(bool vsync, double framePeriod, double refreshPeriod);
    // The window was hidden, minimised or shown again: its presents must prove again
    // that they wait.
    void Doubt();
    // Host::Sleep: how many of the asked milliseconds to really sleep.
    unsigned SleepFor(unsigned asked);
    // A present returned at `now`.
    void Presented(double now);
    bool Trusted() const { return trusted; }

  private:
    bool vsync = false;
    double period = 0;
    bool couldPace = false; // vsync, at a rate that may be the engine's
    bool trusted = false;
    bool presentedSinceSleep = false;
    bool sleptSincePresent = true;
    int skipping = 0;     // sleeps still to skip in the current attempt
    int proofs = 0;       // presents in a row that came a period apart
    int strikes = 0;      // presents in a row that came too soon, while trusted
    int untilAttempt = 0; // sleeps before the next attempt
    int retry = 0;        // sleeps between attempts
    bool havePresent = false;
    double lastPresent = 0;
};

} // namespace sdl

#endif
