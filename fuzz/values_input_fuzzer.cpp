// SPDX-License-Identifier: MIT
// libFuzzer target: everything a technician hands q42ctl as values, NAME=VALUE arguments and files of
// NAME=VALUE lines or JSON, checked for two properties: reading never crashes or hangs, and whatever
// is accepted, written back in get's forms, reads again to exactly the same values; and several
// units' JSON, keyed by device names of any bytes, always parses back.
//
// Input: the first byte picks the reader (even: a values file, odd: arguments, one per line), the
// rest is what it reads.
#include <QByteArray>
#include <QJsonDocument>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "value_text.h"
#include "values_file.h"

namespace {

using namespace q42;
using namespace q42::ctl;

void Check(bool ok, const char* what, const std::string& detail = {})
{
    if (!ok) {
        std::fprintf(stderr, "values reader property violated: %s\n%s\n", what, detail.c_str());
        std::abort();
    }
}

// Two units that differ in every value, so a value the text does not give cannot pass for read.
constexpr UnitValues kBaseA = {120, 10, 10, 12, 12, 0, 0, 0, 0, 1, 0, 1, 1};
constexpr UnitValues kBaseB = {7, 200, 201, 202, 203, 204, 205, 206, 207, 0, 1, 0, 0};

void ReadsBackTheSame(const UnitValues& values, const std::string& text)
{
    Edits again;
    const std::string problem = ReadValuesText(QByteArray::fromStdString(text), again);
    Check(problem.empty(), "get's own output was refused", text + "\n" + problem);
    Check(Apply(again, kBaseB) == values, "get's own output read back to other values", text);
}

// Device names of any bytes, as -r takes them: several units' JSON parses whatever they hold, and
// each unit's object reads back to its values.
void WritesByDevice(const QString& first, const QString& second, const UnitValues& values)
{
    const QJsonObject byDevice{{first, ValuesJson(values, {})}, {second, ValuesJson(kBaseB, {})}};
    const std::string text = FormatJson(byDevice);
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    Check(error.error == QJsonParseError::NoError && parsed.isObject(), "several units' JSON does not parse", text);
    // Walked, not looked up: Qt 6.4 orders a parsed key with a character beyond U+FFFF otherwise than
    // a built one, and value(key) can then miss it although the text is right.
    QStringList written = byDevice.keys();
    QStringList read;
    const QJsonObject object = parsed.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        read << it.key();
        const bool isFirst = it.key() == first && first != second;
        Check(isFirst || it.key() == second, "several units' JSON changed a device", text);
        ReadsBackTheSame(isFirst ? values : kBaseB, QJsonDocument(it.value().toObject()).toJson().toStdString());
    }
    written.sort();
    read.sort();
    Check(read == written, "several units' JSON lost a device", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const QByteArray input(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    Edits edits;
    std::string problem;
    if (data[0] % 2 == 0) {
        problem = ReadValuesText(input, edits);
    } else {
        for (const QByteArray& argument : input.split('\n')) {
            problem = AddAssignment(edits, argument.toStdString());
            if (!problem.empty()) {
                break;
            }
        }
        if (problem.empty()) {
            problem = CheckEdits(edits);
        }
    }
    // Device names of the input's bytes: the values it gave, or a unit's own when it gave none.
    const UnitValues values = Apply(problem.empty() ? edits : Edits{}, kBaseA);
    WritesByDevice(QString::fromUtf8(input.left(input.size() / 2)), QString::fromUtf8(input.mid(input.size() / 2)), values);
    if (!problem.empty()) {
        return 0;
    }
    ReadsBackTheSame(values, FormatLines(values, Selection{}));
    ReadsBackTheSame(values, FormatJson(ValuesJson(values, Selection{})));
    return 0;
}
