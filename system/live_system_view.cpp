// SPDX-License-Identifier: MIT
#include "live_system.h"

#include <cstdlib>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace q42 {

namespace {

#ifndef _WIN32
NodeFacts LiveNode(const std::string& path)
{
    NodeFacts facts;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return facts;
    }
    facts.exists = true;
    facts.charDevice = S_ISCHR(st.st_mode);
    facts.gid = st.st_gid;
    facts.mode = st.st_mode & 07777;
    facts.mayOpen = ::access(path.c_str(), R_OK | W_OK) == 0;
    return facts;
}

LoginFacts LiveLogin()
{
    LoginFacts login;
    login.uid = ::getuid();
    login.primaryGid = ::getgid();
    if (const passwd* pw = ::getpwuid(login.uid)) {
        login.user = pw->pw_name;
        login.primaryGid = pw->pw_gid;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> gids(count > 0 ? static_cast<std::size_t>(count) : 0);
    if (count > 0 && ::getgroups(count, gids.data()) == count) {
        login.loginGids.assign(gids.begin(), gids.end());
    }
    login.loginGids.push_back(::getegid());
    return login;
}

std::string KernelRelease()
{
    utsname name {};
    return ::uname(&name) == 0 ? std::string(name.release) : std::string();
}
#endif

}  // namespace

SystemView LiveSystemView()
{
    SystemView view;
#ifndef _WIN32
    view.modulesAlias = "/lib/modules/" + KernelRelease() + "/modules.alias";
    // Another system's records under one folder (sys/, proc/, group, modules.alias, udev/), as a
    // test or a support engineer replaying a technician's machine gives them; the nodes stay live.
    if (const char* root = std::getenv("Q42_SYSTEM_ROOT"); root != nullptr && *root != '\0') {
        const std::string r = root;
        view.sys = r + "/sys";
        view.proc = r + "/proc";
        view.groupFile = r + "/group";
        view.modulesAlias = r + "/modules.alias";
        view.udevData = r + "/udev";
    }
    view.login = LiveLogin();
    view.node = LiveNode;
    view.selfPid = static_cast<int>(::getpid());
#else
    view.node = [](const std::string&) { return NodeFacts{}; };
#endif
    return view;
}

}  // namespace q42
