// SPDX-License-Identifier: MIT
#include "frame_codec.h"

#include <algorithm>

namespace q42 {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}  // namespace

std::size_t EncodeFrame(int n)
{
    const auto nibbles = static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(kNibbleCapacity)));
    FrameText.fill('\0');
    FrameText[0] = ':';
    FrameText[1] = 'F';
    FrameText[2] = 'F';
    for (std::size_t i = 0; i < nibbles; ++i) {
        FrameText[3 + i] = kDigits[NibbleList[i] & 0x0F];
    }
    FrameText[3 + nibbles] = '\r';
    FrameText[4 + nibbles] = '\n';
    return nibbles + 5;
}

std::string_view FrameTextView()
{
    return std::string_view(FrameText.data());
}

std::uint8_t ExtractFrame(ReceiveBuffer& buffer, std::uint8_t* dest, const std::uint8_t* src, char start,
                          const char (&term)[2])
{
    // Every index below stays inside the 160-byte area, whatever the count claims.
    const std::uint32_t held = std::min<std::uint32_t>(buffer.count, kReceiveCapacity);
    if (held == 0) {
        return 0;
    }

    std::uint8_t i = 0;
    while (src[i] != static_cast<std::uint8_t>(start)) {
        ++i;
        if (i >= held) {
            return 0;
        }
    }
    const std::size_t payload = static_cast<std::size_t>(i) + 1;

    // The CR search reads one byte past the held ones when the start character is the last held
    // byte; that is how the unit's tool behaves, and it stays within the area.
    std::size_t cr = payload;
    for (;;) {
        if (cr >= kReceiveCapacity) {
            return 0;
        }
        if (src[cr] == static_cast<std::uint8_t>(term[0])) {
            break;
        }
        ++i;
        ++cr;
        if (i >= held) {
            return 0;
        }
    }

    buffer.count = held - static_cast<std::uint32_t>(cr);
    if (buffer.count == 0) {
        return 0;
    }

    std::uint8_t n = 0;
    for (std::size_t k = payload;; ++k) {
        const std::uint8_t c = src[k];
        if (c == static_cast<std::uint8_t>(term[0])) {
            if (k + 1 >= kReceiveCapacity) {
                return 0;
            }
            return src[k + 1] == static_cast<std::uint8_t>(term[1]) ? n : 0;
        }
        if (c == ' ') {
            --buffer.count;
        } else {
            dest[n] = c;
            ++n;
        }
        if (buffer.count == 0) {
            return 0;
        }
    }
}

std::optional<std::uint8_t> HexDigitValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    return std::nullopt;
}

std::uint8_t HexPairToByte(std::uint8_t c1, std::uint8_t c2)
{
    return static_cast<std::uint8_t>((HexDigitValue(c1).value_or(0) << 4) | HexDigitValue(c2).value_or(0));
}

std::size_t DecodeHexPairs(std::uint8_t* dest, const std::uint8_t* src, std::size_t len)
{
    if (len % 2 != 0 || !std::all_of(src, src + len, [](std::uint8_t c) { return HexDigitValue(c).has_value(); })) {
        return 0;
    }
    // Writing position k reads positions 2k and 2k+1, never behind it, so in place is safe.
    for (std::size_t k = 0; k < len / 2; ++k) {
        dest[k] = HexPairToByte(src[2 * k], src[2 * k + 1]);
    }
    return len / 2;
}

}  // namespace q42
