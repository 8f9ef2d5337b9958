// SPDX-License-Identifier: MIT
#include "values_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <QSet>

#include <cctype>
#include <cmath>

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

}  // namespace

std::string ReadValuesText(const QByteArray& text, Edits& edits)
{
    const QByteArray start = text.trimmed().left(1);
    std::string problem = start == "{" || start == "[" ? ReadJson(text, edits) : ReadLines(text, edits);
    if (problem.empty()) {
        problem = CheckEdits(edits);
    }
    return problem;
}

std::string ReadValuesFile(const QString& path, Edits& edits)
{
    QFile file(path);
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        return QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString();
    }
    const std::string problem = ReadValuesText(file.readAll(), edits);
    return problem.empty() ? problem : path.toStdString() + ": " + problem;
}

}  // namespace q42::ctl
