// SPDX-License-Identifier: MIT
#include "live_system.h"

#ifdef _WIN32
#include <windows.h>
#include <cfgmgr32.h>

#include <algorithm>
#include <cctype>
#endif

namespace q42 {

DeviceList LiveWindowsDevices()
{
    DeviceList list;
#ifdef _WIN32
    ULONG size = 0;
    if (CM_Get_Device_ID_List_SizeA(&size, nullptr, CM_GETIDLIST_FILTER_PRESENT) != CR_SUCCESS || size == 0) {
        return list;
    }
    std::string ids(size, '\0');
    if (CM_Get_Device_ID_ListA(nullptr, ids.data(), size, CM_GETIDLIST_FILTER_PRESENT) != CR_SUCCESS) {
        return list;
    }
    list.listed = true;
    for (const char* id = ids.c_str(); *id != '\0'; id += std::char_traits<char>::length(id) + 1) {
        const std::string instance = id;
        std::string lower = instance;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower.rfind("usb\\", 0) != 0 && lower.rfind("ftdibus\\", 0) != 0) {
            continue;
        }
        DEVINST node = 0;
        if (CM_Locate_DevNodeA(&node, const_cast<char*>(id), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) {
            continue;
        }
        PresentDevice device{instance, {}, 0};
        ULONG status = 0, problem = 0;
        if (CM_Get_DevNode_Status(&status, &problem, node, 0) == CR_SUCCESS && (status & DN_HAS_PROBLEM) != 0) {
            device.problem = problem;
        }
        char name[256] = {};
        ULONG length = sizeof name;
        if (CM_Get_DevNode_Registry_PropertyA(node, CM_DRP_FRIENDLYNAME, nullptr, name, &length, 0) != CR_SUCCESS) {
            length = sizeof name;
            CM_Get_DevNode_Registry_PropertyA(node, CM_DRP_DEVICEDESC, nullptr, name, &length, 0);
        }
        device.name = name;
        list.devices.push_back(device);
    }
#endif
    return list;
}

}  // namespace q42
