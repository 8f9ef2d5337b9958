// SPDX-License-Identifier: MIT
// A system of a test's own: a sysfs, a /proc and a group file in a temporary folder, and the node
// facts and login a rule is handed, so every finding can be made without this machine having it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "system_view.h"

namespace q42::test {

class FakeSystem {
public:
    FakeSystem() : m_root(FreshRoot())
    {
        std::filesystem::create_directories(m_root / "sys" / "bus" / "usb" / "devices");
        std::filesystem::create_directories(m_root / "proc");
        view.sys = (m_root / "sys").string();
        view.proc = (m_root / "proc").string();
        view.groupFile = (m_root / "group").string();
        view.modulesAlias = (m_root / "modules.alias").string();
        view.udevData = (m_root / "udev").string();
        view.login = {"tech", 1000, 1000, {1000}};
        view.node = [this](const std::string& path) {
            const auto found = nodes.find(path);
            return found == nodes.end() ? NodeFacts{} : found->second;
        };
        Write("group", "root:x:0:\ndialout:x:20:\ntech:x:1000:\n");
        // Lines that name no serial module for an adapter come first: none of them may be taken.
        Write("modules.alias", "options usb:v1A86p7523d*dc*dsc*dp*ic*isc*ip*in* cp210x\n"
                               "alias *:v1A86p7523d* pl2303\n"
                               "alias usb:v1A86p7523d*dc*dsc*dp*ic*isc*ip*in* snd_usb_audio\n"
                               "alias usb:v0403p6001d*dc*dsc*dp*ic*isc*ip*in* ftdi_sio\n"
                               "alias usb:v1A86p7523d*dc*dsc*dp*ic*isc*ip*in* ch341\n"
                               "alias usb:v1a86p7523d*dc*dsc*dp*ic*isc*ip*in* ch341\n");
    }
    ~FakeSystem() { std::filesystem::remove_all(m_root); }

    void Write(const std::string& relative, const std::string& text)
    {
        const auto path = m_root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    void Link(const std::string& relative, const std::string& target)
    {
        const auto path = m_root / relative;
        std::filesystem::create_directories(path.parent_path());
        std::filesystem::create_symlink(target, path);
    }

    // One USB device at 1-1 with interface 1-1:1.0, as the kernel lays them out.
    void Adapter(const std::string& vendor, const std::string& product, const std::string& driver,
                 const std::string& tty = "", const std::string& device = "1-1")
    {
        const std::string dev = "sys/devices/pci0000:00/usb1/" + device;
        const std::string iface = dev + "/" + device + ":1.0";
        Write(dev + "/idVendor", vendor + "\n");
        Write(dev + "/idProduct", product + "\n");
        Write(dev + "/serial", "A50285BI\n");
        Write(dev + "/product", "USB Serial\n");
        Write(dev + "/busnum", "1\n");
        Write(dev + "/devnum", "2\n");
        Write(iface + "/modalias", "usb:v" + Upper(vendor) + "p" + Upper(product) + "d0600dc00dsc00dp00icFFiscFFipFFin00\n");
        Link("sys/bus/usb/devices/" + device + ":1.0", "../../../devices/pci0000:00/usb1/" + device + "/" + device + ":1.0");
        if (!driver.empty()) {
            std::filesystem::create_directories(m_root / "sys/bus/usb/drivers" / driver);
            Link(iface + "/driver", "../../../../../bus/usb/drivers/" + driver);
        }
        if (!tty.empty()) {
            Write(iface + "/" + tty + "/tty/" + tty + "/dev", "188:0\n");
            Link("sys/class/tty/" + tty, "../../devices/pci0000:00/usb1/" + device + "/" + device + ":1.0/" + tty +
                                             "/tty/" + tty);
        }
    }
    void Process(int pid, const std::string& name, const std::string& openFile = "")
    {
        Write("proc/" + std::to_string(pid) + "/comm", name + "\n");
        std::filesystem::create_directories(m_root / "proc" / std::to_string(pid) / "fd");
        if (!openFile.empty()) {
            Link("proc/" + std::to_string(pid) + "/fd/3", openFile);
        }
    }
    // A process of another user: its fd folder cannot be listed (root could, so it is no folder).
    void HiddenProcess(int pid, const std::string& name)
    {
        Write("proc/" + std::to_string(pid) + "/comm", name + "\n");
        Write("proc/" + std::to_string(pid) + "/fd", "");
    }

    std::string Path(const std::string& relative) const { return (m_root / relative).string(); }

    SystemView view;
    std::map<std::string, NodeFacts> nodes;

private:
    // Tests run as parallel processes that may start in the same millisecond, so the folder's name
    // comes from the random device and is taken only if nobody has it yet.
    static std::filesystem::path FreshRoot()
    {
        std::random_device random;
        for (;;) {
            const auto name = "q42-fake-system-" + std::to_string(random()) + "-" + std::to_string(random());
            const auto root = std::filesystem::temp_directory_path() / name;
            if (std::filesystem::create_directory(root))
                return root;
        }
    }

    static std::string Upper(std::string text)
    {
        for (char& c : text) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        return text;
    }
    std::filesystem::path m_root;
};

}  // namespace q42::test
