// SPDX-License-Identifier: MIT
#include "linux_findings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "process_table.h"

namespace q42 {

namespace fs = std::filesystem;

namespace {

const char kReplug[] = "then unplug the adapter and plug it in again.";

struct GroupEntry {
    std::string name;
    std::vector<std::string> members;
};

GroupEntry GroupOf(const std::string& file, unsigned gid)
{
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, ':');) {
            fields.push_back(field);
        }
        if (fields.size() < 3 || fields[2] != std::to_string(gid)) {
            continue;
        }
        GroupEntry group{fields[0], {}};
        if (fields.size() > 3) {
            std::istringstream names(fields[3]);
            for (std::string member; std::getline(names, member, ',');) {
                group.members.push_back(member);
            }
        }
        return group;
    }
    return {std::to_string(gid), {}};  // a group the file does not name: its number
}

std::string ProcessText(const ProcessEntry& process)
{
    std::string text = (process.name.empty() ? std::string("a program") : process.name) + " (process " +
                       std::to_string(process.pid) + ")";
    if (process.name == "q42-panel") {
        text += ", the VARNEK-Q42 window";
    }
    return text;
}

std::string ProcessesText(const std::vector<ProcessEntry>& processes)
{
    std::string text;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == processes.size() ? " and " : ", ") + ProcessText(processes[i]);
    }
    return text;
}

Finding BrlttyFinding(const UsbSerialAdapter& adapter, const std::string& who)
{
    Finding f{FindingKind::TakenByUsbfs, {}, DescribeUsbAdapter(adapter), {}, {}, true};
    f.text = "The " + f.adapter + " was taken from its driver through usbfs by " + who +
             ", so its serial port is gone.";
    f.fix = "brltty, the Braille display service, claims adapters of this kind; without a Braille display, stop "
            "it for good with `sudo systemctl mask --now brltty-udev.service brltty.service` (or `sudo apt remove "
            "brltty`), " + std::string(kReplug);
    return f;
}

Finding UsbfsFinding(const SystemView& view, const UsbSerialAdapter& adapter)
{
    const HolderScan scan = FindHolders(view, {adapter.usbNode});
    const bool brlttyHolds = std::any_of(scan.holders.begin(), scan.holders.end(),
                                         [](const ProcessEntry& p) { return p.name == "brltty"; });
    if (brlttyHolds) {
        return BrlttyFinding(adapter, ProcessesText(scan.holders));
    }
    if (scan.holders.empty()) {
        const std::vector<ProcessEntry> brltty = ProcessesNamed(view, "brltty");
        if (!brltty.empty()) {
            return BrlttyFinding(adapter, "a program this user cannot see; brltty runs (process " +
                                              std::to_string(brltty.front().pid) +
                                              "), so it is most likely brltty (inferred, not seen)");
        }
    }
    Finding f{FindingKind::TakenByUsbfs, {}, DescribeUsbAdapter(adapter), {}, {}, true};
    if (scan.holders.empty()) {
        f.text = "The " + f.adapter + " was taken from its driver through usbfs by a program this user cannot see, "
                 "so its serial port is gone.";
        f.fix = "`sudo lsof " + adapter.usbNode + "` names it; close that program, " + kReplug;
    } else {
        f.text = "The " + f.adapter + " was taken from its driver through usbfs by " + ProcessesText(scan.holders) +
                 ", so its serial port is gone.";
        f.fix = "Close " + scan.holders.front().name + ", " + kReplug;
    }
    return f;
}

Finding NoDriverFinding(const UsbSerialAdapter& adapter)
{
    Finding f{FindingKind::NoDriver, {}, DescribeUsbAdapter(adapter), {}, {}, true};
    f.text = "The " + f.adapter + " is on the USB bus, but no driver serves it, so it has no serial port.";
    const std::string load = "load it with `sudo modprobe " + adapter.module + "`, " + kReplug;
    if (!adapter.moduleKnownToKernel) {
        // Without the kernel's list nothing says whether it lacks the driver: name the usual one.
        f.fix = "The kernel's list of modules (modules.alias) could not be read, so whether it has a driver for "
                "this chip is not known; " +
                (adapter.module.empty() ? std::string("the adapter's maker names the driver it needs.")
                                        : "the usual module for it is " + adapter.module + ": " + load);
    } else if (!adapter.module.empty()) {
        f.fix = "The kernel's module for it is " + adapter.module + ": " + load;
    } else {
        f.fix = "This kernel does not know the chip: it needs the driver of the adapter's maker, a newer kernel, or "
                "an adapter with an FTDI, CP210x, CH340 or PL2303 chip.";
    }
    return f;
}

// udev's mark that keeps ModemManager off a tty, in the database record of its device number.
bool IgnoredByModemManager(const SystemView& view, const std::string& tty)
{
    std::ifstream dev(fs::path(view.sys) / "class" / "tty" / tty / "dev");
    std::string number;
    if (tty.empty() || !std::getline(dev, number)) {
        return false;
    }
    std::ifstream record(fs::path(view.udevData) / ("c" + number));
    for (std::string line; std::getline(record, line);) {
        if (line == "E:ID_MM_DEVICE_IGNORE=1") {
            return true;
        }
    }
    return false;
}

std::optional<Finding> ModemManagerFinding(const SystemView& view, const std::string& device, const std::string& tty)
{
    const std::vector<ProcessEntry> running = ProcessesNamed(view, "ModemManager");
    if (running.empty() || IgnoredByModemManager(view, tty)) {
        return std::nullopt;
    }
    Finding f{FindingKind::ModemManager, device, {}, {}, {}, false};
    f.text = "ModemManager runs (process " + std::to_string(running.front().pid) + "): it may probe " +
             (device.empty() ? std::string("a newly plugged adapter") : device) +
             " for a few seconds after it is plugged in, holding it and sending it AT commands.";
    f.fix = "If the port is busy or the first answer is garbled, wait ten seconds and try again; to keep it off "
            "for good, `sudo systemctl disable --now ModemManager`, or a udev rule with "
            "ENV{ID_MM_DEVICE_IGNORE}=\"1\" for the adapter.";
    return f;
}

std::optional<Finding> PermissionFinding(const SystemView& view, const std::string& device, const NodeFacts& node)
{
    if (!node.exists || node.mayOpen) {
        return std::nullopt;
    }
    const GroupEntry group = GroupOf(view.groupFile, node.gid);
    const LoginFacts& login = view.login;
    const bool member = login.primaryGid == node.gid ||
                        std::find(group.members.begin(), group.members.end(), login.user) != group.members.end();
    const bool inLogin = std::find(login.loginGids.begin(), login.loginGids.end(), node.gid) != login.loginGids.end();
    const std::string owner = device + " belongs to group " + group.name + " (mode " + ModeText(node.mode) + ")";
    Finding f{FindingKind::NotInGroup, device, {}, {}, {}, false};
    // Joining root's group, or one the mode gives nothing, would open nothing or far too much: such
    // a port is the system's (the kernel's console, a service's line), and another one is the way.
    if (node.gid == 0 || (!member && (node.mode & 0060) != 0060)) {
        f.kind = FindingKind::ReservedPort;
        f.text = owner + ": the system keeps it for itself (the kernel's console, or a service's line).";
        f.fix = "Use the adapter's own port instead; no group to join or mode to change is the fix here.";
        f.thenChoosePort = true;
    } else if (!member) {
        f.text = owner + ", and " + login.user + " is not in it.";
        f.fix = "Join it with `sudo usermod -aG " + group.name + " " + login.user + "`, then log out and in again.";
    } else if (!inLogin) {
        f.kind = FindingKind::NotInThisLogin;
        f.text = login.user + " is in group " + group.name + ", which may open " + device +
                 ", but this login began before joining it.";
        f.fix = "Log out and in again (or restart); in a terminal, `newgrp " + group.name + "` starts a shell that has it.";
    } else {
        f.kind = FindingKind::NoAccess;
        f.text = owner + ": its mode does not let the group read and write it.";
        f.fix = "`sudo chmod g+rw " + device + "` opens it until it is plugged in again; a udev rule with "
                "MODE=\"0660\" keeps it.";
    }
    return f;
}

std::vector<Finding> HolderFindings(const SystemView& view, const std::string& device, bool busy)
{
    std::vector<std::string> paths{device};
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    if (!ec && real.string() != device) {
        paths.push_back(real.string());  // /dev/serial/by-id/... is open as /dev/ttyUSB0
    }
    const HolderScan scan = FindHolders(view, paths);
    if (!scan.holders.empty()) {
        Finding f{FindingKind::HeldByProgram, device, {}, {}, {}, false};
        f.text = device + " is held by " + ProcessesText(scan.holders) + ".";
        f.fix = "Close " + scan.holders.front().name + " (or `kill " + std::to_string(scan.holders.front().pid) +
                "`), then try again.";
        return {f};
    }
    if (scan.unseen == 0) {
        return {};
    }
    Finding f{busy ? FindingKind::HeldUnseen : FindingKind::NotVisible, device, {}, {}, {}, false};
    const std::string unseen = std::to_string(scan.unseen) + " processes of other users could not be looked at";
    f.text = busy ? device + " is busy, and no program of this user holds it: " + unseen + "."
                  : unseen + ", so one of them may hold " + device + ".";
    f.fix = "`sudo lsof " + device + "` names the program that holds it; close it, then try again.";
    return {f};
}

std::string TtyName(const std::string& device)
{
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    return (ec ? fs::path(device) : real).filename().string();
}

}  // namespace

std::string ModeText(unsigned mode)
{
    std::string text = "c";
    const char* letters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit) {
        text += (mode & (0400u >> bit)) != 0 ? letters[bit] : '-';
    }
    return text;
}

std::vector<Finding> ExamineAdapters(const SystemView& view, const AdapterScan& scan)
{
    std::vector<Finding> findings;
    if (!scan.sysfsRead) {
        findings.push_back({FindingKind::NotVisible, {}, {}, "The USB bus could not be looked at: " + view.sys +
                            "/bus/usb/devices cannot be read.", {}, false});
    } else if (scan.adapters.empty() && scan.vanished == 0) {
        findings.push_back({FindingKind::NoAdapter, {}, {},
                            "No USB serial adapter is on the USB bus: the adapter is not plugged in, the cable only "
                            "charges, or the hub or socket passes no data.",
                            "Plug the adapter straight into the laptop, or try another socket or cable; `lsusb` lists "
                            "what the bus sees.",
                            true});
    }
    if (scan.vanished > 0) {
        findings.push_back({FindingKind::AdapterPulled, {}, {},
                            "A USB adapter went away while the bus was being read.",
                            "Plug it in again, wait five seconds, and try again.", true});
    }
    for (const UsbSerialAdapter& adapter : scan.adapters) {
        if (adapter.driver == "usbfs") {
            findings.push_back(UsbfsFinding(view, adapter));
        } else if (adapter.driver.empty()) {
            findings.push_back(NoDriverFinding(adapter));
        }
    }
    if (auto modemManager = ModemManagerFinding(view, {}, {})) {
        findings.push_back(*modemManager);
    }
    return findings;
}

std::vector<Finding> ExamineDevice(const SystemView& view, const std::string& device, bool lookForHolders)
{
    std::vector<Finding> findings;
    const NodeFacts node = view.node(device);
    if (node.exists && !node.charDevice) {
        findings.push_back({FindingKind::NotSerial, device, {}, device + " is not a device: it is a file or a folder.",
                            "Give the serial device, as `q42ctl ports` lists them.", false});
        return findings;
    }
    if (auto permission = PermissionFinding(view, device, node)) {
        findings.push_back(*permission);
    }
    if (lookForHolders && node.exists) {
        for (const Finding& f : HolderFindings(view, device, false)) {
            findings.push_back(f);
        }
    }
    // ModemManager can only probe a device that is there; one that is not has its own findings.
    if (auto modemManager = node.exists ? ModemManagerFinding(view, device, TtyName(device)) : std::nullopt) {
        findings.push_back(*modemManager);
    }
    return findings;
}

std::optional<Finding> ExplainFailure(const SystemView& view, const std::string& device, Symptom symptom)
{
    std::vector<Finding> findings;
    switch (symptom) {
    case Symptom::Missing:
        findings = ExamineAdapters(view, ScanUsbSerialAdapters(view));
        break;
    case Symptom::Denied:
        if (auto permission = PermissionFinding(view, device, view.node(device))) {
            findings.push_back(*permission);
        }
        break;
    case Symptom::Busy:
    case Symptom::Silent:
        findings = HolderFindings(view, device, symptom == Symptom::Busy);
        if (auto modemManager = ModemManagerFinding(view, device, TtyName(device))) {
            findings.push_back(*modemManager);
        }
        break;
    }
    if (const Finding* found = Explaining(findings, symptom)) {
        return *found;
    }
    return std::nullopt;
}

}  // namespace q42
