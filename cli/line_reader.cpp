// SPDX-License-Identifier: MIT
#include "line_reader.h"

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <thread>

namespace q42::ctl {

void LineReader::Start()
{
    std::thread([reader = QPointer<LineReader>(this)] {
        std::string line;
        for (int c; (c = std::fgetc(stdin)) != EOF;) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();  // a Windows line end
            }
            post(reader, QString::fromLocal8Bit(line));
            line.clear();
        }
        post(reader, std::nullopt);
    }).detach();
}

void LineReader::post(const QPointer<LineReader>& reader, const std::optional<QString>& line)
{
    // Through the application object, which outlives every reader: the pointer is looked at only on
    // the event loop's thread, where a reader is deleted.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [reader, line] {
            if (reader) {
                line ? reader->arrive(*line) : reader->end();
            }
        }, Qt::QueuedConnection);
    }
}

std::optional<QString> LineReader::TakeLine()
{
    if (m_lines.empty()) {
        return std::nullopt;
    }
    QString line = m_lines.front();
    m_lines.pop_front();
    return line;
}

void LineReader::arrive(const QString& line)
{
    m_lines.push_back(line);
    emit changed();
}

void LineReader::end()
{
    m_ended = true;
    emit changed();
}

}  // namespace q42::ctl
