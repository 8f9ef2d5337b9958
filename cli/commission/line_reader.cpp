// SPDX-License-Identifier: MIT
#include "line_reader.h"

#include <QCoreApplication>

#include <cerrno>
#include <condition_variable>
#include <mutex>
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

// The reading thread stops reading while this many lines wait, so that `yes |` cannot fill memory.
struct LineReader::Backlog {
    std::mutex mutex;
    std::condition_variable taken;
    int waiting = 0;

    void Added()
    {
        std::lock_guard lock(mutex);
        ++waiting;
    }
    void WaitForRoom()
    {
        std::unique_lock lock(mutex);
        taken.wait(lock, [this] { return waiting < kLinesWaitingLimit; });
    }
    void Taken()
    {
        {
            std::lock_guard lock(mutex);
            --waiting;
        }
        taken.notify_one();
    }
};

LineReader::LineReader()
    : m_backlog(std::make_shared<Backlog>())
{
}

LineReader::~LineReader() = default;

void LineReader::Start()
{
    std::thread([reader = QPointer<LineReader>(this), backlog = m_backlog] {
        Line line;
        std::string bytes;
        const auto deliver = [&] {
            line.text = QString::fromLocal8Bit(bytes);
            backlog->Added();
            post(reader, line);
            backlog->WaitForRoom();
            line = Line{};
            bytes.clear();
        };
        char buffer[256];
        for (long got; (got = ReadStandardInput(buffer, sizeof buffer)) > 0;) {
            for (const char c : std::string_view(buffer, static_cast<std::size_t>(got))) {
                if (c != '\n') {
                    line.tooLong = line.tooLong || bytes.size() >= kIdLineLimit;
                    if (!line.tooLong) {
                        bytes += c;
                    }
                    continue;
                }
                if (!bytes.empty() && bytes.back() == '\r') {
                    bytes.pop_back();  // a Windows line end
                }
                deliver();
            }
        }
        if (!bytes.empty()) {
            deliver();  // the last line, without its line end
        }
        post(reader, std::nullopt);
    }).detach();
}

void LineReader::post(const QPointer<LineReader>& reader, const std::optional<Line>& line)
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

std::optional<LineReader::Line> LineReader::TakeLine()
{
    if (m_lines.empty()) {
        return std::nullopt;
    }
    Line line = m_lines.front();
    m_lines.pop_front();
    m_backlog->Taken();
    return line;
}

void LineReader::arrive(const Line& line)
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
