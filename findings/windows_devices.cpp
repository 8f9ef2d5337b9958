// SPDX-License-Identifier: MIT
#include "windows_devices.h"

#include <algorithm>
#include <cctype>

#include "usb_adapters.h"


namespace q42 {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string IdAfter(const std::string& id, const std::string& key)
{
    const std::size_t at = id.find(key);
    return at == std::string::npos || at + key.size() + 4 > id.size() ? std::string()
                                                                       : Lower(id.substr(at + key.size(), 4));
}

// What a problem code means and what to do, for the codes an adapter shows.
struct ProblemRow {
    unsigned code;
    const char* meaning;
    const char* fix;
};

constexpr ProblemRow kProblems[] = {
    {1, "it is not configured correctly", "Reinstall its driver: in Device Manager right-click it, Uninstall device, "
                                          "then unplug the adapter and plug it in again."},
    {3, "its driver may be corrupted, or the system is low on memory",
     "Reinstall its driver: in Device Manager right-click it, Uninstall device, then plug the adapter in again."},
    {10, "Windows cannot start it", "Unplug the adapter and plug it into another socket; if the code stays, install "
                                    "the driver of the adapter's maker."},
    {22, "it is disabled", "In Device Manager right-click it and choose Enable device."},
    {28, "no driver is installed for it", "Install the driver of the adapter's maker (in Device Manager right-click "
                                          "it, Update driver), then unplug the adapter and plug it in again."},
    {31, "Windows cannot load its driver", "Reinstall its driver from the adapter's maker."},
    {39, "Windows cannot load its driver, which may be corrupted or missing",
     "Reinstall its driver from the adapter's maker."},
    {43, "Windows stopped it because it reported problems",
     "Unplug it and plug it into another socket; if the code stays, the cable or the adapter is faulty."},
    {52, "Windows cannot verify its driver's signature",
     "Install a signed driver from the adapter's maker."},
};

// The two cases technicians meet most, by name.
std::string SpecialFix(const std::string& vendor, const std::string& product, unsigned code)
{
    if (vendor == "067b" && product == "2303" && code == 10) {
        return "Prolific's current driver does not start PL2303 chips it takes for counterfeit or end-of-life ones: "
               "use an adapter with an FTDI, CP210x or current Prolific (PL2303GC) chip.";
    }
    if (vendor == "1a86" && (product == "7523" || product == "5523") && code == 28) {
        return "Install WCH's CH341SER driver (CH341SER.EXE, from the chip maker WCH), then unplug the adapter and plug "
               "it in again.";
    }
    return {};
}

bool LooksSerial(const PresentDevice& device, const std::string& vendor, const std::string& product)
{
    const std::string name = Lower(device.name);
    return !KnownChip(vendor, product).empty() || name.find("serial") != std::string::npos ||
           name.find("uart") != std::string::npos || name.find("(com") != std::string::npos;
}

}  // namespace

std::pair<std::string, std::string> UsbIdsOf(const std::string& instanceId)
{
    const std::string id = Lower(instanceId);
    return {IdAfter(id, "vid_"), IdAfter(id, "pid_")};
}

std::vector<Finding> ExamineWindowsDevices(const DeviceList& list)
{
    std::vector<Finding> findings;
    if (!list.listed) {
        findings.push_back({FindingKind::NotVisible, {}, {}, "The system's device list could not be read, so "
                            "adapters Windows could not start are not named here.", {}, false});
        return findings;
    }
    for (const PresentDevice& device : list.devices) {
        const auto [vendor, product] = UsbIdsOf(device.instanceId);
        if (device.problem == 0 || vendor.empty() || !LooksSerial(device, vendor, product)) {
            continue;
        }
        const std::string chip = KnownChip(vendor, product);
        Finding f{FindingKind::DeviceProblem, {}, {}, {}, {}, true};
        f.adapter = (device.name.empty() ? std::string("USB adapter") : device.name) + " (" +
                    (chip.empty() ? "" : chip + ", ") + vendor + ":" + product + ")";
        const auto row = std::find_if(std::begin(kProblems), std::end(kProblems),
                                      [&device](const ProblemRow& r) { return r.code == device.problem; });
        const std::string meaning = row != std::end(kProblems) ? row->meaning : "the device manager reports a problem";
        f.text = "The " + f.adapter + " has no COM port: " + meaning + " (Device Manager's Code " +
                 std::to_string(device.problem) + ").";
        f.fix = SpecialFix(vendor, product, device.problem);
        if (f.fix.empty()) {
            f.fix = row != std::end(kProblems) ? row->fix : "Open Device Manager and look at the adapter's properties.";
        }
        findings.push_back(f);
    }
    return findings;
}

}  // namespace q42
