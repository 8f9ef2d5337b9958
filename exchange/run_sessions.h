// SPDX-License-Identifier: MIT
// Sessions side by side on the one event loop: a session a unit, the loop left when the last is done.
#pragma once

#include <QCoreApplication>
#include <QList>

#include <memory>
#include <vector>

#include "line_trace.h"
#include "unit_target.h"

namespace q42::ctl {

template <typename Session, typename Task>
std::vector<std::unique_ptr<Session>> RunAll(const Task& task, const QList<Target>& targets, const LineTrace& trace)
{
    std::vector<std::unique_ptr<Session>> sessions;
    int running = static_cast<int>(targets.size());
    for (const Target& target : targets) {
        sessions.push_back(std::make_unique<Session>(task, target, trace));
        QObject::connect(sessions.back().get(), &Session::Done, QCoreApplication::instance(), [&running] {
            if (--running == 0) {
                QCoreApplication::quit();
            }
        });
    }
    for (auto& session : sessions) {
        session->Start();
    }
    if (running > 0) {
        QCoreApplication::exec();
    }
    return sessions;
}

}  // namespace q42::ctl
