// SPDX-License-Identifier: MIT
#include "finding.h"

#include <algorithm>
#include <array>

namespace q42 {

namespace {

struct KindRow {
    FindingKind kind;
    const char* name;
    bool keepsPortShut;
};

constexpr std::array kKinds{
    KindRow{FindingKind::NoAdapter, "no-adapter", true},
    KindRow{FindingKind::NoDriver, "no-driver", true},
    KindRow{FindingKind::TakenByUsbfs, "taken-by-usbfs", true},
    KindRow{FindingKind::NotInGroup, "not-in-group", true},
    KindRow{FindingKind::NotInThisLogin, "not-in-this-login", true},
    KindRow{FindingKind::NoAccess, "no-access", true},
    KindRow{FindingKind::ReservedPort, "reserved-port", true},
    KindRow{FindingKind::HeldByProgram, "held-by-program", true},
    KindRow{FindingKind::HeldUnseen, "held-unseen", true},
    KindRow{FindingKind::ModemManager, "modemmanager", false},
    KindRow{FindingKind::DeviceProblem, "device-problem", true},
    KindRow{FindingKind::AdapterPulled, "adapter-pulled", false},
    KindRow{FindingKind::NotSerial, "not-serial", true},
    KindRow{FindingKind::CannotOpen, "cannot-open", true},
    KindRow{FindingKind::NotVisible, "not-visible", false},
    KindRow{FindingKind::UnitAnswered, "unit-answered", false},
    KindRow{FindingKind::NoAnswer, "no-answer", false},
};

const KindRow& RowOf(FindingKind kind)
{
    return *std::find_if(kKinds.begin(), kKinds.end(), [kind](const KindRow& row) { return row.kind == kind; });
}

// Which findings can explain which symptom, in the order they are looked for. A finding that keeps
// the device from appearing cannot explain a refused or a silent port, and one about the node's
// rights cannot explain a device that is not there.
struct Explanation {
    FindingKind kind;
    bool missing, denied, busy, silent;
};

constexpr std::array kExplanations{
    Explanation{FindingKind::NoAdapter, true, false, false, false},
    Explanation{FindingKind::NoDriver, true, false, false, false},
    Explanation{FindingKind::TakenByUsbfs, true, false, false, false},
    Explanation{FindingKind::DeviceProblem, true, false, false, false},
    Explanation{FindingKind::NotInGroup, false, true, false, false},
    Explanation{FindingKind::NotInThisLogin, false, true, false, false},
    Explanation{FindingKind::NoAccess, false, true, false, false},
    Explanation{FindingKind::ReservedPort, false, true, false, false},
    Explanation{FindingKind::HeldByProgram, false, false, true, true},
    Explanation{FindingKind::HeldUnseen, false, false, true, false},
    Explanation{FindingKind::ModemManager, false, false, true, true},
};

bool Explains(const Explanation& row, Symptom symptom)
{
    switch (symptom) {
    case Symptom::Missing:
        return row.missing;
    case Symptom::Denied:
        return row.denied;
    case Symptom::Busy:
        return row.busy;
    case Symptom::Silent:
        return row.silent;
    }
    return false;
}

}  // namespace

const char* FindingKindName(FindingKind kind)
{
    return RowOf(kind).name;
}

std::vector<FindingKind> AllFindingKinds()
{
    std::vector<FindingKind> kinds;
    for (const KindRow& row : kKinds) {
        kinds.push_back(row.kind);
    }
    return kinds;
}

bool KeepsPortShut(FindingKind kind)
{
    return RowOf(kind).keepsPortShut;
}

std::string FindingSentence(const Finding& finding)
{
    return finding.fix.empty() ? finding.text : finding.text + " " + finding.fix;
}

const Finding* Explaining(const std::vector<Finding>& findings, Symptom symptom)
{
    for (const Explanation& row : kExplanations) {
        if (!Explains(row, symptom)) {
            continue;
        }
        const auto found = std::find_if(findings.begin(), findings.end(),
                                        [&row](const Finding& f) { return f.kind == row.kind; });
        if (found != findings.end()) {
            return &*found;
        }
    }
    return nullptr;
}

}  // namespace q42
