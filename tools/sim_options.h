// SPDX-License-Identifier: MIT
// Command-line options of q42-unit-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace q42::sim {

struct SimOptions {
    int baud = 57600;
    int chunkBytes = 16;
    std::vector<std::size_t> splitAt;  // byte offsets in the answer text where a pause falls
    int pauseMs = 50;
    bool spaces = false;
    bool lowerCase = false;
    std::size_t garbageBytes = 0;
    bool noAnswer = false;
    bool noiseOnly = false;  // the garbage bytes go out in place of each answer
    int delayMs = 0;         // before each answer
    int delayOnly = 0;       // with delayMs: only this answer (counted from 1) is late; 0 every one
    std::optional<int> strayStartMs;  // a '>' and a noise byte this long before each answer
    bool leftoverAck = false;         // an earlier acknowledgement glued to the front of each answer
    std::vector<std::size_t> loseAnswers;  // these answers (counted from 1) never go out
    bool forgetSets = false;  // acknowledge a set without storing it
    bool strictBaud = false;  // frames sent at another line rate are noise
    int hangupAfter = -1;              // frames answered before the line closes; -1 never
    std::optional<std::size_t> hangupAtByte;
    bool crOnly = false;
    bool twice = false;
    bool control = false;     // commands on standard input change the unit on the line
    bool verbose = false;
    bool timestamps = false;  // print the monotonic time of each answer's last byte
    bool help = false;
};

struct ParseResult {
    SimOptions options;
    std::string error;  // non-empty: what was wrong, for the user
};

ParseResult ParseSimOptions(const std::vector<std::string>& args);

extern const char kSimUsage[];

}  // namespace q42::sim
