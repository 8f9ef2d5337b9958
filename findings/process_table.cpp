// SPDX-License-Identifier: MIT
#include "process_table.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace q42 {

namespace fs = std::filesystem;

namespace {

std::vector<ProcessEntry> Processes(const SystemView& view)
{
    std::vector<ProcessEntry> processes;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(view.proc, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); })) {
            continue;
        }
        ProcessEntry process;
        process.pid = std::atoi(name.c_str());
        std::ifstream comm(entry.path() / "comm");
        std::getline(comm, process.name);  // empty when the process ended meanwhile
        processes.push_back(process);
    }
    std::sort(processes.begin(), processes.end(), [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
    return processes;
}

}  // namespace

HolderScan FindHolders(const SystemView& view, const std::vector<std::string>& paths)
{
    HolderScan scan;
    for (const ProcessEntry& process : Processes(view)) {
        if (process.pid == view.selfPid) {
            continue;
        }
        std::error_code ec;
        fs::directory_iterator fds(fs::path(view.proc) / std::to_string(process.pid) / "fd", ec);
        if (ec) {
            // Gone since the listing, or another user's: only the second hides a holder.
            if (ec != std::errc::no_such_file_or_directory) {
                ++scan.unseen;
            }
            continue;
        }
        for (const auto& fd : fds) {
            const fs::path target = fs::read_symlink(fd.path(), ec);
            if (!ec && std::find(paths.begin(), paths.end(), target.string()) != paths.end()) {
                scan.holders.push_back(process);
                break;
            }
        }
    }
    return scan;
}

std::vector<ProcessEntry> ProcessesNamed(const SystemView& view, const std::string& name)
{
    std::vector<ProcessEntry> named;
    for (const ProcessEntry& process : Processes(view)) {
        if (process.name == name) {
            named.push_back(process);
        }
    }
    return named;
}

}  // namespace q42
