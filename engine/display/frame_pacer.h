// Paces presentation to a fixed rate so that a game counting frames runs at the
// same speed on every machine.
#ifndef TOLVO_ENGINE_DISPLAY_FRAME_PACER_H
#define TOLVO_ENGINE_DISPLAY_FRAME_PACER_H

#include <chrono>

class FramePacer {
  public:
    typedef std::chrono::steady_clock Clock;

    FramePacer();

    // Frames per second; 0 (or less) presents as fast as the caller asks.
    void SetRate(double framesPerSecond);
    double GetRate() const { return rate; }
    // The rate to use: TOLVO_FPS from the environment when it is a number, else the
    // display's refresh rate, where 0 or 1 means unknown and gives 60.
    static double ChooseRate(const char* environmentValue, int refreshRate);

    // How long to wait, at time now, before the next frame may be shown. Advances
    // the schedule: after a wait the next deadline is one period later; a late
    // frame is shown at once and the next deadline is counted from now, so a slow
    // frame is never followed by a burst.
    Clock::duration Delay(Clock::time_point now);
    // Sleeps for Delay(now), through the platform's Sleep.
    void Wait();

  private:
    double rate;
    Clock::duration period;
    Clock::time_point due;
    bool started;
};

#endif
