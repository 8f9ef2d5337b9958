// SPDX-License-Identifier: MIT
// Where the Linux findings read the system from. Every rule reads the roots and facts it is handed,
// so a test gives it a tree of its own; LiveSystemView() (system/) is this machine as the user
// running the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace q42 {

// A device node as this user meets it.
struct NodeFacts {
    bool exists = false;
    bool charDevice = false;
    unsigned gid = 0;
    unsigned mode = 0;     // the permission bits
    bool mayOpen = false;  // what access() says for reading and writing: a desktop's ACL counts
};

// Who runs the program, and the groups this login carries (which a group joined since lacks).
struct LoginFacts {
    std::string user;
    unsigned uid = 0;
    unsigned primaryGid = 0;
    std::vector<unsigned> loginGids;
};

struct SystemView {
    std::string sys = "/sys";
    std::string proc = "/proc";
    std::string groupFile = "/etc/group";
    std::string modulesAlias;  // the kernel's modules.alias
    std::string udevData = "/run/udev/data";
    LoginFacts login;
    std::function<NodeFacts(const std::string& path)> node;
    int selfPid = 0;  // the program's own process, never its own holder

};

}  // namespace q42
