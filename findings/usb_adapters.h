// SPDX-License-Identifier: MIT
// The USB serial adapters on the bus, as the kernel's sysfs shows them: each interface a serial
// driver serves or could serve, its chip, the driver bound to it now (none, or usbfs when a program
// took it), the module the kernel's modules.alias names for it, and its tty.
#pragma once

#include <string>
#include <vector>

#include "system_view.h"

namespace q42 {

struct UsbSerialAdapter {
    std::string interfaceName;  // "1-1:1.0"
    std::string vendorId;       // four lower-case hex digits, as sysfs writes them
    std::string productId;
    std::string serial, product;
    std::string chip;     // "FTDI FT232R", where the USB ids are of a chip known here
    std::string driver;   // the driver bound to the interface now; empty: none
    std::string module;   // the kernel module that serves these ids, from modules.alias
    bool moduleKnownToKernel = true;  // false: modules.alias could not be read; module is the chip's usual one
    std::string tty;      // "ttyUSB0"; empty when no driver made one
    std::string usbNode;  // "/dev/bus/usb/001/002", what usbfs opens
};

struct AdapterScan {
    std::vector<UsbSerialAdapter> adapters;
    int vanished = 0;     // entries that went away while they were read: an adapter pulled
    bool sysfsRead = true;  // false: the bus could not be looked at
};

AdapterScan ScanUsbSerialAdapters(const SystemView& view);

// "FT232R USB UART (FTDI FT232R, 0403:6001, serial A50285BI)"
std::string DescribeUsbAdapter(const UsbSerialAdapter& adapter);

// The chip of a pair of USB ids, from the adapters technicians meet; empty when unknown.
std::string KnownChip(const std::string& vendorId, const std::string& productId);

// The module that usually serves a chip of KnownChip's, or a CDC ACM interface (its modalias says
// class 02/02): what to name when the kernel's own list cannot be read. Empty when unknown.
std::string UsualModule(const std::string& vendorId, const std::string& productId, const std::string& modalias);

// modules.alias's shell patterns: '*', '?' and [...] classes.
bool AliasPatternMatches(const std::string& pattern, const std::string& text);

}  // namespace q42
