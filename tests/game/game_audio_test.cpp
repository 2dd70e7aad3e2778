// The whole game on the headless host with TOLVO_AUDIO_CAPTURE: each sound starts in the
// captured stream at the frame the trace shows for its event (within one frame's buffer of
// 735 sample frames), the stream is silent while muted, and neither sound nor M changes
// the trace.
#include "engine/sound/wave.h"
#include "tests/support/trace_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const int64_t FRAME = 735; // sample frames of one 60 Hz frame at 44100 Hz

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct GameRun {
    int exitCode = -1;
    std::vector<std::string> trace;
    std::vector<int16_t> left; // the captured stream's left channel
    int peak = 0;              // of both channels
};

// Plays `script` (its text) on the headless host, capturing trace and sound.
GameRun Play(const std::string& script) {
    GameRun run;
    char pattern[] = "/tmp/muffins-audio-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        return run;
    }
    const std::string folder = made;
    if (symlink(MUFFINS_IMAGES, (folder + "/Images").c_str()) != 0 ||
        symlink(MUFFINS_SOUNDS, (folder + "/Sounds").c_str()) != 0) {
        return run;
    }
    std::ofstream(folder + "/input.script") << script;
    const std::string command = "cd '" + folder +
                                "' && env -u TOLVO_FRAMES TOLVO_HOST=headless TOLVO_FPS=0 "
                                "TOLVO_TRACE=trace.jsonl TOLVO_SCRIPT=input.script "
                                "TOLVO_AUDIO_CAPTURE=audio.wav '" MUFFINS_PROGRAM
                                "' >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream trace(folder + "/trace.jsonl");
    for (std::string line; std::getline(trace, line);) {
        run.trace.push_back(line);
    }
    const std::string bytes = ReadFile(folder + "/audio.wav");
    Wave wave;
    std::string error;
    if (wave.Parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "audio.wav",
                   &error) &&
        wave.format.channels == 2 && wave.format.bitsPerSample == 16 &&
        wave.format.samplesPerSecond == 44100) {
        for (size_t i = 0; i + 1 < wave.samples.size(); i += 2) {
            const int16_t s = static_cast<int16_t>(wave.samples[i] | (wave.samples[i + 1] << 8));
            if ((i / 2) % 2 == 0) {
                run.left.push_back(s);
            }
            run.peak = std::max(run.peak, std::abs(static_cast<int>(s)));
        }
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return run;
}

// The demo without its closing line, with more input after it; closed at `close`.
std::string DemoWith(const std::string& more, int close) {
    std::istringstream demo(ReadFile(DEMO_SCRIPT));
    std::string script;
    for (std::string line; std::getline(demo, line);) {
        if (line.find("close") == std::string::npos) {
            script += line + "\n";
        }
    }
    return script + more + std::to_string(close) + " close\n";
}

struct Event {
    int frame;
    std::string sound; // the file's name in Sounds/ without ".wav"
    bool operator==(const Event& other) const {
        return frame == other.frame && sound == other.sound;
    }
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << e.sound << "@" << e.frame;
}

// What a player hears, read off the trace: the tune as the title shows, a page for each
// intro panel, and each pick-up, splash, swing, melt, knock-down and game over.
std::vector<Event> EventsOf(const std::vector<std::string>& trace) {
    std::vector<Event> events;
    std::string screen;
    int picture = 0, milk = 0, pins = 0, melting = 0, fall = 1;
    bool clear = false;
    for (const std::string& line : trace) {
        const int frame = std::atoi(TraceValue(line, "frame").c_str());
        const std::string nowScreen = TraceValue(line, "screen");
        const int nowPicture = std::atoi(TraceValue(line, "picture").c_str());
        const int nowMilk = std::atoi(TraceValue(line, "milkCartons").c_str());
        const int nowPins = std::atoi(TraceValue(line, "rollingPins").c_str());
        const int nowFall = std::atoi(TraceValue(line, "fallFrame").c_str());
        const bool nowClear = TraceValue(line, "clear") == "true";
        int nowMelting = 0;
        for (const std::vector<float>& muffin : TraceRows(line, "muffins")) {
            nowMelting += muffin.size() > 2 && muffin[2] == 100.0f;
        }
        auto add = [&](const char* sound) { events.push_back(Event{frame, sound}); };
        if (nowScreen == "title" && screen != "title") {
            add("title");
        }
        if (nowScreen == "intro" && (screen != "intro" || nowPicture != picture)) {
            add("page");
        }
        if (nowMilk > milk) {
            add("milk");
        }
        if (nowPins > pins) {
            add("pin");
        }
        if (nowClear && nowMilk < milk) {
            add("splash");
        }
        if (nowClear && nowPins < pins) {
            add("swing");
        }
        if (nowMelting > melting) {
            add("melt");
        }
        if (nowScreen == "play" && clear && !nowClear && fall == 1) {
            add("knockdown");
        }
        if (nowScreen == "gameover" && screen != "gameover") {
            add("gameover");
        }
        screen = nowScreen;
        picture = nowPicture;
        milk = nowMilk;
        pins = nowPins;
        melting = nowMelting;
        fall = nowFall;
        clear = nowClear;
    }
    return events;
}

// A sound's first stream samples as the mixer makes them from 22050 Hz: each source sample,
// then the point halfway to the next.
std::vector<int32_t> StreamStart(const std::string& sound, size_t count) {
    Wave wave;
    std::string error;
    EXPECT_TRUE(wave.Load((std::string(MUFFINS_SOUNDS) + "/" + sound + ".wav").c_str(), &error))
        << error;
    EXPECT_EQ(wave.format.samplesPerSecond, 22050u);
    std::vector<int32_t> source;
    for (size_t i = 0; i + 1 < wave.samples.size(); i += 2) {
        source.push_back(static_cast<int16_t>(wave.samples[i] | (wave.samples[i + 1] << 8)));
    }
    std::vector<int32_t> stream;
    for (size_t i = 0; i < source.size() && stream.size() < count; i++) {
        const int32_t next = i + 1 < source.size() ? source[i + 1] : source[i];
        stream.push_back(source[i]);
        stream.push_back(source[i] + ((next - source[i]) * 32768 >> 16));
    }
    stream.resize(std::min(stream.size(), count));
    return stream;
}

// Where in the stream the sound fits best, searched two frames either side of `around`:
// the start with the highest normalised correlation, which other sounds playing at the
// same time (the tune, a melt with its splash) barely move.
int64_t BestStart(const std::vector<int16_t>& left, const std::vector<int32_t>& sound,
                  int64_t around) {
    int64_t best = -1;
    double bestScore = 0;
    for (int64_t start = std::max<int64_t>(0, around - 2 * FRAME); start <= around + 2 * FRAME;
         start++) {
        if (start + static_cast<int64_t>(sound.size()) > static_cast<int64_t>(left.size())) {
            break;
        }
        double product = 0, energy = 1;
        for (size_t i = 0; i < sound.size(); i++) {
            const double x = left[static_cast<size_t>(start) + i];
            product += x * sound[i];
            energy += x * x;
        }
        const double score = product / std::sqrt(energy);
        if (best < 0 || score > bestScore) {
            best = start;
            bestScore = score;
        }
    }
    return best;
}

void ExpectSoundsWhereTheTraceSays(const GameRun& run, const std::vector<Event>& events) {
    std::map<std::string, std::vector<int32_t>> starts;
    for (const Event& event : events) {
        SCOPED_TRACE(::testing::PrintToString(event));
        if (!starts.count(event.sound)) {
            starts[event.sound] = StreamStart(event.sound, 2048);
        }
        // The sound frame N starts is mixed as frame N + 1 begins: at N * 735.
        const int64_t expected = event.frame * FRAME;
        const int64_t found = BestStart(run.left, starts[event.sound], expected);
        EXPECT_LE(std::abs(found - expected), FRAME) << "found at " << found;
    }
}

bool Silent(const std::vector<int16_t>& left, int64_t fromFrame, int64_t toFrame) {
    for (int64_t i = fromFrame * FRAME; i < toFrame * FRAME && i < int64_t(left.size()); i++) {
        if (left[static_cast<size_t>(i)] != 0) {
            return false;
        }
    }
    return true;
}

TEST(GameAudio, TheDemosSoundsStartAtTheFramesOfTheirEventsWithoutClipping) {
    const GameRun run = Play(ReadFile(DEMO_SCRIPT));
    ASSERT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.trace.size(), 2849u);
    ASSERT_EQ(run.left.size(), run.trace.size() * FRAME); // one frame's worth a frame
    const std::vector<Event> events = EventsOf(run.trace);
    const std::vector<Event> expected = {
        {1, "title"},       {1402, "page"},   {1442, "page"}, {1482, "page"}, {1522, "page"},
        {1562, "page"},     {1602, "page"},   {1642, "page"}, {1682, "page"}, {1749, "pin"},
        {1919, "milk"},     {2139, "splash"}, {2139, "melt"}, {2289, "pin"},  {2579, "knockdown"},
        {2640, "gameover"}, {2691, "page"},   {2730, "page"}, {2770, "page"}, {2810, "page"}};
    EXPECT_EQ(events, expected);
    ExpectSoundsWhereTheTraceSays(run, events);
    EXPECT_FALSE(Silent(run.left, 1, 1401)); // the tune plays over title and instructions
    EXPECT_TRUE(Silent(run.left, 0, 1));     // and not before the first frame
    EXPECT_LT(run.peak, 32767);              // the busiest moment does not clip
}

TEST(GameAudio, ASwingIsHeardWithItsMelt) {
    // The demo, but R held as the muffin rolls in from behind: a swing instead of the fall.
    const GameRun run = Play(DemoWith("2560 down 82\n2590 up 82\n", 2700));
    ASSERT_EQ(run.exitCode, 0);
    std::vector<Event> events = EventsOf(run.trace);
    ASSERT_GE(events.size(), 2u);
    const std::vector<Event> last(events.end() - 2, events.end());
    EXPECT_EQ(last, std::vector<Event>({{2579, "swing"}, {2579, "melt"}}));
    ExpectSoundsWhereTheTraceSays(run, last);
}

TEST(GameAudio, MIsSilenceUntilPressedAgainAndChangesNothingInTheGame) {
    const GameRun plain = Play(ReadFile(DEMO_SCRIPT));
    // Muted over part of the title, and over the milk carton.
    const GameRun muted = Play(DemoWith("200 down 77\n205 up 77\n400 down 77\n405 up 77\n"
                                        "1900 down 77\n1903 up 77\n1950 down 77\n1953 up 77\n",
                                        2850));
    ASSERT_EQ(muted.exitCode, 0);
    EXPECT_EQ(muted.trace, plain.trace);
    EXPECT_FALSE(Silent(muted.left, 199, 200));
    EXPECT_TRUE(Silent(muted.left, 200, 400));
    EXPECT_FALSE(Silent(muted.left, 400, 401));  // the tune goes on where it was
    EXPECT_TRUE(Silent(muted.left, 1900, 1950)); // the milk carton is not heard
    std::vector<Event> heard;
    for (const Event& event : EventsOf(muted.trace)) {
        if (event.frame >= 400 && (event.frame < 1900 || event.frame >= 1950)) {
            heard.push_back(event);
        }
    }
    ExpectSoundsWhereTheTraceSays(muted, heard);
}

} // namespace
