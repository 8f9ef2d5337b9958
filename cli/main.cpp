// SPDX-License-Identifier: MIT
// q42ctl: reads, writes, saves and copies VARNEK-Q42 settings from a terminal or a script.
#include <QCoreApplication>
#include <QSerialPortInfo>

#include <cstdio>
#include <memory>
#include <vector>

#include "ctl_options.h"
#include "ctl_report.h"
#include "port_names.h"
#include "unit_session.h"

namespace {

using namespace q42::ctl;

// What each port number reaches now, as the window's port list shows it.
int ListPorts()
{
    const auto inUse = q42::PortNumbersInUse(q42::SystemSerialPorts(), q42::SystemEnvironment);
    for (const auto& [n, device] : inUse) {
        std::printf("COM%d opens %s\n", n, qPrintable(device));
    }
#ifdef Q_OS_WIN
    // On Windows a port number n is COMn itself; these are the ones present.
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        std::printf("%s: %s\n", qPrintable(info.portName()), qPrintable(info.description()));
    }
#else
    if (inUse.empty()) {
        std::fprintf(stderr, "q42ctl: no serial ports are present\n");
    }
#endif
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("q42ctl"));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(kCtlUsage, stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("q42ctl %s\n", Q42_VERSION);
        return 0;
    }
    if (!parsed.request) {
        std::fprintf(stderr, "q42ctl: %s\nTry 'q42ctl --help'.\n", qPrintable(parsed.error));
        return static_cast<int>(ExitStatus::BadUsage);
    }
    const CtlRequest& request = *parsed.request;
    if (request.command == Command::Ports) {
        return ListPorts();
    }

    // Every unit runs on this one event loop; the program ends when the last one is done.
    std::vector<std::unique_ptr<UnitSession>> sessions;
    int running = static_cast<int>(request.targets.size());
    for (const Target& target : request.targets) {
        sessions.push_back(std::make_unique<UnitSession>(request, target));
        QObject::connect(sessions.back().get(), &UnitSession::Done, &app, [&running] {
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
    return static_cast<int>(Report(request, sessions));
}
