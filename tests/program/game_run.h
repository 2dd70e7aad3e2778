// Runs the game program on the headless host in a fresh folder, with settings given as
// environment variables, and keeps what it wrote: trace, recording, captured frames.
#ifndef TOLVO_TESTS_PLAYER_GAME_RUN_H
#define TOLVO_TESTS_PLAYER_GAME_RUN_H

#include "tests/support/trace_line.h"

#include <map>
#include <string>
#include <vector>

// How the game is run, beyond its script.
struct RunSettings {
    bool record = false;       // TOLVO_RECORD=recording.script
    int captureEvery = 0;      // > 0: TOLVO_CAPTURE=frames every that many frames
    bool audioCapture = false; // TOLVO_AUDIO_CAPTURE=sound.wav
    // Names in the run's folder made links to these paths before the game starts (a
    // file to write pointed at /dev/full).
    std::map<std::string, std::string> links;
    // > 0: no file the game writes may grow past this many bytes (a nearly full disk).
    long fileSizeLimit = 0;
};

struct GameRun {
    int exitCode = -1;
    std::string errors;                        // standard error
    std::vector<std::string> trace;            // one JSON line per frame
    std::string recording;                     // the TOLVO_RECORD file, when asked for
    std::map<std::string, std::string> frames; // captured PNG name -> bytes

    // Plays `script` (a file); `record` writes the input as a script, `captureEvery` > 0
    // captures every that many frames.
    static GameRun Play(const std::string& script, bool record = false, int captureEvery = 0);
    static GameRun Play(const std::string& script, const RunSettings& settings);
};

// A temporary script file holding `text`, removed with the object.
class ScriptFile {
  public:
    explicit ScriptFile(const std::string& text);
    ~ScriptFile();
    ScriptFile(const ScriptFile&) = delete;
    ScriptFile& operator=(const ScriptFile&) = delete;
    std::string path;
};

std::string ReadFile(const std::string& path);

// TraceValue as a number.
int TraceInt(const std::string& line, const std::string& key);

#endif
