#include "time_scale.h"

#include <cstdlib>

namespace {

DWORD Scale()
{
    static const DWORD scale = [] {
        char text[16] = {};
        if (!GetEnvironmentVariableA("TNW_TIME_SCALE", text, sizeof text))
            return 1ul;
        const unsigned long value = std::strtoul(text, nullptr, 10);
        return value > 1 ? value : 1ul;
    }();
    return scale;
}

} // namespace

DWORD Scaled(DWORD ms) { return ms * Scale(); }

bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < Scaled(timeoutMs); waited += 20) {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}
