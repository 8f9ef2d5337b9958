// SPDX-License-Identifier: MIT
// q42-unit-sim as an outside client sees it: a plain file descriptor on its printed device.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class Sim {
public:
    explicit Sim(const std::string& options = "")
    {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            const std::string cmd = std::string("exec ") + Q42_SIM_PATH + " " + options + " 2>/dev/null";
            ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        FILE* in = ::fdopen(out[0], "r");
        char line[256] = {};
        if (in && std::fgets(line, sizeof line, in)) {
            device = std::string(line);
            device.erase(device.find_last_not_of("\r\n") + 1);
        }
        if (in) {
            std::fclose(in);
        }
    }
    ~Sim()
    {
        if (fd >= 0) {
            ::close(fd);
        }
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool Open()
    {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) {
            return false;
        }
        termios tio{};
        ::tcgetattr(fd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
        return true;
    }
    // Sends a frame and collects what comes back until `quiet` passes with nothing more.
    std::string Exchange(const std::string& frame, std::chrono::milliseconds* firstToLast = nullptr,
                         std::chrono::milliseconds quiet = std::chrono::milliseconds(150))
    {
        const auto sent = Clock::now();
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            return "write failed";
        }
        std::string got;
        auto last = sent;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(quiet.count())) <= 0) {
                break;
            }
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
            last = Clock::now();
        }
        if (firstToLast) {
            *firstToLast = std::chrono::duration_cast<std::chrono::milliseconds>(last - sent);
        }
        return got;
    }

    std::string device;
    int fd = -1;

private:
    pid_t m_pid = -1;
};

const std::string kQuery =
    ":FF21006D02002101002701002201002801004D01004B01004E01004C01005301002B01004901007E01004A01007F01\r\n";
const std::string kFactoryAnswer =
    ">21006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B010100490101007E"
    "0101004A0101007F0101\r\n";

TEST(SimLine, QuerySetSave)
{
    Sim sim;
    ASSERT_EQ(sim.device.rfind("/dev/pts/", 0), 0u) << sim.device;
    ASSERT_TRUE(sim.Open());
    std::chrono::milliseconds took{};
    EXPECT_EQ(sim.Exchange(kQuery, &took), kFactoryAnswer);
    std::printf("query answered in %lld ms (97 bytes in and 127 out take 38.9 ms on the line at 57600 baud)\n",
                static_cast<long long>(took.count()));

    const std::string set =
        ":FF23006D0278000021010A0027010A0022010A0028010A004D010A004B010A004E010A004C010A00530101002B01010049"
        "0101007E0101004A0101007F0101\r\n";
    EXPECT_EQ(sim.Exchange(set), ">00\r\n");
    EXPECT_EQ(sim.Exchange(kQuery),
              ">21006D0278000021010A0027010A0022010A0028010A004D010A004B010A004E010A004C010A00530101002B010100490101"
              "007E0101004A0101007F0101\r\n");
    EXPECT_EQ(sim.Exchange(":FF06\r\n"), ">00\r\n");
}

TEST(SimLine, FaultsShapeTheAnswer)
{
    struct Case {
        const char* options;
        std::string answer;
    };
    const Case cases[] = {
        {"--spaces", ">21 006D0278000021010A0027010A0022010C0028010C004D0100004B0100004E0100004C010000530100002B01010049"
                     "0101007E0101004A0101007F0101\r\n"},
        {"--lowercase", ">21006d0278000021010a0027010a0022010c0028010c004d0100004b0100004e0100004c010000530100002b0101004"
                        "90101007e0101004a0101007f0101\r\n"},
        {"--cr-only", kFactoryAnswer.substr(0, kFactoryAnswer.size() - 1)},
        {"--twice", kFactoryAnswer + kFactoryAnswer},
        {"--no-answer", ""},
        {"--hangup-after 1 --hangup-at-byte 40", kFactoryAnswer.substr(0, 40)},
    };
    for (const Case& c : cases) {
        Sim sim(c.options);
        ASSERT_TRUE(sim.Open()) << c.options;
        EXPECT_EQ(sim.Exchange(kQuery), c.answer) << c.options;
    }
    Sim garbage("--garbage 30");
    ASSERT_TRUE(garbage.Open());
    const std::string got = garbage.Exchange(kQuery);
    ASSERT_EQ(got.size(), 30 + kFactoryAnswer.size());
    EXPECT_EQ(got.substr(30), kFactoryAnswer);
    EXPECT_EQ(got.substr(0, 30).find('>'), std::string::npos);
}

TEST(SimLine, BadOptionExitsWithTwo)
{
    for (const char* options : {"--nonsense", "--baud fast", "--split-at"}) {
        const int status = std::system((std::string(Q42_SIM_PATH) + " " + options + " >/dev/null 2>&1").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << options;
        EXPECT_EQ(WEXITSTATUS(status), 2) << options;
    }
}

}  // namespace
