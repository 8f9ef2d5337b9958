// SPDX-License-Identifier: MIT
#include "running_mark.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace q42 {

void HoldRunningMark()
{
#ifdef _WIN32
    // Not owned: the mutex marks presence, nothing waits on it. A global name may be refused to a
    // user without the right to create global objects; the session's name is there all the same.
    CreateMutexW(nullptr, FALSE, kRunningMarkGlobal);
    CreateMutexW(nullptr, FALSE, kRunningMarkSession);
#endif
}

}  // namespace q42
