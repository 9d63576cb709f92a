#pragma once

#include <windows.h>

#include "app/app_context.h"

// The calling thread's message hook: installed with the first bar, removed with the last.
void AcquireMessageHook();
void ReleaseMessageHook();
ThreadHookEntry* FindThreadHook(DWORD thread);

// The platform takes the popup animation flags.
bool AnimationFlagsSupported();
