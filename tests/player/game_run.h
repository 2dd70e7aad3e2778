// Runs the game program on the headless host in a fresh folder, with settings given as
// environment variables, and keeps what it wrote: trace, recording, captured frames.
#ifndef TOLVO_TESTS_PLAYER_GAME_RUN_H
#define TOLVO_TESTS_PLAYER_GAME_RUN_H

#include "tests/support/trace_line.h"

#include <map>
#include <string>
#include <vector>

struct GameRun {
    int exitCode = -1;
    std::string errors;                        // standard error
    std::vector<std::string> trace;            // one JSON line per frame
    std::string recording;                     // the TOLVO_RECORD file, when asked for
    std::map<std::string, std::string> frames; // captured PNG name -> bytes

    // Plays `script` (a file); `record` writes the input as a script, `captureEvery` > 0
    // captures every that many frames.
    static GameRun Play(const std::string& script, bool record = false, int captureEvery = 0);
};

std::string ReadFile(const std::string& path);

// TraceValue as a number.
int TraceInt(const std::string& line, const std::string& key);

#endif
