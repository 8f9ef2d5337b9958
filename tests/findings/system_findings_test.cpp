// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#ifndef _WIN32
#include <fnmatch.h>
#endif
#include <map>

#include "fake_system.h"
#include "finding.h"
#include "linux_findings.h"
#include "usb_adapters.h"

namespace q42 {
namespace {

using test::FakeSystem;

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::vector<FindingKind> KindsOf(const std::vector<Finding>& findings)
{
    std::vector<FindingKind> kinds;
    for (const Finding& f : findings) {
        kinds.push_back(f.kind);
    }
    return kinds;
}

// The sysfs and /proc entries the Debian 12 kernel wrote for QEMU's FTDI adapter (serial
// Q42KERNEL1), bound to ftdi_sio, unbound, and claimed through usbfs by q42-usbfs-claim.
SystemView KernelView(const std::string& state)
{
    SystemView view;
    const std::string root = std::string(Q42_KERNEL_VIEWS) + "/" + state;
    view.sys = root + "/sys";
    view.proc = root + "/proc";
    view.groupFile = "/nonexistent";
    view.modulesAlias = std::string(Q42_KERNEL_VIEWS) + "/modules.alias";
    view.udevData = "/nonexistent";
    view.node = [](const std::string&) { return NodeFacts{}; };
    return view;
}

TEST(KernelViews, WhatTheKernelWroteIsRead)
{
    const AdapterScan bound = ScanUsbSerialAdapters(KernelView("bound"));
    ASSERT_EQ(bound.adapters.size(), 1u);
    const UsbSerialAdapter& a = bound.adapters.front();
    EXPECT_EQ(a.interfaceName, "1-1:1.0");
    EXPECT_EQ(a.vendorId + ":" + a.productId, "0403:6001");
    EXPECT_EQ(a.serial, "Q42KERNEL1");
    EXPECT_EQ(a.driver, "ftdi_sio");
    EXPECT_EQ(a.module, "ftdi_sio");
    EXPECT_EQ(a.tty, "ttyUSB0");
    EXPECT_EQ(a.usbNode, "/dev/bus/usb/001/002");
    EXPECT_EQ(a.chip, "FTDI FT232R");
    EXPECT_EQ(DescribeUsbAdapter(a), "QEMU USB SERIAL (FTDI FT232R, 0403:6001, serial Q42KERNEL1)");
    EXPECT_TRUE(ExamineAdapters(KernelView("bound"), bound).empty());

    const SystemView unboundView = KernelView("unbound");
    const std::vector<Finding> unbound = ExamineAdapters(unboundView, ScanUsbSerialAdapters(unboundView));
    ASSERT_EQ(KindsOf(unbound), std::vector<FindingKind>{FindingKind::NoDriver});
    EXPECT_TRUE(Has(unbound[0].adapter, "0403:6001")) << unbound[0].adapter;
    EXPECT_TRUE(Has(unbound[0].adapter, "serial Q42KERNEL1")) << unbound[0].adapter;
    EXPECT_TRUE(Has(unbound[0].text, "is on the USB bus, but no driver serves it")) << unbound[0].text;
    EXPECT_TRUE(Has(unbound[0].fix, "sudo modprobe ftdi_sio")) << unbound[0].fix;

    const SystemView usbfsView = KernelView("usbfs");
    const std::vector<Finding> usbfs = ExamineAdapters(usbfsView, ScanUsbSerialAdapters(usbfsView));
    ASSERT_EQ(KindsOf(usbfs), std::vector<FindingKind>{FindingKind::TakenByUsbfs});
    EXPECT_TRUE(Has(usbfs[0].text, "through usbfs by q42-usbfs-claim (process 366)")) << usbfs[0].text;
    EXPECT_TRUE(Has(usbfs[0].fix, "Close q42-usbfs-claim")) << usbfs[0].fix;
}

// Each adapter rule over a tree of its own; a healthy machine has no finding.
TEST(AdapterRules, EachFindingFromItsOwnTree)
{
    struct Row {
        const char* name;
        void (*make)(FakeSystem&);
        std::vector<FindingKind> kinds;
        const char* text;  // a part of the first finding's sentence
    };
    const Row rows[] = {
        {"healthy", [](FakeSystem& s) { s.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0"); }, {}, ""},
        {"a kernel without a USB bus", [](FakeSystem& s) { std::filesystem::remove_all(s.Path("sys/bus/usb")); },
         {FindingKind::NoAdapter}, "No USB serial adapter"},
        {"no adapter, only a hub", [](FakeSystem& s) { s.Adapter("1d6b", "0002", "hub"); }, {FindingKind::NoAdapter},
         "No USB serial adapter is on the USB bus"},
        {"a CH340 without its module",
         [](FakeSystem& s) { s.Adapter("1a86", "7523", ""); }, {FindingKind::NoDriver}, "`sudo modprobe ch341`"},
        {"a commented alias names no module",
         [](FakeSystem& s) {
             s.Adapter("1a86", "7523", "");
             s.Write("modules.alias", "# usb:v1a86p7523d*dc*dsc*dp*ic*isc*ip*in* ch341\n");
         },
         {FindingKind::NoDriver}, "This kernel does not know the chip"},
        {"the bus cannot be read",
         [](FakeSystem& s) {
             std::filesystem::remove_all(s.Path("sys/bus/usb/devices"));
             s.Write("sys/bus/usb/devices", "");  // no folder to list, as when it may not be read
         },
         {FindingKind::NotVisible},
         "The USB bus could not be looked at"},
        {"a chip no module knows", [](FakeSystem& s) { s.Adapter("0403", "6015", ""); }, {FindingKind::NoDriver},
         "This kernel does not know the chip"},
        // A live system from a stick or a container may have no modules.alias: no claim about the
        // kernel, the chip's usual module instead (a CDC ACM interface known by its class).
        {"no modules.alias, an FTDI",
         [](FakeSystem& s) {
             s.Adapter("0403", "6001", "");
             std::filesystem::remove(s.Path("modules.alias"));
         },
         {FindingKind::NoDriver},
         "could not be read, so whether it has a driver for this chip is not known; the usual module for it is "
         "ftdi_sio: load it with `sudo modprobe ftdi_sio`"},
        {"no modules.alias, a CDC ACM interface",
         [](FakeSystem& s) {
             s.Adapter("2e8a", "000a", "");
             s.Write("sys/devices/pci0000:00/usb1/1-1/1-1:1.0/modalias",
                     "usb:v2E8Ap000Ad0100dcEFdsc02dp01ic02isc02ip00in00\n");
             std::filesystem::remove(s.Path("modules.alias"));
         },
         {FindingKind::NoDriver}, "the usual module for it is cdc_acm"},
        {"no modules.alias, a chip not in the short table",
         [](FakeSystem& s) {
             s.Adapter("1a86", "55d4", "");
             std::filesystem::remove(s.Path("modules.alias"));
         },
         {FindingKind::NoDriver}, "is not known; the adapter's maker names the driver it needs."},
        {"brltty holds it through usbfs",
         [](FakeSystem& s) {
             s.Adapter("1a86", "7523", "usbfs");
             s.Process(812, "brltty", "/dev/bus/usb/001/002");
         },
         {FindingKind::TakenByUsbfs}, "by brltty (process 812), so its serial port is gone. brltty, the Braille"},
        {"brltty runs, its files unseen",
         [](FakeSystem& s) {
             s.Adapter("1a86", "7523", "usbfs");
             s.HiddenProcess(812, "brltty");
         },
         {FindingKind::TakenByUsbfs}, "most likely brltty (inferred, not seen)"},
        {"usbfs, nobody seen",
         [](FakeSystem& s) {
             s.Adapter("10c4", "ea60", "usbfs");
             s.HiddenProcess(900, "");
         },
         {FindingKind::TakenByUsbfs}, "`sudo lsof /dev/bus/usb/001/002`"},
        {"ModemManager runs",
         [](FakeSystem& s) {
             s.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0");
             s.Process(640, "ModemManager");
         },
         {FindingKind::ModemManager}, "ModemManager runs (process 640): it may probe"},
        {"an entry gone during the scan",
         [](FakeSystem& s) {
             s.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0");
             s.Link("sys/bus/usb/devices/1-2:1.0", "../../../devices/pci0000:00/usb1/1-2/1-2:1.0");
         },
         {FindingKind::AdapterPulled}, "went away while the bus was being read"},
        {"malformed contents",
         [](FakeSystem& s) {
             s.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0");
             s.Write("sys/devices/pci0000:00/usb1/1-1/idVendor", "");
             s.Write("sys/devices/pci0000:00/usb1/1-1/1-1:1.0/modalias", "\xff\xfe[[[*");
             s.Write("modules.alias", "alias\nalias usb:[ ftdi_sio\nnonsense\n");
         },
         {FindingKind::NoAdapter}, "No USB serial adapter"},
    };
    for (const Row& row : rows) {
        FakeSystem system;
        row.make(system);
        const std::vector<Finding> findings = ExamineAdapters(system.view, ScanUsbSerialAdapters(system.view));
        EXPECT_EQ(KindsOf(findings), row.kinds) << row.name;
        if (!findings.empty()) {
            EXPECT_TRUE(Has(FindingSentence(findings[0]), row.text)) << row.name << ": " << FindingSentence(findings[0]);
            // After a fix on the bus the adapter has a port to choose; ModemManager changes no port.
            EXPECT_EQ(findings[0].thenChoosePort,
                      findings[0].kind != FindingKind::ModemManager && findings[0].kind != FindingKind::NotVisible)
                << row.name;
        }
    }
}

TEST(AdapterRules, UdevsIgnoreMarkKeepsModemManagerQuietForThatDevice)
{
    FakeSystem system;
    system.Adapter("0403", "6001", "ftdi_sio", "ttyUSB0");
    system.Process(640, "ModemManager");
    system.nodes["/dev/ttyUSB0"] = {true, true, 20, 0660, true};
    system.Write("udev/c188:0", "I:1234\nE:ID_MM_DEVICE_IGNORE=0\n");
    const auto before = ExamineDevice(system.view, "/dev/ttyUSB0", false);
    EXPECT_EQ(KindsOf(before), std::vector<FindingKind>{FindingKind::ModemManager});
    system.Write("udev/c188:0", "I:1234\nE:ID_MM_DEVICE_IGNORE=1\n");
    EXPECT_TRUE(ExamineDevice(system.view, "/dev/ttyUSB0", false).empty());
}

// The node's rights against the user's groups, as the system judges them.
TEST(DeviceRules, PermissionAsTheSystemJudgesIt)
{
    struct Row {
        const char* name;
        NodeFacts node;
        LoginFacts login;
        std::optional<FindingKind> kind;
        const char* text;
    };
    const Row rows[] = {
        {"access granted (an ACL, say)", {true, true, 20, 0660, true}, {"tech", 1000, 1000, {1000}}, std::nullopt, ""},
        {"not in dialout", {true, true, 20, 0660, false}, {"tech", 1000, 1000, {1000}}, FindingKind::NotInGroup,
         "/dev/ttyUSB0 belongs to group dialout (mode crw-rw----), and tech is not in it. Join it with `sudo usermod "
         "-aG dialout tech`"},
        {"joined, not in this login", {true, true, 20, 0660, false}, {"ana", 1001, 1001, {1001}},
         FindingKind::NotInThisLogin, "`newgrp dialout`"},
        {"in the group, mode shut", {true, true, 20, 0600, false}, {"ana", 1001, 1001, {1001, 20}},
         FindingKind::NoAccess, "mode crw-------"},
        {"primary group, not in login", {true, true, 1000, 0660, false}, {"tech", 1000, 1000, {}},
         FindingKind::NotInThisLogin, "tech is in group tech"},
        {"no such node", {}, {"tech", 1000, 1000, {1000}}, std::nullopt, ""},
        {"the kernel's console: root's alone", {true, true, 0, 0600, false}, {"tech", 1000, 1000, {1000}},
         FindingKind::ReservedPort, "/dev/ttyUSB0 belongs to group root (mode crw-------): the system keeps it for itself"},
        {"a group the mode gives nothing", {true, true, 20, 0600, false}, {"tech", 1000, 1000, {1000}},
         FindingKind::ReservedPort, "Use the adapter's own port instead"},
        {"root's group, even to one of its members", {true, true, 0, 0660, false}, {"ana", 1001, 0, {0}},
         FindingKind::ReservedPort, "the system keeps it for itself"},
    };
    for (const Row& row : rows) {
        FakeSystem system;
        system.Write("group", "root:x:0:\ndialout:x:20:ana,bob\ntech:x:1000:\n");
        system.nodes["/dev/ttyUSB0"] = row.node;
        system.view.login = row.login;
        const std::vector<Finding> findings = ExamineDevice(system.view, "/dev/ttyUSB0", false);
        if (!row.kind) {
            EXPECT_TRUE(findings.empty()) << row.name;
            continue;
        }
        ASSERT_EQ(findings.size(), 1u) << row.name;
        EXPECT_EQ(findings[0].kind, *row.kind) << row.name;
        EXPECT_EQ(findings[0].thenChoosePort, *row.kind == FindingKind::ReservedPort)
            << row.name << ": the same port once it may be opened, another one for a port the system keeps";
        EXPECT_TRUE(Has(FindingSentence(findings[0]), row.text)) << row.name << ": " << FindingSentence(findings[0]);
        EXPECT_FALSE(Has(FindingSentence(findings[0]), "-aG root")) << row.name << ": never root's group";
    }
}

TEST(DeviceRules, TheProgramHoldingTheDevice)
{
    struct Row {
        const char* name;
        void (*make)(FakeSystem&);
        Symptom symptom;
        std::optional<FindingKind> kind;
        const char* text;
    };
    const Row rows[] = {
        {"a terminal", [](FakeSystem& s) { s.Process(4242, "minicom", "/dev/ttyUSB0"); }, Symptom::Busy,
         FindingKind::HeldByProgram, "/dev/ttyUSB0 is held by minicom (process 4242). Close minicom (or `kill 4242`)"},
        {"the window itself", [](FakeSystem& s) { s.Process(77, "q42-panel", "/dev/ttyUSB0"); }, Symptom::Silent,
         FindingKind::HeldByProgram, "q42-panel (process 77), the VARNEK-Q42 window"},
        {"two of them",
         [](FakeSystem& s) {
             s.Process(10, "screen", "/dev/ttyUSB0");
             s.Process(11, "picocom", "/dev/ttyUSB0");
         },
         Symptom::Busy, FindingKind::HeldByProgram, "screen (process 10) and picocom (process 11)"},
        {"the program itself is no holder", [](FakeSystem& s) { s.Process(555, "q42ctl", "/dev/ttyUSB0"); },
         Symptom::Busy, std::nullopt, ""},
        {"another user's", [](FakeSystem& s) { s.HiddenProcess(3000, "cu"); }, Symptom::Busy, FindingKind::HeldUnseen,
         "no program of this user holds it: 1 processes of other users could not be looked at. `sudo lsof "
         "/dev/ttyUSB0` names the program"},
        {"/proc's own folders are no processes",
         [](FakeSystem& s) {
             s.Write("proc/self/comm", "minicom\n");
             s.Link("proc/self/fd/3", "/dev/ttyUSB0");
         },
         Symptom::Busy, std::nullopt, ""},
        {"a missing device and no adapter on the bus", [](FakeSystem&) {}, Symptom::Missing, FindingKind::NoAdapter,
         "No USB serial adapter"},
        {"refused, and not in the group",
         [](FakeSystem& s) { s.nodes["/dev/ttyUSB0"] = {true, true, 20, 0660, false}; }, Symptom::Denied,
         FindingKind::NotInGroup, "belongs to group dialout"},
        {"another device open", [](FakeSystem& s) { s.Process(31, "minicom", "/dev/ttyUSB1"); }, Symptom::Busy,
         std::nullopt, ""},
        {"ModemManager when nothing answers", [](FakeSystem& s) { s.Process(640, "ModemManager"); }, Symptom::Silent,
         FindingKind::ModemManager, "ModemManager runs (process 640): it may probe /dev/ttyUSB0"},
        {"an unseen holder does not explain silence", [](FakeSystem& s) { s.HiddenProcess(3000, "cu"); },
         Symptom::Silent, std::nullopt, ""},
    };
    for (const Row& row : rows) {
        FakeSystem system;
        system.view.selfPid = 555;
        system.nodes["/dev/ttyUSB0"] = {true, true, 20, 0660, true};
        row.make(system);
        const std::optional<Finding> found = ExplainFailure(system.view, "/dev/ttyUSB0", row.symptom);
        ASSERT_EQ(found.has_value(), row.kind.has_value()) << row.name;
        if (found) {
            EXPECT_EQ(found->kind, *row.kind) << row.name;
            EXPECT_EQ(found->thenChoosePort, row.symptom == Symptom::Missing) << row.name;
            EXPECT_TRUE(Has(FindingSentence(*found), row.text)) << row.name << ": " << FindingSentence(*found);
        }
    }
}

// A device named by its stable link is held as the node it leads to; doctor asks for holders only
// when told to.
TEST(DeviceRules, HoldersOfALinkAndOnlyWhenAsked)
{
    FakeSystem system;
    system.Write("dev/ttyUSB0", "");
    system.Link("dev/serial/by-id/usb-FTDI_A50285BI", "../../ttyUSB0");
    system.Process(4242, "minicom", system.Path("dev/ttyUSB0"));
    const std::string link = system.Path("dev/serial/by-id/usb-FTDI_A50285BI");
    system.nodes[link] = {true, true, 20, 0660, true};
    const std::optional<Finding> held = ExplainFailure(system.view, link, Symptom::Busy);
    ASSERT_TRUE(held.has_value());
    EXPECT_TRUE(Has(held->text, "is held by minicom (process 4242)")) << held->text;
    EXPECT_EQ(KindsOf(ExamineDevice(system.view, link, true)), std::vector<FindingKind>{FindingKind::HeldByProgram});
    EXPECT_TRUE(ExamineDevice(system.view, link, false).empty());

    // After silence, processes that could not be looked at are said, and keep no port shut.
    FakeSystem other;
    other.HiddenProcess(3000, "cu");
    other.nodes["/dev/ttyUSB0"] = {true, true, 20, 0660, true};
    const auto unseen = ExamineDevice(other.view, "/dev/ttyUSB0", true);
    ASSERT_EQ(unseen.size(), 1u);
    EXPECT_EQ(unseen[0].kind, FindingKind::NotVisible) << unseen[0].text;
    EXPECT_TRUE(Has(unseen[0].text, "so one of them may hold")) << unseen[0].text;
}

// A CDC ACM adapter's tty sits in a tty folder of its interface; an adapter without bus numbers has
// no usbfs node.
TEST(AdapterRules, TheTtyAndNodeOfEachKindOfAdapter)
{
    FakeSystem system;
    system.Adapter("2341", "0043", "cdc_acm");
    system.Write("sys/devices/pci0000:00/usb1/1-1/1-1:1.0/tty/ttyACM0/dev", "166:0\n");
    system.Write("sys/devices/pci0000:00/usb1/1-1/devnum", "");
    const AdapterScan scan = ScanUsbSerialAdapters(system.view);
    ASSERT_EQ(scan.adapters.size(), 1u);
    EXPECT_EQ(scan.adapters[0].tty, "ttyACM0");
    EXPECT_EQ(scan.adapters[0].usbNode, "");
    EXPECT_EQ(scan.adapters[0].driver, "cdc_acm");
    EXPECT_EQ(scan.adapters[0].chip, "");

    system.Adapter("0403", "6015", "ftdi_sio", "ttyUSB0", "1-0");  // listed after 1-1, found first
    const AdapterScan two = ScanUsbSerialAdapters(system.view);
    ASSERT_EQ(two.adapters.size(), 2u);
    EXPECT_EQ(two.adapters[0].interfaceName + " " + two.adapters[0].chip, "1-0:1.0 FTDI FT-X");
    EXPECT_EQ(KnownChip("0403", "7523"), "");
    EXPECT_EQ(KnownChip("1a86", "6001"), "");
}

// The window's one finding: the first that explains the symptom, in the fixed order.
TEST(Explaining, FirstThatAppliesInOrder)
{
    auto f = [](FindingKind kind) { return Finding{kind, {}, {}, FindingKindName(kind), {}, false}; };
    std::vector<Finding> all;  // every kind at once: each symptom's first explanation, none before it
    for (const FindingKind kind : AllFindingKinds()) {
        all.push_back(f(kind));
    }
    struct Row {
        std::vector<Finding> findings;
        Symptom symptom;
        std::optional<FindingKind> explained;
    };
    const Row rows[] = {
        {{f(FindingKind::ModemManager), f(FindingKind::NoDriver), f(FindingKind::NoAdapter)}, Symptom::Missing,
         FindingKind::NoAdapter},
        {{f(FindingKind::TakenByUsbfs), f(FindingKind::NoDriver)}, Symptom::Missing, FindingKind::NoDriver},
        {{f(FindingKind::ModemManager), f(FindingKind::TakenByUsbfs)}, Symptom::Missing, FindingKind::TakenByUsbfs},
        {{f(FindingKind::ModemManager)}, Symptom::Missing, std::nullopt},
        {{f(FindingKind::NotInThisLogin), f(FindingKind::NotInGroup)}, Symptom::Denied, FindingKind::NotInGroup},
        {{f(FindingKind::HeldByProgram), f(FindingKind::NotInThisLogin)}, Symptom::Denied, FindingKind::NotInThisLogin},
        {{f(FindingKind::ModemManager), f(FindingKind::HeldByProgram)}, Symptom::Busy, FindingKind::HeldByProgram},
        {{f(FindingKind::ModemManager), f(FindingKind::NoAdapter)}, Symptom::Silent, FindingKind::ModemManager},
        {{f(FindingKind::HeldUnseen)}, Symptom::Silent, std::nullopt},
        {{}, Symptom::Busy, std::nullopt},
        {all, Symptom::Missing, FindingKind::NoAdapter},
        {all, Symptom::Denied, FindingKind::NotInGroup},
        {all, Symptom::Busy, FindingKind::HeldByProgram},
        {all, Symptom::Silent, FindingKind::HeldByProgram},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Finding* found = Explaining(rows[i].findings, rows[i].symptom);
        ASSERT_EQ(found != nullptr, rows[i].explained.has_value()) << "row " << i;
        if (found) {
            EXPECT_EQ(found->kind, *rows[i].explained) << "row " << i;
        }
    }
}

TEST(FindingKinds, NamesAreDocumentedWordsAndEachKeepsItsWeight)
{
    std::vector<std::string> names;
    for (const FindingKind kind : AllFindingKinds()) {
        names.push_back(FindingKindName(kind));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"no-adapter", "no-driver", "taken-by-usbfs", "not-in-group",
                                               "not-in-this-login", "no-access", "reserved-port", "held-by-program", "held-unseen",
                                               "modemmanager", "device-problem", "adapter-pulled", "not-serial",
                                               "cannot-open", "not-visible", "unit-answered", "no-answer"}));
    std::vector<std::string> advisory;
    for (const FindingKind kind : AllFindingKinds()) {
        if (!KeepsPortShut(kind)) {
            advisory.push_back(FindingKindName(kind));
        }
    }
    EXPECT_EQ(advisory, (std::vector<std::string>{"modemmanager", "adapter-pulled", "not-visible", "unit-answered",
                                                  "no-answer"}));
}

// What modules.alias writes, and a class left open; the short globs are compared with fnmatch below.
TEST(AliasPatterns, AsModulesAliasWritesThem)
{
    struct Row {
        const char* pattern;
        const char* text;
        bool matches;
    };
    const Row rows[] = {
        {"usb:v0403p6001d*dc*dsc*dp*ic*isc*ip*in*", "usb:v0403p6001d0600dc00dsc00dp00icFFiscFFipFFin00", true},
        {"usb:v0403p6001d*dc*dsc*dp*ic*isc*ip*in*", "usb:v0403p6010d0600dc00dsc00dp00icFFiscFFipFFin00", false},
        {"usb:v067Bp2303d0[0-2]*dc*", "usb:v067Bp2303d0100dc00", true},
        {"usb:v067Bp2303d0[0-2]*dc*", "usb:v067Bp2303d0300dc00", false},
        {"usb:v*p*d*dc*dsc*dp*ic02isc02ip01in*", "usb:v2341p0043d0001dc02dsc00dp00ic02isc02ip01in00", true},
        {"usb:v?403p*", "usb:v0403p6001", true},
        {"usb:v0403", "usb:v0403p6001", false},
        {"usb:[", "usb:[", true},
        {"usb:[", "usb:x", false},
        {"*[0-2]x", "13x2x", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AliasPatternMatches(row.pattern, row.text), row.matches) << row.pattern << " / " << row.text;
    }
}

#ifndef _WIN32
// The same verdict as the C library's fnmatch over every short pattern of stars, '?', classes and
// letters against every short text: the kernel's aliases use nothing else.
TEST(AliasPatterns, AsFnmatchJudgesThem)
{
    const std::vector<std::string> pieces{"a", "b", "*", "?", "[ab]", "[a-b]", "[b]", "[a-]"};
    std::vector<std::string> patterns{""};
    for (int length = 0; length < 3; ++length) {
        const std::vector<std::string> shorter = patterns;
        for (const std::string& stem : shorter) {
            for (const std::string& piece : pieces) {
                if (stem.size() < 8) {
                    patterns.push_back(stem + piece);
                }
            }
        }
    }
    std::vector<std::string> texts{""};
    for (int length = 0; length < 4; ++length) {
        const std::vector<std::string> shorter = texts;
        for (const std::string& stem : shorter) {
            for (const char c : {'a', 'b', 'c', '-', ']'}) {
                if (stem.size() == static_cast<std::size_t>(length)) {
                    texts.push_back(stem + c);
                }
            }
        }
    }
    int compared = 0;
    for (const std::string& pattern : patterns) {
        for (const std::string& text : texts) {
            const bool expected = ::fnmatch(pattern.c_str(), text.c_str(), FNM_NOESCAPE) == 0;
            ASSERT_EQ(AliasPatternMatches(pattern, text), expected) << "'" << pattern << "' / '" << text << "'";
            ++compared;
        }
    }
    EXPECT_GT(compared, 10000);
}
#endif

}  // namespace
}  // namespace q42
