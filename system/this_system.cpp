// SPDX-License-Identifier: MIT
#include "this_system.h"

#include "linux_findings.h"
#include "live_system.h"
#include "usb_adapters.h"
#include "windows_devices.h"

namespace q42 {

#ifdef _WIN32

std::optional<Finding> ExplainFailureHere(const std::string&, Symptom symptom)
{
    if (symptom == Symptom::Missing) {
        const std::vector<Finding> findings = ExamineWindowsDevices(LiveWindowsDevices());
        if (const Finding* found = Explaining(findings, symptom)) {
            return *found;
        }
    }
    return std::nullopt;
}

std::vector<Finding> AdapterFindingsHere(bool anyPortPresent)
{
    std::vector<Finding> findings = ExamineWindowsDevices(LiveWindowsDevices());
    if (!anyPortPresent) {
        findings.insert(findings.begin(), Finding{FindingKind::NoAdapter, {}, {}, "No serial port is present.",
                                                  "Plug the adapter in; Device Manager, under Ports (COM & LPT), "
                                                  "lists it when Windows has a driver for it.", true});
    }
    return findings;
}

std::vector<Finding> DeviceFindingsHere(const std::string&, bool)
{
    return {};
}

bool DeviceNodeHere(const std::string&)
{
    return false;
}

#else

std::optional<Finding> ExplainFailureHere(const std::string& device, Symptom symptom)
{
    return ExplainFailure(LiveSystemView(), device, symptom);
}

std::vector<Finding> AdapterFindingsHere(bool)
{
    const SystemView view = LiveSystemView();
    return ExamineAdapters(view, ScanUsbSerialAdapters(view));
}

std::vector<Finding> DeviceFindingsHere(const std::string& device, bool afterSilence)
{
    return ExamineDevice(LiveSystemView(), device, afterSilence);
}

bool DeviceNodeHere(const std::string& device)
{
    return LiveSystemView().node(device).exists;
}

#endif

}  // namespace q42
