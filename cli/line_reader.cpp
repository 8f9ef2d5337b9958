// SPDX-License-Identifier: MIT
#include "line_reader.h"

#include <QCoreApplication>

#include <cerrno>
#include <string>
#include <string_view>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace q42::ctl {

namespace {

// Below stdio: a thread blocked in a stdio read holds the stream's lock, and an exit that locks
// every stream to flush it (glibc 2.41 does) would then wait for that thread forever.
long ReadStandardInput(char* buffer, unsigned size)
{
    for (;;) {
#ifdef _WIN32
        const long got = _read(0, buffer, size);
#else
        const long got = ::read(STDIN_FILENO, buffer, size);
#endif
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

}  // namespace

void LineReader::Start()
{
    std::thread([reader = QPointer<LineReader>(this)] {
        std::string line;
        char buffer[256];
        for (long got; (got = ReadStandardInput(buffer, sizeof buffer)) > 0;) {
            for (const char c : std::string_view(buffer, static_cast<std::size_t>(got))) {
                if (c != '\n') {
                    line += c;
                    continue;
                }
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();  // a Windows line end
                }
                post(reader, QString::fromLocal8Bit(line));
                line.clear();
            }
        }
        if (!line.empty()) {
            post(reader, QString::fromLocal8Bit(line));  // the last line, without its line end
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
