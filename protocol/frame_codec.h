// SPDX-License-Identifier: MIT
// Frame text in both directions: ":FF" + hex digits + CR LF out, ">" + hex digits + CR LF back.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "receive_buffer.h"

namespace q42 {

inline constexpr std::size_t kNibbleCapacity = 128;
inline constexpr std::size_t kFrameTextCapacity = 3 + kNibbleCapacity + 2 + 1;  // ":FF", digits, CR LF, zero

// The one outgoing area every command reuses: a payload as four-bit values, high nibble first,
// and the frame text made from it. Each program runs on one thread (q42ctl's units side by side on
// one event loop) and builds and sends a frame in one go, so one area suffices.
inline std::array<std::int32_t, kNibbleCapacity> NibbleList{};
inline std::array<char, kFrameTextCapacity> FrameText{};

// Builds FrameText from the first n entries of NibbleList and returns its length (n + 5).
// n is clamped to the list's capacity and entries are masked to four bits, so the text never overruns.
std::size_t EncodeFrame(int n);

// The frame text last built, without the terminating zero.
std::string_view FrameTextView();

// Finds start..term in the held bytes and copies the payload, spaces dropped, to dest. Returns the
// payload length, or 0 when there is no complete frame. Lowers buffer.count as the unit relies on:
// to the bytes from the CR on, less one per dropped space. dest may equal src.
std::uint8_t ExtractFrame(ReceiveBuffer& buffer, std::uint8_t* dest, const std::uint8_t* src, char start,
                          const char (&term)[2]);

// Decodes len hex digits into len/2 bytes. Returns 0 and writes nothing when len is 0 or odd, or
// when any character is not a hex digit, so that garbage is never taken for the unit's values.
// dest may equal src.
std::size_t DecodeHexPairs(std::uint8_t* dest, const std::uint8_t* src, std::size_t len);

// Value of one hex digit (either case), or nothing.
std::optional<std::uint8_t> HexDigitValue(std::uint8_t c);

// Two hex digits to one byte. Callers check the digits first; a non-digit counts as 0.
std::uint8_t HexPairToByte(std::uint8_t c1, std::uint8_t c2);

}  // namespace q42
