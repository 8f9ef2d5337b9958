// SPDX-License-Identifier: MIT
#include "sim_options.h"

#include <charconv>

namespace q42::sim {

const char kSimUsage[] =
    "Usage: q42-unit-sim [OPTION]...\n"
    "Plays a VARNEK-Q42 radio unit on a new pseudo-terminal. The first line printed is the\n"
    "terminal's device path; point q42-panel at it with Q42_COM1=<path>.\n"
    "The unit answers a query with its 62 stored bytes, a set by storing the values and\n"
    "answering one byte, and a save with one byte, once the frame would have finished\n"
    "arriving at the chosen baud rate. It runs until interrupted.\n"
    "\n"
    "Line:\n"
    "  --baud N           pace answers at the line time of N baud, 8n1 (default 57600)\n"
    "  --chunk N          write answers N bytes at a time (default 16)\n"
    "  --strict-baud      hear only frames sent while the line is set to --baud, as a real\n"
    "                     unit hears nothing but noise at another rate\n"
    "Faults:\n"
    "  --split-at P,...   pause before these byte offsets of each answer text\n"
    "  --pause-ms MS      length of those pauses (default 50)\n"
    "  --spaces           put one space inside each answer's hex digits\n"
    "  --lowercase        send hex digits in lower case\n"
    "  --garbage N        send N garbage bytes right before each answer\n"
    "  --cr-only          end answers with CR and no LF\n"
    "  --twice            send each answer twice in one burst\n"
    "  --no-answer        read frames but never answer\n"
    "  --noise-only       send only the --garbage bytes in place of each answer\n"
    "  --delay-ms MS      wait MS milliseconds before each answer\n"
    "  --delay-only N     with --delay-ms: only the N-th answer (counted from 1) is late\n"
    "  --stray-start MS   send '>' and the noise byte 0x91 MS milliseconds before each\n"
    "                     answer (0: in the same piece)\n"
    "  --leftover-ack     glue an earlier acknowledgement, >06 CR LF, to each answer's front\n"
    "  --lose-answer N,...  never send these answers (counted from 1)\n"
    "  --forget-sets      acknowledge a set but keep the old values\n"
    "  --hangup-after N   close the line after answering N frames\n"
    "  --hangup-at-byte K with --hangup-after: cut that last answer after K bytes\n"
    "Other:\n"
    "  --control          take commands on standard input, one a line, as a bench moves its\n"
    "                     cable: 'silent' (no unit on the line), 'unit N' (another unit:\n"
    "                     the factory values with L9 ATT_DL 10 + N), 'unit N FAULT' with\n"
    "                     FAULT forget-sets, silent-after-set or silent-at-save,\n"
    "                     'power-cycle' (the saved values come back), 'hangup' (the\n"
    "                     line closes, as when the cable is pulled)\n"
    "  --verbose          log every frame to standard error\n"
    "  --timestamps       print 'sent <ns>' (CLOCK_MONOTONIC) on standard output when an\n"
    "                     answer's last byte is on the line\n"
    "  --help             show this text\n"
    "\n"
    "Exit status: 0 after an interrupt or a hang-up, 1 when no terminal could be made,\n"
    "2 for a bad option.\n";

namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& out, T low, T high)
{
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool ParseOffsets(const std::string& text, std::vector<std::size_t>& out)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::size_t value = 0;
        if (!ParseNumber<std::size_t>(part, value, 1, 100000)) {
            return false;
        }
        out.push_back(value);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return !out.empty();
}

}  // namespace

ParseResult ParseSimOptions(const std::vector<std::string>& args)
{
    ParseResult r;
    SimOptions& o = r.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                r.error = "option " + a + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto bad = [&](const std::string& v, const char* what) {
            r.error = "option " + a + ": '" + v + "' is not " + what;
            return r;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--spaces") {
            o.spaces = true;
        } else if (a == "--lowercase") {
            o.lowerCase = true;
        } else if (a == "--cr-only") {
            o.crOnly = true;
        } else if (a == "--twice") {
            o.twice = true;
        } else if (a == "--no-answer") {
            o.noAnswer = true;
        } else if (a == "--noise-only") {
            o.noiseOnly = true;
        } else if (a == "--forget-sets") {
            o.forgetSets = true;
        } else if (a == "--strict-baud") {
            o.strictBaud = true;
        } else if (a == "--control") {
            o.control = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--timestamps") {
            o.timestamps = true;
        } else if (a == "--baud") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.baud, 50, 4000000)) return bad(v, "a baud rate from 50 to 4000000");
        } else if (a == "--chunk") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.chunkBytes, 1, 4096)) return bad(v, "a byte count from 1 to 4096");
        } else if (a == "--split-at") {
            if (!value(v)) return r;
            if (!ParseOffsets(v, o.splitAt)) return bad(v, "a list of byte offsets such as 60,90");
        } else if (a == "--pause-ms") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.pauseMs, 0, 60000)) return bad(v, "milliseconds from 0 to 60000");
        } else if (a == "--leftover-ack") {
            o.leftoverAck = true;
        } else if (a == "--stray-start") {
            if (!value(v)) return r;
            int ms = 0;
            if (!ParseNumber(v, ms, 0, 60000)) return bad(v, "milliseconds from 0 to 60000");
            o.strayStartMs = ms;
        } else if (a == "--delay-only") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.delayOnly, 1, 1000000)) return bad(v, "an answer count from 1");
        } else if (a == "--lose-answer") {
            if (!value(v)) return r;
            if (!ParseOffsets(v, o.loseAnswers)) return bad(v, "a list of answer counts such as 2,4");
        } else if (a == "--delay-ms") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.delayMs, 0, 60000)) return bad(v, "milliseconds from 0 to 60000");
        } else if (a == "--garbage") {
            if (!value(v)) return r;
            if (!ParseNumber<std::size_t>(v, o.garbageBytes, 0, 1000000)) return bad(v, "a byte count");
        } else if (a == "--hangup-after") {
            if (!value(v)) return r;
            if (!ParseNumber(v, o.hangupAfter, 0, 1000000000)) return bad(v, "a frame count");
        } else if (a == "--hangup-at-byte") {
            if (!value(v)) return r;
            std::size_t k = 0;
            if (!ParseNumber<std::size_t>(v, k, 0, 100000)) return bad(v, "a byte offset");
            o.hangupAtByte = k;
        } else {
            r.error = "unknown option '" + a + "'";
            return r;
        }
    }
    if (o.hangupAtByte && o.hangupAfter < 1) {
        r.error = "--hangup-at-byte needs --hangup-after N with N of at least 1";
    }
    return r;
}

}  // namespace q42::sim
