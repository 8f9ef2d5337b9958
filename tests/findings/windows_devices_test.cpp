// SPDX-License-Identifier: MIT
// Windows' problem codes cannot be made under Wine; the mapping is checked over enumerations of a
// test's own, every present device among them, since an adapter without a driver has no COM port.
#include <gtest/gtest.h>

#include "windows_devices.h"

namespace q42 {
namespace {

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST(WindowsDevices, ProblemCodesOfAdaptersNamed)
{
    struct Row {
        const char* name;
        PresentDevice device;
        bool finding;
        const char* text;  // in the text and fix
    };
    const Row rows[] = {
        {"a counterfeit or end-of-life PL2303", {"USB\\VID_067B&PID_2303\\5&2A8A6C1&0&2", "Prolific USB-to-Serial Comm Port", 10},
         true, "Code 10). Prolific's current driver does not start PL2303 chips"},
        {"a CH340 without its driver", {"USB\\VID_1A86&PID_7523\\5&1&0&3", "USB2.0-Serial", 28}, true,
         "no driver is installed for it (Device Manager's Code 28). Install WCH's CH341SER driver"},
        {"a disabled FTDI", {"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", "USB Serial Port (COM5)", 22}, true,
         "(FTDI FT232R, 0403:6001) has no COM port: it is disabled (Device Manager's Code 22). In Device Manager"},
        {"a PL2303 with code 28 gets the general fix", {"USB\\VID_067B&PID_2303\\1", "USB-Serial Controller", 28}, true,
         "Install the driver of the adapter's maker"},
        {"an unknown code", {"USB\\VID_10C4&PID_EA60\\0001", "CP2102 USB to UART Bridge Controller", 48}, true,
         "the device manager reports a problem (Device Manager's Code 48)"},
        {"a CH341 without its driver", {"USB\\VID_1A86&PID_5523\\1", "USB-SERIAL CH341", 28}, true, "CH341SER"},
        {"a CH340 that does not start gets the general fix", {"USB\\VID_1A86&PID_7523\\1", "USB-SERIAL CH340", 10},
         true, "Windows cannot start it (Device Manager's Code 10). Unplug the adapter"},
        {"unknown ids, a UART by name", {"USB\\VID_1234&PID_5678\\1", "USB to UART Bridge", 43}, true,
         "(1234:5678) has no COM port: Windows stopped it"},
        {"unknown ids, a COM port by name", {"USB\\VID_1234&PID_5678\\1", "Generic Device (COM7)", 31}, true,
         "Windows cannot load its driver (Device Manager's Code 31)"},
        {"working", {"USB\\VID_0403&PID_6001\\A50285BI", "USB Serial Converter", 0}, false, ""},
        {"a mouse with a problem", {"USB\\VID_046D&PID_C077\\5&1", "USB Input Device", 10}, false, ""},
        {"no USB ids", {"ROOT\\PORTS\\0000", "Communications Port (COM1)", 10}, false, ""},
        {"a cut-off id", {"USB\\VID_06", "USB Serial", 10}, false, ""},
    };
    for (const Row& row : rows) {
        const std::vector<Finding> findings = ExamineWindowsDevices({{row.device}, true});
        ASSERT_EQ(findings.size(), row.finding ? 1u : 0u) << row.name;
        if (row.finding) {
            EXPECT_EQ(findings[0].kind, FindingKind::DeviceProblem) << row.name;
            EXPECT_TRUE(findings[0].thenChoosePort) << row.name;
            EXPECT_TRUE(Has(FindingSentence(findings[0]), row.text)) << row.name << ": " << FindingSentence(findings[0]);
        }
    }
}

TEST(WindowsDevices, AListNotReadIsSaidNotTakenForHealthy)
{
    const std::vector<Finding> findings = ExamineWindowsDevices({{}, false});
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].kind, FindingKind::NotVisible);
    EXPECT_FALSE(findings[0].thenChoosePort);
    EXPECT_TRUE(ExamineWindowsDevices({{}, true}).empty());
}

TEST(WindowsDevices, UsbIdsOfInstanceIds)
{
    EXPECT_EQ(UsbIdsOf("USB\\VID_067B&PID_2303\\5&2A8A6C1&0&2"), std::make_pair(std::string("067b"), std::string("2303")));
    EXPECT_EQ(UsbIdsOf("FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000"),
              std::make_pair(std::string("0403"), std::string("6001")));
    EXPECT_EQ(UsbIdsOf("ACPI\\PNP0501\\1"), std::make_pair(std::string(), std::string()));
    EXPECT_EQ(UsbIdsOf("USB\\VID_067B&PID_2303"), std::make_pair(std::string("067b"), std::string("2303")));
}

// Each code an adapter shows has its own meaning and fix.
TEST(WindowsDevices, EveryKnownCodeSaysWhatItMeans)
{
    for (const unsigned code : {1u, 3u, 10u, 22u, 28u, 31u, 39u, 43u, 52u}) {
        const std::vector<Finding> findings =
            ExamineWindowsDevices({{{"USB\\VID_0403&PID_6001\\A1", "USB Serial Converter", code}}, true});
        ASSERT_EQ(findings.size(), 1u) << code;
        EXPECT_TRUE(Has(findings[0].text, "(Device Manager's Code " + std::to_string(code) + ")")) << findings[0].text;
        EXPECT_FALSE(Has(findings[0].text, "reports a problem")) << code << ": " << findings[0].text;
        EXPECT_FALSE(Has(findings[0].fix, "look at the adapter's properties")) << code;
    }
}

}  // namespace
}  // namespace q42
