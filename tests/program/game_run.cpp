#include "game_run.h"

#include <cstdio>
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

ScriptFile::ScriptFile(const std::string& text) {
    char pathTemplate[] = "/tmp/muffins-script-XXXXXX";
    int handle = mkstemp(pathTemplate);
    if (handle >= 0) {
        close(handle);
        path = pathTemplate;
        std::ofstream(path, std::ios::binary) << text;
    }
}

ScriptFile::~ScriptFile() {
    if (!path.empty()) {
        std::remove(path.c_str());
    }
}

GameRun GameRun::Play(const std::string& script, bool record, int captureEvery) {
    RunSettings settings;
    settings.record = record;
    settings.captureEvery = captureEvery;
    return Play(script, settings);
}

GameRun GameRun::Play(const std::string& script, const RunSettings& settings) {
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
    for (const auto& link : settings.links) {
        const size_t slash = link.first.rfind('/');
        if (slash != std::string::npos) {
            mkdir((folder + "/" + link.first.substr(0, slash)).c_str(), 0755);
        }
        if (symlink(link.second.c_str(), (folder + "/" + link.first).c_str()) != 0) {
            return run;
        }
    }
    std::string command = "cd '" + folder + "' && ";
    if (settings.fileSizeLimit > 0) {
        // The shell counts in 512-byte blocks; an ignored SIGXFSZ makes a write past the
        // limit fail with EFBIG instead of ending the program.
        command += "trap '' XFSZ && ulimit -f " +
                   std::to_string((settings.fileSizeLimit + 511) / 512) + " && ";
    }
    command += "env -u TOLVO_FRAMES TOLVO_HOST=headless TOLVO_FPS=0 "
               "TOLVO_TRACE=trace.jsonl TOLVO_SCRIPT='" +
               script + "'";
    if (settings.record) {
        command += " TOLVO_RECORD=recording.script";
    }
    if (settings.captureEvery > 0) {
        command +=
            " TOLVO_CAPTURE=frames TOLVO_CAPTURE_EVERY=" + std::to_string(settings.captureEvery);
    }
    if (settings.audioCapture) {
        command += " TOLVO_AUDIO_CAPTURE=sound.wav";
    }
    command += " '" MUFFINS_PROGRAM "' >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (const auto& link : settings.links) {
        unlink((folder + "/" + link.first).c_str()); // /dev/full reads as endless zeros
    }

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
