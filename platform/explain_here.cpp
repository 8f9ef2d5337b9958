// SPDX-License-Identifier: MIT
#include "explain_here.h"

#include "linux_findings.h"
#include "windows_devices.h"

namespace q42 {

std::optional<Finding> ExplainFailureHere([[maybe_unused]] const std::string& device, Symptom symptom)
{
#ifdef _WIN32
    if (symptom == Symptom::Missing) {
        const std::vector<Finding> findings = ExamineWindowsDevices(LiveWindowsDevices());
        if (const Finding* found = Explaining(findings, symptom)) {
            return *found;
        }
    }
    return std::nullopt;
#else
    return ExplainFailure(SystemView::Live(), device, symptom);
#endif
}

}  // namespace q42
