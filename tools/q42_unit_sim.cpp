// SPDX-License-Identifier: MIT
// q42-unit-sim: a VARNEK-Q42 unit on the far end of a pseudo-terminal, for tests and for trying the
// tool without hardware.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "sim_options.h"
#include "unit_model.h"

namespace {

using q42::sim::SimOptions;
using Clock = std::chrono::steady_clock;

volatile sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

void Log(const SimOptions& o, const std::string& what, const std::string& text)
{
    if (!o.verbose) {
        return;
    }
    std::string shown;
    for (unsigned char c : text) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        } else {
            shown += static_cast<char>(c);
        }
    }
    std::fprintf(stderr, "q42-unit-sim: %s %s\n", what.c_str(), shown.c_str());
}

std::string Garbage(std::size_t n)
{
    std::string out;
    std::uint32_t state = 0x2545F491u;
    while (out.size() < n) {
        state = state * 1664525u + 1013904223u;
        const auto c = static_cast<char>(state >> 24);
        if (c != '>') {
            out += c;
        }
    }
    return out;
}

std::string AnswerWithFaults(const std::vector<std::uint8_t>& payload, const SimOptions& o)
{
    std::string text = q42::sim::AnswerText(payload, o.lowerCase);
    if (o.spaces && text.size() > 5) {
        text = text.substr(0, 3) + " " + text.substr(3);
    }
    if (o.crOnly) {
        text.pop_back();
    }
    if (o.twice) {
        text += text;
    }
    return Garbage(o.garbageBytes) + (o.leftoverAck ? ">06\r\n" : "") + (o.noiseOnly ? std::string() : text);
}

// What --control commands change while the unit runs.
struct LineControl {
    bool silent = false;  // no unit on the line: frames are heard by nobody
    std::string fault;    // of the unit now on the line
    std::string input;    // a command line still arriving
    bool hangUp = false;  // the cable pulled: the line closes
};

// Takes the commands that have come on standard input; false once it has closed.
bool ReadControl(LineControl& control, q42::sim::UnitModel& unit, const SimOptions& o)
{
    char buf[256];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
        return false;
    }
    control.input.append(buf, static_cast<std::size_t>(n));
    for (std::size_t end; (end = control.input.find('\n')) != std::string::npos;) {
        const std::string command = control.input.substr(0, end);
        control.input.erase(0, end + 1);
        Log(o, "control", command);
        int number = 0;
        char fault[32] = "";
        if (command == "silent") {
            control.silent = true;
        } else if (command == "power-cycle") {
            unit.PowerCycle();
        } else if (command == "hangup") {
            control.hangUp = true;
        } else if (std::sscanf(command.c_str(), "unit %d %31s", &number, fault) >= 1) {
            unit.BecomeUnit(number);
            control = {false, fault, control.input};
        }
    }
    return true;
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Sends the first `limit` bytes of text at the line's pace: each chunk arrives when the line would
// have finished carrying it, and the requested split points get an extra pause.
void SendPaced(int fd, const std::string& text, std::size_t limit, const SimOptions& o)
{
    const double secondsPerByte = 10.0 / o.baud;
    limit = std::min(limit, text.size());
    std::size_t i = 0;
    while (i < limit) {
        std::size_t end = std::min(limit, i + static_cast<std::size_t>(o.chunkBytes));
        bool pauseAfter = false;
        for (std::size_t split : o.splitAt) {
            if (split > i && split <= end && split < limit) {
                end = split;
                pauseAfter = true;
            }
        }
        std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(end - i) * secondsPerByte));
        if (!WriteAll(fd, text.data() + i, end - i)) {
            return;
        }
        if (pauseAfter) {
            std::this_thread::sleep_for(std::chrono::milliseconds(o.pauseMs));
        }
        i = end;
    }
}

// Whether the tool has set the line to the rate this unit talks at. The master side of a
// pseudo-terminal reads the settings the tool made on its side.
bool LineAtUnitRate(int master, int baud)
{
    termios tio{};
    if (::tcgetattr(master, &tio) != 0) {
        return false;
    }
    const speed_t speed = ::cfgetospeed(&tio);
    switch (baud) {
    case 9600: return speed == B9600;
    case 57600: return speed == B57600;
    case 115200: return speed == B115200;
    case 1000000: return speed == B1000000;
    default: return true;
    }
}

int Run(const SimOptions& o)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::fprintf(stderr, "q42-unit-sim: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    // Raw until the tool opens it: no echo, no CR/LF translation of what either side sends.
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B57600);
    ::tcsetattr(slave, TCSANOW, &tio);
    // Holding the slave open keeps the master readable while no tool is attached.
    std::printf("%s\n", ::ttyname(slave));
    std::fflush(stdout);

    q42::sim::UnitModel unit;
    std::string pending;
    // When the first byte of the frame being received came: a real unit has the whole frame only
    // after its line time, so the answer never starts earlier than that.
    Clock::time_point frameStarted{};
    int answered = 0;
    auto hangUp = [&]() {
        Log(o, "hang-up", "");
        ::close(slave);
        ::close(master);
        return 0;
    };

    LineControl control;
    bool controlOpen = o.control;
    while (!g_stop) {
        pollfd pfd[2] = {{master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = ::poll(pfd, controlOpen ? 2 : 1, 200);
        if (ready <= 0) {
            continue;
        }
        if (controlOpen && (pfd[1].revents & (POLLIN | POLLHUP)) != 0) {
            controlOpen = ReadControl(control, unit, o);
            if (control.hangUp) {
                return hangUp();
            }
        }
        if ((pfd[0].revents & POLLIN) == 0) {
            continue;
        }
        char buf[512];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) {
            continue;
        }
        if (pending.empty()) {
            frameStarted = Clock::now();
        }
        pending.append(buf, static_cast<std::size_t>(n));
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 2);
            const auto lineTime = std::chrono::duration<double>(static_cast<double>(end + 2) * 10.0 / o.baud);
            std::this_thread::sleep_until(frameStarted + std::chrono::duration_cast<Clock::duration>(lineTime));
            frameStarted = Clock::now();
            const std::size_t colon = line.rfind(':');
            line = colon == std::string::npos ? line : line.substr(colon);
            if (o.strictBaud && !LineAtUnitRate(master, o.baud)) {
                Log(o, "garbled", line);  // heard as noise: the line runs at another rate
                continue;
            }
            Log(o, "got", line);
            if (o.hangupAfter == 0) {
                return hangUp();
            }
            const bool isSet = line.compare(0, 5, ":FF23") == 0;
            const bool isSave = line.compare(0, 5, ":FF06") == 0;
            if (control.silent || (isSave && control.fault == "silent-at-save")) {
                Log(o, "not answering", line);
                continue;
            }
            const bool forget = o.forgetSets || control.fault == "forget-sets";
            const auto answer = forget ? q42::sim::UnitModel(unit).Answer(line) : unit.Answer(line);
            if (!answer || o.noAnswer) {
                Log(o, answer ? "not answering" : "not understood", line);
                continue;
            }
            control.silent = isSet && control.fault == "silent-after-set";
            std::string text = AnswerWithFaults(*answer, o);
            ++answered;
            if (std::find(o.loseAnswers.begin(), o.loseAnswers.end(), static_cast<std::size_t>(answered)) !=
                o.loseAnswers.end()) {
                Log(o, "losing", text);
                continue;
            }
            if (o.delayOnly == 0 || o.delayOnly == answered) {
                std::this_thread::sleep_for(std::chrono::milliseconds(o.delayMs));
            }
            if (o.strayStartMs) {
                // A fragment a real line can carry: a start character, then a byte of noise.
                const char stray[] = {'>', static_cast<char>(0x91)};
                if (*o.strayStartMs == 0) {
                    text.insert(0, stray, sizeof stray);
                } else {
                    WriteAll(master, stray, sizeof stray);
                    std::this_thread::sleep_for(std::chrono::milliseconds(*o.strayStartMs));
                }
            }
            const bool last = o.hangupAfter > 0 && answered >= o.hangupAfter;
            const std::size_t limit = last && o.hangupAtByte ? *o.hangupAtByte : text.size();
            Log(o, "answer", text.substr(0, limit));
            SendPaced(master, text, limit, o);
            if (o.timestamps) {
                std::printf("sent %lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                                      Clock::now().time_since_epoch())
                                                                      .count()));
                std::fflush(stdout);
            }
            if (last) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                return hangUp();
            }
        }
        if (pending.size() > 4096) {
            pending.erase(0, pending.size() - 256);  // noise without line ends; keep the tail
        }
    }
    ::close(slave);
    ::close(master);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto parsed = q42::sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "q42-unit-sim: %s\nTry 'q42-unit-sim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(q42::sim::kSimUsage, stdout);
        return 0;
    }
    // Ends with whoever started it, so a test or the run script never leaves a unit behind.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return Run(parsed.options);
}
