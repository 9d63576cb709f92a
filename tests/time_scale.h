#pragma once

#include <windows.h>

#include <functional>

// Deadlines in the tests are written for Wine running natively. Where its 32-bit side runs under
// emulation, scripts/with-wine measures how many times longer a trivial Wine program takes and
// passes that in TNW_TIME_SCALE; every deadline stretches by it.
DWORD Scaled(DWORD ms);

// Waits until the condition holds, for at most the timeout, stretched; false when it never did.
bool Eventually(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// The tests that soak the program run in a short form in the suite, one that still fails without
// what they guard; 'make soak' sets TNW_SOAK=1 for their long form.
int ShortOrSoak(int shortForm, int soakForm);
