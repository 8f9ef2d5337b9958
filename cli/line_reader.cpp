// SPDX-License-Identifier: MIT
#include "line_reader.h"

#include <cstdio>
#include <string>
#include <thread>

namespace q42::ctl {

void LineReader::Start()
{
    std::thread([this] {
        std::string line;
        for (int c; (c = std::fgetc(stdin)) != EOF;) {
            if (c != '\n') {
                line += static_cast<char>(c);
                continue;
            }
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();  // a Windows line end
            }
            const QString text = QString::fromLocal8Bit(line);
            QMetaObject::invokeMethod(this, [this, text] { arrive(text); }, Qt::QueuedConnection);
            line.clear();
        }
        QMetaObject::invokeMethod(this, [this] { end(); }, Qt::QueuedConnection);
    }).detach();
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
