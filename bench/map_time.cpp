// SPDX-License-Identifier: MIT
// q42-map-time: starts a program again and again and times, from the X server's own MapNotify event,
// how long its first window takes to be mapped; then reads the program's resident memory.
//   q42-map-time RUNS COMMAND [ARG]...
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

long ResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: q42-map-time RUNS COMMAND [ARG]...\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "q42-map-time: cannot connect to the X display\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    std::vector<double> mapMs;
    std::vector<double> rssMiB;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        const pid_t child = fork();
        if (child == 0) {
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        double mapped = -1;
        while (mapped < 0 && NowMs() - start < 10000) {
            pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
            poll(&p, 1, 100);
            while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
                if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                    !reinterpret_cast<xcb_map_notify_event_t*>(e)->override_redirect && mapped < 0) {
                    mapped = NowMs() - start;
                }
                std::free(e);
            }
        }
        usleep(500 * 1000);  // settle, then read memory as a user would find it
        const long rss = ResidentKiB(child);
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        if (mapped < 0) {
            std::fprintf(stderr, "q42-map-time: run %d: no window was mapped\n", run);
            continue;
        }
        mapMs.push_back(mapped);
        rssMiB.push_back(static_cast<double>(rss) / 1024.0);
    }
    std::printf("map_ms_median %.1f map_ms_min %.1f map_ms_max %.1f rss_mib_median %.1f runs %zu\n", Median(mapMs),
                mapMs.empty() ? 0 : *std::min_element(mapMs.begin(), mapMs.end()),
                mapMs.empty() ? 0 : *std::max_element(mapMs.begin(), mapMs.end()), Median(rssMiB), mapMs.size());
    xcb_disconnect(x);
    return mapMs.empty() ? 1 : 0;
}
