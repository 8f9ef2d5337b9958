// SPDX-License-Identifier: MIT
// While q42-panel.exe or q42ctl.exe runs, it holds a named mutex, in the global namespace and in its
// session's, so that an installer or a deployment script can tell that replacing the files now would
// fail. Elsewhere there is nothing to hold.
#pragma once

namespace q42 {

inline constexpr wchar_t kRunningMarkGlobal[] = L"Global\\VARNEK-Q42 Panel running";
inline constexpr wchar_t kRunningMarkSession[] = L"Local\\VARNEK-Q42 Panel running";

// Held until the process ends; Windows releases the mutexes with it.
void HoldRunningMark();

}  // namespace q42
