// Files the user asks for by a setting: an input recording, a trace, frame and sound
// captures. Whoever writes one checks every write and the close; the first failure of
// each file is said once on standard error, naming the setting, the file and the reason,
// and remembered, so that a run which otherwise ends well ends with EXIT_NOT_WRITTEN and
// the user knows that something asked for is missing or incomplete. The program plays
// on. (The debug log and the engine's own picture writer keep their own rules.)
#ifndef TOLVO_ENGINE_PLATFORM_REQUESTED_FILES_H
#define TOLVO_ENGINE_PLATFORM_REQUESTED_FILES_H

#include <string>

// The exit code of a run that ended well but could not write a file it was asked for.
// The engine itself ends with 0 or -1 only.
constexpr int EXIT_NOT_WRITTEN = 3;

// "cannot VERB PATH: REASON", REASON being strerror(error) ("unknown error" for 0):
// CannotText("write", "rec.keys", ENOSPC) is "cannot write rec.keys: No space left on
// device".
std::string CannotText(const char* verb, const std::string& path, int error);

// Writes "SETTING: PROBLEM; CONSEQUENCE" on standard error and remembers the failure:
// "TOLVO_RECORD: cannot write rec.keys: No space left on device; recording stopped".
void ReportNotWritten(const char* setting, const std::string& problem, const char* consequence);

// Whether any requested file could not be written since the program started (or since
// ForgetNotWritten).
bool AnyNotWritten();
void ForgetNotWritten();

// The program's exit code: result, or EXIT_NOT_WRITTEN where result is 0 and a file
// asked for could not be written. Other codes (a failed start-up) stay as they are.
int ExitCodeAfterWrites(int result);

#endif
