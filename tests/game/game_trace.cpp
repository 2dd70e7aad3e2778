#include "game_trace.h"

#include "tests/support/trace_line.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

bool GameTrace::Run(const std::string& program, const std::string& images,
                    const std::string& script, int frames) {
    char folderTemplate[] = "/tmp/muffins-scenario-XXXXXX";
    const char* folder = mkdtemp(folderTemplate);
    if (folder == nullptr) {
        return false;
    }
    const std::string dir = folder;
    struct stat info;
    if (stat(images.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (symlink(images.c_str(), (dir + "/Images").c_str()) != 0) {
            return false;
        }
    }
    std::ofstream(dir + "/script.txt") << script;
    const std::string command = "cd '" + dir +
                                "' && TOLVO_HOST=headless TOLVO_FPS=0 TOLVO_SCRIPT=script.txt "
                                "TOLVO_FRAMES=" +
                                std::to_string(frames) + " TOLVO_TRACE=trace.jsonl '" + program +
                                "' >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    lines.clear();
    std::ifstream trace(dir + "/trace.jsonl");
    for (std::string line; std::getline(trace, line);) {
        lines.push_back(line);
    }
    errors = ReadAll(dir + "/stderr.txt");
    std::system(("rm -rf '" + dir + "'").c_str());
    return exitCode == 0;
}

std::string GameTrace::Value(int frame, const std::string& key) const {
    return TraceValue(Line(frame), key);
}

std::string GameTrace::Screen(int frame) const {
    return Value(frame, "screen");
}

std::vector<std::vector<float>> GameTrace::Rows(int frame, const std::string& key) const {
    return TraceRows(Line(frame), key);
}

int GameTrace::FirstScreen(const std::string& screen, int from, int to) const {
    for (int frame = from; frame <= to && frame <= Frames(); frame++) {
        if (Screen(frame) == screen) {
            return frame;
        }
    }
    return 0;
}
