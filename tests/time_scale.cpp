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
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < Scaled(timeoutMs)) {
        if (condition())
            return true;
        Sleep(20);
    }
    return condition();
}

int ShortOrSoak(int shortForm, int soakForm)
{
    const char* soak = std::getenv("TNW_SOAK");
    return soak && *soak && *soak != '0' ? soakForm : shortForm;
}
