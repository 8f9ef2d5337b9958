// SPDX-License-Identifier: MIT
#include "values_file.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <QSet>

#include <cctype>
#include <cmath>
#include <optional>
#include <utility>

namespace q42::ctl {

namespace {

// A JSON value as the text a NAME=VALUE line would carry, so both forms are checked alike.
std::optional<std::string> JsonValueText(const QJsonValue& value)
{
    if (value.isString()) {
        return value.toString().toStdString();
    }
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::trunc(number) != number || std::abs(number) > 1e15) {
            // Refused as not a whole number, in the words it was typed: 0.1, not 0.10000000000000001.
            return QString::number(number, 'g', QLocale::FloatingPointShortest).toStdString();
        }
        return std::to_string(static_cast<long long>(number));
    }
    return std::nullopt;
}

// A name the object gives twice. QJsonObject keeps only the last of two equal keys, so the raw text
// is read for them; it has already parsed as JSON.
std::optional<QString> RepeatedKey(const QByteArray& text)
{
    QSet<QString> seen;
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        depth += c == '{' || c == '[' ? 1 : c == '}' || c == ']' ? -1 : 0;
        if (c != '"') {
            continue;
        }
        const qsizetype start = i;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            i += text[i] == '\\' ? 1 : 0;
        }
        qsizetype next = i + 1;
        while (next < text.size() && std::isspace(static_cast<unsigned char>(text[next]))) {
            ++next;
        }
        if (depth == 1 && next < text.size() && text[next] == ':') {
            // Read through Qt's parser, so that an escaped name compares as its characters.
            const QByteArray quoted = '[' + text.mid(start, i + 1 - start) + ']';
            const QString key = QJsonDocument::fromJson(quoted).array().at(0).toString();
            if (seen.contains(key)) {
                return key;
            }
            seen.insert(key);
        }
    }
    return std::nullopt;
}

std::string ReadJson(const QByteArray& text, Edits& edits)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        return QStringLiteral("not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset).toStdString();
    }
    if (!document.isObject()) {
        return "the JSON is not one object of NAME: VALUE";
    }
    if (const auto repeated = RepeatedKey(text)) {
        const auto named = FindName(repeated->toStdString());
        return (named ? std::string(named->minutes ? kIsoMinutesName : LabelOfValue(named->index))
                      : repeated->toStdString()) +
               " is given twice";
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string name = it.key().toStdString();
        const auto value = JsonValueText(it.value());
        if (!value) {
            return name + ": a value is a whole number or \"ON\"/\"OFF\"";
        }
        if (std::string problem = AddValue(edits, name, *value); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

std::string ReadLines(const QByteArray& text, Edits& edits)
{
    int number = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        if (std::string problem = AddAssignment(edits, line.toStdString()); !problem.empty()) {
            return "line " + std::to_string(number) + ": " + problem;
        }
    }
    return {};
}

// The bytes as UTF-8 text: a UTF-8 byte order mark dropped, UTF-16 with its mark (what Windows
// PowerShell 5.1's '>' writes) converted. Empty with a reason when the bytes are no text.
std::optional<QByteArray> AsUtf8(const QByteArray& bytes, std::string& problem)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return bytes.mid(3);
    }
    const bool little = bytes.startsWith("\xFF\xFE");
    if (little || bytes.startsWith("\xFE\xFF")) {
        QByteArray units = bytes.mid(2);
        if (units.size() % 2 != 0) {
            problem = "UTF-16 text cut off in the middle of a character";
            return std::nullopt;
        }
        if (!little) {
            for (qsizetype i = 0; i + 1 < units.size(); i += 2) {
                std::swap(units[i], units[i + 1]);
            }
        }
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(units.constData()), units.size() / 2).toUtf8();
    }
    return bytes;
}

}  // namespace

std::string ReadValuesText(const QByteArray& bytes, Edits& edits)
{
    std::string problem;
    const std::optional<QByteArray> utf8 = AsUtf8(bytes, problem);
    if (!utf8) {
        return problem;
    }
    const QByteArray& text = *utf8;
    // A NUL would end every message that quoted its line before the reason: said as itself.
    if (const qsizetype nul = text.indexOf('\0'); nul >= 0) {
        return "line " + std::to_string(text.left(nul).count('\n') + 1) + ": a NUL byte; a values file is text";
    }
    const QByteArray start = text.trimmed().left(1);
    problem = start == "{" || start == "[" ? ReadJson(text, edits) : ReadLines(text, edits);
    if (problem.empty()) {
        problem = CheckEdits(edits);
    }
    return problem;
}

std::string ReadValuesFile(const QString& path, Edits& edits)
{
    const bool standardInput = path == QLatin1String("-");
    const QString name = standardInput ? QStringLiteral("standard input") : path;
    // A FIFO or a device would be read for as long as it gives: /dev/zero for ever.
    if (!standardInput && QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
        return QStringLiteral("%1: is not a regular file; give the values file by name, or '-' for standard input")
            .arg(path)
            .toStdString();
    }
    QFile file(path);
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        return QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString();
    }
    QByteArray bytes;
    while (bytes.size() <= kValuesFileLimit) {
        const QByteArray piece = file.read(kValuesFileLimit + 1 - bytes.size());
        if (piece.isEmpty()) {
            break;
        }
        bytes += piece;
    }
    if (bytes.size() > kValuesFileLimit) {
        return QStringLiteral("%1: larger than %2 MiB; a values file is a few hundred bytes")
            .arg(name)
            .arg(kValuesFileLimit / (1024 * 1024))
            .toStdString();
    }
    const std::string problem = ReadValuesText(bytes, edits);
    return problem.empty() ? problem : path.toStdString() + ": " + problem;
}

}  // namespace q42::ctl
