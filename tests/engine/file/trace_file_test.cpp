// TraceFile, the trace any game writes: a line per call where TOLVO_TRACE asks, nothing
// otherwise, and a file it cannot write said once and turned into the exit code.
#include "engine/file/trace_file.h"

#include "engine/platform/requested_files.h"
#include "tests/engine/file/temp_folder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Contents(const char* path) {
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

struct TraceCase {
    const char* setting;  // TOLVO_TRACE, null for unset
    bool opens;           // OpenFromSetting's answer
    bool notWritten;      // the run then ends with EXIT_NOT_WRITTEN
    const char* contents; // the file named by the setting afterwards, where there is one
};

const TraceCase CASES[] = {
    {nullptr, false, false, nullptr},
    {"", false, false, nullptr},
    {"trace.jsonl", true, false, "{\"frame\":1,\"x\":-3}\n{\"frame\":2,\"x\":0}\n"},
    {"no such folder/trace.jsonl", false, true, nullptr},
    {"/dev/full", true, true, nullptr}, // opens, but the first line cannot be written
};

TEST(TraceFileTest, WritesWhereTheSettingAsksAndReportsWhatItCannot) {
    for (const TraceCase& c : CASES) {
        SCOPED_TRACE(c.setting ? c.setting : "(unset)");
        TempFolder folder;
        ForgetNotWritten();
        if (c.setting) {
            setenv("TOLVO_TRACE", c.setting, 1);
        } else {
            unsetenv("TOLVO_TRACE");
        }
        {
            TraceFile trace;
            EXPECT_EQ(trace.OpenFromSetting(), c.opens);
            trace.Line("{\"frame\":%d,\"x\":%d}", 1, -3);
            trace.Line("{\"frame\":%d,\"x\":%d}", 2, 0);
            EXPECT_EQ(trace.IsOpen(), c.opens && !c.notWritten);
        }
        EXPECT_EQ(AnyNotWritten(), c.notWritten);
        EXPECT_EQ(ExitCodeAfterWrites(0), c.notWritten ? EXIT_NOT_WRITTEN : 0);
        if (c.contents) {
            EXPECT_EQ(Contents(c.setting), c.contents);
        }
    }
    unsetenv("TOLVO_TRACE");
    ForgetNotWritten();
}

} // namespace
