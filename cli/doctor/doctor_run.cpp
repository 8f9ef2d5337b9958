// SPDX-License-Identifier: MIT
#include "doctor_run.h"

#include <algorithm>
#include <cstdio>

#include "failure_symptom.h"
#include "port_inventory.h"
#include "run_sessions.h"
#include "system_line.h"
#include "this_system.h"

namespace q42::ctl {

namespace {

int WindowPortOf(const QString& device, const QList<SerialDeviceInfo>& present)
{
    for (const auto& [n, reached] : PortNumbersInUse(present, SystemEnvironment)) {
        if (reached == device) {
            return n;
        }
    }
    return 0;
}

Finding LineFinding(FindingKind kind, const QString& device, const QString& text)
{
    return Finding{kind, device.toStdString(), {}, text.toStdString(), {}, false};
}

void Append(std::vector<Finding>& to, const std::vector<Finding>& more)
{
    for (const Finding& f : more) {
        const bool known = std::any_of(to.begin(), to.end(), [&f](const Finding& g) {
            return g.kind == f.kind && g.device == f.device && g.text == f.text;
        });
        if (!known) {
            to.push_back(f);
        }
    }
}

void SayReservedPortsOnce(DoctorReport& report)
{
    auto& findings = report.findings;
    const auto reserved = [](const Finding& f) { return f.kind == FindingKind::ReservedPort; };
    const auto first = std::find_if(findings.begin(), findings.end(), reserved);
    if (first == findings.end()) {
        return;
    }
    // A port the system keeps is beside the point once a unit answered elsewhere; else it is said
    // once, for all such ports, so that it does not bury the finding that matters.
    if (report.answered.isEmpty()) {
        const auto others = std::count_if(first + 1, findings.end(), reserved);
        if (others > 0) {
            first->fix += " " + std::to_string(others) + (others == 1 ? " other port is" : " other ports are") +
                          " kept by the system too.";
        }
        findings.erase(std::remove_if(first + 1, findings.end(), reserved), findings.end());
    } else {
        findings.erase(std::remove_if(findings.begin(), findings.end(), reserved), findings.end());
    }
}

// What a device's failed probe adds, looked for in the system: the finding that explains the open
// failure or the silence, else the line's own words.
std::vector<Finding> ProbeFindings(const QString& device, const DetectSession& probe)
{
    const std::string path = device.toStdString();
    const QString said = probe.Problems().isEmpty() ? QString() : probe.Problems().constLast();
    // Lost while the answer was awaited: the next rate found it gone, which says nothing more.
    if (probe.LostWhileWaiting()) {
        Finding lost = LineFinding(FindingKind::AdapterPulled, device,
                                   QStringLiteral("%1 went away while doctor waited for the unit's answer.").arg(device));
        lost.fix = "The adapter was pulled or its cable is loose: plug it in firmly and run q42ctl doctor again.";
        return {lost};
    }
    if (probe.Status() == ExitStatus::CannotOpen) {
        const CommErrorKind kind = probe.LineFailure().value_or(CommErrorKind::Other);
        if (kind == CommErrorKind::NotSerial) {
            return {LineFinding(FindingKind::NotSerial, device, said)};
        }
        const std::optional<Symptom> symptom = SymptomOf(kind);
        const std::optional<Finding> explained = symptom ? ExplainFailureHere(path, *symptom) : std::nullopt;
        std::vector<Finding> findings{LineFinding(FindingKind::CannotOpen, device, said)};
        if (explained) {
            findings.push_back(*explained);
        }
        return findings;
    }
    Finding silent = LineFinding(FindingKind::NoAnswer, device, said);
    silent.fix = "Check that the unit is powered and that the cable is plugged into it and into the adapter; a "
                 "crossed or straight cable of the wrong kind passes nothing.";
    std::vector<Finding> findings{silent};
    // A terminal that holds the port without a lock takes the answers away.
    Append(findings, DeviceFindingsHere(path, true));
    return findings;
}

}  // namespace

DoctorReport RunDoctor(const QList<Target>& given, const DetectTask& task, const LineTrace& trace)
{
    DoctorReport report;
    report.system = SystemLine();
    const QList<SerialDeviceInfo> present = SystemSerialDevices();
    QList<Target> targets = given;
    if (targets.isEmpty()) {
        for (const SerialDeviceInfo& info : present) {
            targets.append(Target{info.device});
        }
    }
    QList<QString> devices;  // where each target leads now, found once
    for (const Target& target : targets) {
        devices.append(TargetDevice(target, present));
    }
    std::vector<Finding> system = AdapterFindingsHere(!present.isEmpty());
    // A device given that exists, a pseudo-terminal say, makes "no USB adapter" beside the point.
    const bool givenExists = !given.isEmpty() && std::any_of(devices.begin(), devices.end(), [](const QString& device) {
        return !device.isEmpty() && DeviceNodeHere(device.toStdString());
    });
    // Each device's own ModemManager line names it; the system's would only say it again.
    system.erase(std::remove_if(system.begin(), system.end(),
                                [&](const Finding& f) {
                                    return (givenExists && f.kind == FindingKind::NoAdapter) ||
                                           (!targets.isEmpty() && f.kind == FindingKind::ModemManager);
                                }),
                 system.end());
    Append(report.findings, system);
    const auto shuts = [](const std::vector<Finding>& findings) {
        return std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return KeepsPortShut(f.kind); });
    };
    // An adapter kept from having a port (no driver, taken through usbfs) explains a silence better
    // than the unit's power does, whatever other port opened.
    report.portShut = shuts(system);

    QList<Target> toProbe;
    QList<QString> probed;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString& device = devices[i];
        const std::vector<Finding> node = device.isEmpty() ? std::vector<Finding>{} : DeviceFindingsHere(device.toStdString(), false);
        Append(report.findings, node);
        if (shuts(node)) {
            report.portShut = true;
            continue;  // what keeps it shut is said; opening it would only say it again
        }
        toProbe.append(targets[i]);
        probed.append(device);
    }
    const auto probes = RunAll<DetectSession>(task, toProbe, trace);
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const DetectSession& probe = *probes[i];
        if (probe.FoundBaud()) {
            const AnsweredOn on{probe.Device(), *probe.FoundBaud(), WindowPortOf(probe.Device(), present)};
            report.answered.append(on);
            report.findings.push_back(AnsweredFinding(on));
            continue;
        }
        report.portShut = report.portShut || (probe.Status() == ExitStatus::CannotOpen && !probe.LostWhileWaiting());
        const QString device = probe.OpenedDevice().isEmpty() ? probed[static_cast<qsizetype>(i)] : probe.OpenedDevice();
        Append(report.findings, ProbeFindings(device.isEmpty() ? probe.Label() : device, probe));
    }
    SayReservedPortsOnce(report);
    return report;
}

ExitStatus PrintDoctor(const QList<Target>& given, const DetectTask& task, bool json, const LineTrace& trace)
{
    const DoctorReport report = RunDoctor(given, task, trace);
    std::fputs(json ? DoctorJson(report).c_str() : qPrintable(DoctorText(report)), stdout);
    return DoctorStatus(report);
}

}  // namespace q42::ctl
