#include "game/trace.h"

#include "game/shell.h"

#include <cstdarg>
#include <cstdio>

namespace {

void Append(std::string& line, const char* format, ...) {
    char buffer[128];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    line += buffer;
}

// Nine significant digits give every 32-bit float back exactly.
void AppendFloat(std::string& line, float value) {
    Append(line, "%.9g", static_cast<double>(value));
}

const char* Bool(bool value) {
    return value ? "true" : "false";
}

void AppendPickups(std::string& line, const char* name, const PickupList& list) {
    Append(line, ",\"%s\":[", name);
    for (int32_t i = 0; i < list.count; i++) {
        const Pickup& pickup = list.storage[static_cast<size_t>(i)];
        line += i == 0 ? "[" : ",[";
        AppendFloat(line, pickup.x);
        line += ",";
        AppendFloat(line, pickup.y);
        Append(line, ",%d]", pickup.state);
    }
    line += "]";
}

} // namespace

void Trace::WriteFrame(int32_t frame, const char* screen) {
    if (file.IsOpen()) {
        file.Line("%s", FormatFrame(frame, screen).c_str());
    }
}

std::string Trace::FormatFrame(int32_t frame, const char* screen) {
    std::string line;
    line.reserve(1024);
    Append(line, "{\"frame\":%d,\"screen\":\"%s\"", frame, screen);
    Append(line, ",\"titleShown\":%s,\"instructionsShown\":%s", Bool(titleShown),
           Bool(instructionsShown));
    Append(line, ",\"introShown\":%s,\"paused\":%s", Bool(introShown), Bool(paused));
    Append(line, ",\"pageTimer\":%d,\"gameOverTimer\":%d", pageTimer, gameOverTimer);
    Append(line, ",\"heroTick\":%d,\"keyTick\":%d,\"muffinTick\":%d,\"introTick\":%d", heroTick,
           keyTick, muffinTick, introTick);

    line += ",\"hero\":{\"screenX\":";
    AppendFloat(line, hero.screenX);
    line += ",\"y\":";
    AppendFloat(line, hero.y);
    line += ",\"worldX\":";
    AppendFloat(line, hero.worldX);
    Append(line, ",\"walkState\":%d,\"action\":%d,\"walkFrame\":%d", hero.walkState, hero.action,
           hero.walkFrame);
    Append(line, ",\"fallFrame\":%d,\"reachFrame\":%d,\"milkFrame\":%d", hero.fallFrame,
           hero.reachFrame, hero.milkFrame);
    Append(line, ",\"pinReachFrame\":%d,\"pinFrame\":%d", hero.pinReachFrame, hero.pinFrame);
    Append(line, ",\"milkCartons\":%d,\"rollingPins\":%d,\"lastScrollX\":%d", hero.milkCartons,
           hero.rollingPins, hero.lastScrollX);
    Append(line, ",\"clear\":%s,\"finished\":%s}", Bool(hero.clear), Bool(hero.finished));

    AppendPickups(line, "fridges", hero.fridgeList);
    AppendPickups(line, "pins", hero.rollingPinList);

    line += ",\"muffins\":[";
    for (int32_t i = 0; i < muffinTrack.Count(); i++) {
        Muffin muffin;
        muffinTrack.GetMuffin(i, muffin);
        line += i == 0 ? "[" : ",[";
        AppendFloat(line, muffin.x);
        line += ",";
        AppendFloat(line, muffin.y);
        Append(line, ",%d,%d,%d,%d]", muffin.state, muffin.direction, muffin.rollPicture,
               muffin.meltPicture);
    }
    line += "]";
    Append(line, ",\"intro\":{\"picture\":%d,\"finished\":%d}}", intro.picture, intro.finished);
    return line;
}
