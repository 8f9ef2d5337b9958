// SPDX-License-Identifier: MIT
// The mark a running q42-panel.exe or q42ctl.exe holds for installers, in both namespaces.
#include <gtest/gtest.h>

#include <windows.h>

#include "running_mark.h"

namespace q42 {
namespace {

bool Present(const wchar_t* name)
{
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
    if (mutex != nullptr) {
        CloseHandle(mutex);
    }
    return mutex != nullptr;
}

TEST(RunningMark, HeldInTheGlobalAndTheSessionNamespace)
{
    EXPECT_FALSE(Present(kRunningMarkSession)) << "nothing holds it before";
    HoldRunningMark();
    EXPECT_TRUE(Present(kRunningMarkGlobal));
    EXPECT_TRUE(Present(kRunningMarkSession));
}

}  // namespace
}  // namespace q42
