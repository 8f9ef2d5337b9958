// SPDX-License-Identifier: MIT
#include "usb_adapters.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace q42 {

namespace fs = std::filesystem;

namespace {

struct ChipRow {
    const char* vendorId;
    const char* productId;
    const char* chip;
    const char* module;  // the mainline module that usually serves it; "" when that varies
};

constexpr std::array kChips{
    ChipRow{"0403", "6001", "FTDI FT232R", "ftdi_sio"},
    ChipRow{"0403", "6010", "FTDI FT2232", "ftdi_sio"},
    ChipRow{"0403", "6011", "FTDI FT4232", "ftdi_sio"},
    ChipRow{"0403", "6014", "FTDI FT232H", "ftdi_sio"},
    ChipRow{"0403", "6015", "FTDI FT-X", "ftdi_sio"},
    ChipRow{"1a86", "7523", "WCH CH340", "ch341"},
    ChipRow{"1a86", "5523", "WCH CH341", "ch341"},
    ChipRow{"1a86", "55d4", "WCH CH9102", ""},
    ChipRow{"10c4", "ea60", "Silicon Labs CP210x", "cp210x"},
    ChipRow{"10c4", "ea70", "Silicon Labs CP2105", "cp210x"},
    ChipRow{"067b", "2303", "Prolific PL2303", "pl2303"},
    ChipRow{"067b", "23a3", "Prolific PL2303GC", "pl2303"},
    ChipRow{"067b", "23c3", "Prolific PL2303GT", "pl2303"},
};

const ChipRow* ChipRowOf(const std::string& vendorId, const std::string& productId)
{
    for (const ChipRow& row : kChips) {
        if (vendorId == row.vendorId && productId == row.productId) {
            return &row;
        }
    }
    return nullptr;
}

// The kernel's drivers of serial adapters (drivers/usb/serial and CDC ACM); the modems' drivers
// of that folder are left out, since no radio unit's cable is one.
constexpr std::array kSerialModules{
    "aircable", "ark3116", "belkin_sa", "cdc_acm", "ch341", "cp210x", "cypress_m8", "digi_acceleport",
    "f81232", "f81534", "ftdi_sio", "io_edgeport", "io_ti", "keyspan", "kl5kusb105", "mct_u232",
    "metro_usb", "mos7720", "mos7840", "mxuport", "oti6858", "pl2303", "quatech2", "spcp8x5", "ssu100",
    "ti_usb_3410_5052", "upd78f0730", "usb_serial_simple", "whiteheat", "xr_serial",
};

bool IsSerialModule(const std::string& name)
{
    return std::find(kSerialModules.begin(), kSerialModules.end(), name) != kSerialModules.end();
}

// A sysfs attribute's first line; empty when it cannot be read (gone, or not there).
std::string ReadAttribute(const fs::path& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

struct Alias {
    std::string pattern;
    std::string module;
};

// Empty, not a list, when the file cannot be read: then no claim about the kernel's drivers is made.
std::optional<std::vector<Alias>> SerialAliases(const std::string& file)
{
    std::vector<Alias> aliases;
    std::ifstream in(file);
    if (!in) {
        return std::nullopt;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string keyword, pattern, module;
        if (words >> keyword >> pattern >> module && keyword == "alias" && pattern.rfind("usb:", 0) == 0 &&
            IsSerialModule(module)) {
            aliases.push_back({pattern, module});
        }
    }
    return aliases;
}

std::string ModuleFor(const std::vector<Alias>& aliases, const std::string& modalias)
{
    for (const Alias& alias : aliases) {
        if (AliasPatternMatches(alias.pattern, modalias)) {
            return alias.module;
        }
    }
    return {};
}

// The tty a serial driver made: a ttyUSB0 folder in the interface's (usb-serial), or tty/ttyACM0
// (CDC ACM).
std::string TtyOf(const fs::path& interface)
{
    std::error_code ec;
    for (const fs::path& folder : {interface, interface / "tty"}) {
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("tty", 0) == 0 && name.size() > 3) {
                return name;
            }
        }
    }
    return {};
}

std::string UsbNodeOf(const fs::path& device)
{
    const std::string bus = ReadAttribute(device / "busnum");
    const std::string dev = ReadAttribute(device / "devnum");
    if (bus.empty() || dev.empty()) {
        return {};
    }
    char node[40];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", std::atoi(bus.c_str()), std::atoi(dev.c_str()));
    return node;
}

}  // namespace

bool AliasPatternMatches(const std::string& pattern, const std::string& text)
{
    std::size_t p = 0, t = 0;
    std::size_t starP = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
            continue;
        }
        bool matched = false;
        std::size_t next = p + 1;
        if (p < pattern.size() && pattern[p] == '[') {
            const std::size_t close = pattern.find(']', p + 1);
            if (close != std::string::npos) {
                for (std::size_t i = p + 1; i < close; ++i) {
                    if (i + 2 < close && pattern[i + 1] == '-') {
                        matched = matched || (text[t] >= pattern[i] && text[t] <= pattern[i + 2]);
                        i += 2;
                    } else {
                        matched = matched || text[t] == pattern[i];
                    }
                }
                next = close + 1;
            } else {
                matched = text[t] == '[';  // no class without its ']': a plain character
            }
        } else if (p < pattern.size()) {
            matched = pattern[p] == '?' || pattern[p] == text[t];
        }
        if (matched) {
            p = next;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

std::string KnownChip(const std::string& vendorId, const std::string& productId)
{
    const ChipRow* row = ChipRowOf(vendorId, productId);
    return row ? row->chip : "";
}

std::string UsualModule(const std::string& vendorId, const std::string& productId, const std::string& modalias)
{
    const ChipRow* row = ChipRowOf(vendorId, productId);
    if (row && *row->module) {
        return row->module;
    }
    return modalias.find("ic02isc02") != std::string::npos ? "cdc_acm" : "";
}

AdapterScan ScanUsbSerialAdapters(const SystemView& view)
{
    AdapterScan scan;
    const std::optional<std::vector<Alias>> aliases = SerialAliases(view.modulesAlias);
    std::error_code ec;
    const fs::path devices = fs::path(view.sys) / "bus" / "usb" / "devices";
    fs::directory_iterator it(devices, ec);
    if (ec) {
        // A kernel without a USB bus has no such folder: no adapter, not a view withheld.
        scan.sysfsRead = ec == std::errc::no_such_file_or_directory && fs::exists(fs::path(view.sys) / "bus");
        return scan;
    }
    std::vector<std::string> names;
    for (const auto& entry : it) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (name.find(':') == std::string::npos) {
            continue;  // a device, not an interface
        }
        const fs::path interface = fs::canonical(devices / name, ec);
        if (ec) {
            ++scan.vanished;
            continue;
        }
        const fs::path device = interface.parent_path();
        UsbSerialAdapter adapter;
        adapter.interfaceName = name;
        adapter.vendorId = ReadAttribute(device / "idVendor");
        adapter.productId = ReadAttribute(device / "idProduct");
        const std::string modalias = ReadAttribute(interface / "modalias");
        if (adapter.vendorId.empty() || modalias.empty()) {
            if (!fs::exists(interface, ec)) {
                ++scan.vanished;  // pulled between the listing and the reading
            }
            continue;
        }
        adapter.chip = KnownChip(adapter.vendorId, adapter.productId);
        adapter.moduleKnownToKernel = aliases.has_value();
        adapter.module = aliases ? ModuleFor(*aliases, modalias)
                                 : UsualModule(adapter.vendorId, adapter.productId, modalias);
        const fs::path driverLink = fs::read_symlink(interface / "driver", ec);
        adapter.driver = ec ? std::string() : driverLink.filename().string();
        adapter.tty = TtyOf(interface);
        if (adapter.module.empty() && adapter.chip.empty() && !IsSerialModule(adapter.driver) && adapter.tty.empty()) {
            continue;  // a keyboard, a disk, a hub: no serial adapter
        }
        adapter.serial = ReadAttribute(device / "serial");
        adapter.product = ReadAttribute(device / "product");
        adapter.usbNode = UsbNodeOf(device);
        scan.adapters.push_back(adapter);
    }
    return scan;
}

std::string DescribeUsbAdapter(const UsbSerialAdapter& adapter)
{
    std::string ids = adapter.vendorId + ":" + adapter.productId;
    if (!adapter.chip.empty()) {
        ids = adapter.chip + ", " + ids;
    }
    if (!adapter.serial.empty()) {
        ids += ", serial " + adapter.serial;
    }
    const std::string name = adapter.product.empty() ? std::string("USB adapter") : adapter.product;
    return name + " (" + ids + ")";
}

}  // namespace q42
