#include "game_run.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

GameRun GameRun::Play(const std::string& script, bool record, int captureEvery) {
    GameRun run;
    char folderTemplate[] = "/tmp/muffins-player-XXXXXX";
    const char* made = mkdtemp(folderTemplate);
    if (made == nullptr) {
        return run;
    }
    const std::string folder = made;
    struct stat info;
    if (stat(MUFFINS_IMAGES, &info) == 0 && S_ISDIR(info.st_mode)) {
        if (symlink(MUFFINS_IMAGES, (folder + "/Images").c_str()) != 0) {
            return run;
        }
    }
    std::string command = "cd '" + folder +
                          "' && env -u TOLVO_FRAMES TOLVO_HOST=headless TOLVO_FPS=0 "
                          "TOLVO_TRACE=trace.jsonl TOLVO_SCRIPT='" +
                          script + "'";
    if (record) {
        command += " TOLVO_RECORD=recording.script";
    }
    if (captureEvery > 0) {
        command += " TOLVO_CAPTURE=frames TOLVO_CAPTURE_EVERY=" + std::to_string(captureEvery);
    }
    command += " '" MUFFINS_PROGRAM "' >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;

    std::ifstream trace(folder + "/trace.jsonl");
    for (std::string line; std::getline(trace, line);) {
        run.trace.push_back(line);
    }
    run.errors = ReadFile(folder + "/stderr.txt");
    run.recording = ReadFile(folder + "/recording.script");
    if (DIR* dir = opendir((folder + "/frames").c_str())) {
        while (dirent* entry = readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") {
                run.frames[name] = ReadFile(folder + "/frames/" + name);
            }
        }
        closedir(dir);
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return run;
}

int TraceInt(const std::string& line, const std::string& key) {
    return std::atoi(TraceValue(line, key).c_str());
}
