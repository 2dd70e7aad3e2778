#include "game_trace.h"

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
    const std::string& line = Line(frame);
    const std::string quoted = "\"" + key + "\":";
    const size_t start = line.find(quoted);
    if (start == std::string::npos) {
        return "";
    }
    const size_t begin = start + quoted.size();
    const size_t end = line.find_first_of(",}]", begin);
    std::string value = line.substr(begin, end - begin);
    if (!value.empty() && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string GameTrace::Screen(int frame) const {
    return Value(frame, "screen");
}

std::vector<std::vector<float>> GameTrace::Rows(int frame, const std::string& key) const {
    std::vector<std::vector<float>> rows;
    const std::string& line = Line(frame);
    const std::string quoted = "\"" + key + "\":[";
    size_t at = line.find(quoted);
    if (at == std::string::npos) {
        return rows;
    }
    at += quoted.size();
    while (at < line.size() && line[at] == '[') {
        const size_t close = line.find(']', at);
        std::vector<float> row;
        std::stringstream cells(line.substr(at + 1, close - at - 1));
        for (std::string cell; std::getline(cells, cell, ',');) {
            row.push_back(std::stof(cell));
        }
        rows.push_back(row);
        at = close + 1;
        if (at < line.size() && line[at] == ',') {
            at++;
        }
    }
    return rows;
}

int GameTrace::FirstScreen(const std::string& screen, int from, int to) const {
    for (int frame = from; frame <= to && frame <= Frames(); frame++) {
        if (Screen(frame) == screen) {
            return frame;
        }
    }
    return 0;
}
