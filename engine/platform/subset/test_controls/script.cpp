#include "engine/platform/subset/test_controls/script.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace subset {
namespace {

// A decimal number from `low` to `high`, and nothing else.
bool ReadNumber(const std::string& word, long low, long high, int* out) {
    if (word.empty() || word.size() > 9) {
        return false;
    }
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    long value = std::strtol(word.c_str(), nullptr, 10);
    if (value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool ReadKind(const std::string& word, ScriptEventKind* kind) {
    static const struct {
        const char* name;
        ScriptEventKind kind;
    } KINDS[] = {
        {"down", SCRIPT_DOWN}, {"up", SCRIPT_UP}, {"char", SCRIPT_CHAR}, {"close", SCRIPT_CLOSE}};
    for (const auto& entry : KINDS) {
        if (word == entry.name) {
            *kind = entry.kind;
            return true;
        }
    }
    return false;
}

// The reason a line is bad, or "" when `event` was read.
std::string ParseLine(const std::string& line, ScriptEvent* event) {
    std::istringstream words(line);
    std::string frameWord, kindWord, valueWord, extra;
    words >> frameWord >> kindWord >> valueWord >> extra;
    if (!ReadNumber(frameWord, 1, 999999999, &event->frame)) {
        return "frame must be a number from 1, not '" + frameWord + "'";
    }
    if (!ReadKind(kindWord, &event->kind)) {
        return "unknown event '" + kindWord + "' (down, up, char or close)";
    }
    event->value = 0;
    if (event->kind == SCRIPT_CLOSE) {
        return valueWord.empty() ? "" : "close takes no value";
    }
    if (!ReadNumber(valueWord, 0, 255, &event->value)) {
        return kindWord + " needs a code from 0 to 255, not '" + valueWord + "'";
    }
    return extra.empty() ? "" : "unexpected '" + extra + "' after the event";
}

} // namespace

std::vector<ScriptEvent> ParseScript(const std::string& text, std::vector<std::string>* errors) {
    std::vector<ScriptEvent> events;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        number++;
        size_t comment = line.find('#');
        if (comment != std::string::npos) {
            line.erase(comment);
        }
        if (line.find_first_not_of(" \t\r") == std::string::npos) {
            continue;
        }
        ScriptEvent event;
        std::string problem = ParseLine(line, &event);
        if (problem.empty()) {
            events.push_back(event);
        } else if (errors) {
            errors->push_back("line " + std::to_string(number) + ": " + problem);
        }
    }
    return events;
}

std::string FormatScriptEvent(const ScriptEvent& event) {
    static const char* NAMES[] = {"down", "up", "char", "close"};
    std::string line = std::to_string(event.frame) + " " + NAMES[event.kind];
    if (event.kind != SCRIPT_CLOSE) {
        line += " " + std::to_string(event.value);
    }
    return line;
}

} // namespace subset
