#include "engine/platform/subset/gdi32/device_context.h"

#include <map>

namespace subset {
namespace {

struct DeviceContexts {
    std::map<HDC, DeviceContext> contexts;
    uintptr_t next = 0x20010;
};

DeviceContexts& Contexts() {
    static DeviceContexts contexts;
    return contexts;
}

HDC Create(const DeviceContext& context) {
    HDC handle = reinterpret_cast<HDC>(Contexts().next);
    Contexts().next += 0x10;
    Contexts().contexts[handle] = context;
    return handle;
}

} // namespace

HDC CreateScreenDC() {
    return Create(DeviceContext());
}

HDC CreateCanvasDC(const Canvas& canvas) {
    DeviceContext context;
    context.onCanvas = true;
    context.canvas = canvas;
    return Create(context);
}

DeviceContext* FindDC(HDC dc) {
    auto found = Contexts().contexts.find(dc);
    return found == Contexts().contexts.end() ? nullptr : &found->second;
}

void ForgetDC(HDC dc) {
    Contexts().contexts.erase(dc);
}

void ResetDeviceContexts() {
    Contexts().contexts.clear();
}

} // namespace subset
