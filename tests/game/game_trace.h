// Runs the game program on the headless host with an input script and reads back its
// trace: one JSON object per frame, looked up by key.
#ifndef TOLVO_TESTS_GAME_GAME_TRACE_H
#define TOLVO_TESTS_GAME_GAME_TRACE_H

#include <string>
#include <vector>

class GameTrace {
  public:
    // Runs `program` for `frames` frames in a fresh folder (with a link to `images` when
    // that folder exists); false if it did not exit with code 0.
    bool Run(const std::string& program, const std::string& images, const std::string& script,
             int frames);

    int Frames() const { return static_cast<int>(lines.size()); }
    const std::string& Line(int frame) const { return lines[static_cast<size_t>(frame - 1)]; }
    std::string Screen(int frame) const;
    // The first value of `key` in the frame's line, as written (a number, true or false).
    std::string Value(int frame, const std::string& key) const;
    int Int(int frame, const std::string& key) const { return std::stoi(Value(frame, key)); }
    bool Bool(int frame, const std::string& key) const { return Value(frame, key) == "true"; }
    float Float(int frame, const std::string& key) const { return std::stof(Value(frame, key)); }
    // The array of `key` ("fridges", "pins", "muffins") as rows of values.
    std::vector<std::vector<float>> Rows(int frame, const std::string& key) const;
    // First frame in [from, to] whose screen is `screen`, or 0.
    int FirstScreen(const std::string& screen, int from, int to) const;

    std::vector<std::string> lines;
    std::string errors; // the program's standard error
    int exitCode = -1;
};

#endif
