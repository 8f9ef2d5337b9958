// SPDX-License-Identifier: MIT
// Reads the values a file holds: what 'q42ctl get' writes, as NAME=VALUE lines or one JSON object.
#pragma once

#include <QByteArray>
#include <QString>

#include "value_text.h"

namespace q42::ctl {

// Adds every value of the text to edits. Returns an empty text, or what was wrong and where.
std::string ReadValuesText(const QByteArray& text, Edits& edits);

// The most a values file may hold: thirteen values take a few hundred bytes.
inline constexpr qsizetype kValuesFileLimit = 4 * 1024 * 1024;

// The same for a file; "-" reads standard input.
std::string ReadValuesFile(const QString& path, Edits& edits);

}  // namespace q42::ctl
