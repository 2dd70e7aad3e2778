#include "tests/support/trace_line.h"

#include <cstdlib>
#include <sstream>

std::string TraceValue(const std::string& line, const std::string& key) {
    const std::string quoted = "\"" + key + "\":";
    const size_t start = line.find(quoted);
    if (start == std::string::npos) {
        return "";
    }
    const size_t begin = start + quoted.size();
    std::string value = line.substr(begin, line.find_first_of(",}]", begin) - begin);
    if (value.size() >= 2 && value.front() == '"') {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::vector<std::vector<float>> TraceRows(const std::string& line, const std::string& key) {
    std::vector<std::vector<float>> rows;
    const std::string quoted = "\"" + key + "\":[";
    size_t at = line.find(quoted);
    if (at == std::string::npos) {
        return rows;
    }
    at += quoted.size();
    while (at < line.size() && line[at] == '[') {
        const size_t end = line.find(']', at);
        std::vector<float> row;
        std::stringstream cells(line.substr(at + 1, end - at - 1));
        for (std::string cell; std::getline(cells, cell, ',');) {
            row.push_back(std::strtof(cell.c_str(), nullptr));
        }
        rows.push_back(row);
        at = end + 1;
        if (at < line.size() && line[at] == ',') {
            at++;
        }
    }
    return rows;
}
