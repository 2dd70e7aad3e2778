// Reading one line of the game's trace (a flat JSON object per frame) by key, for the
// tests that run the real program.
#ifndef TOLVO_TESTS_SUPPORT_TRACE_LINE_H
#define TOLVO_TESTS_SUPPORT_TRACE_LINE_H

#include <string>
#include <vector>

// The first value of `key` in a trace line, as written ("play", 12, true); "" if absent.
std::string TraceValue(const std::string& line, const std::string& key);
// The rows of an array field of a trace line ("muffins", "pins", "fridges").
std::vector<std::vector<float>> TraceRows(const std::string& line, const std::string& key);

#endif
