// SPDX-License-Identifier: MIT
// Answer latency through the real window: from the unit's last answer byte on the line to the form
// filled and "Search Success!" shown, and the whole Search round trip beside its physical floor.
//   q42-answer-latency [--trials N]
#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <cstdio>

#include "bench_support.h"
#include "panel_dlg.h"

using namespace q42;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int trials = 500;
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--trials") {
        trials = args[2].toInt();
    }

    for (const int baud : {57600, 9600}) {
        bench::UnitProcess unit({"--baud", QString::number(baud), "--timestamps"});
        qputenv("Q42_COM1", unit.Device().toLocal8Bit());
        CPanelDlg dlg;
        std::int64_t shownAt = 0;
        dlg.SetMessagePresenter([&](const PanelBox&) { shownAt = bench::MonotonicNs(); });
        dlg.Controls().baud->setCurrentIndex(baud == 9600 ? 0 : 1);
        dlg.Controls().start->click();
        if (!dlg.Started()) {
            std::fprintf(stderr, "answer-latency: could not start\n");
            return 1;
        }
        std::vector<double> latencyMs;
        std::vector<double> roundTripMs;
        int missed = 0;
        for (int t = 0; t < trials; ++t) {
            shownAt = 0;
            unit.TakeLines();
            const std::int64_t clicked = bench::MonotonicNs();
            dlg.Controls().search->click();
            if (!bench::RunUntil([&] { return shownAt != 0; }, std::chrono::seconds(3))) {
                ++missed;
                continue;
            }
            const QStringList lines = unit.TakeLines();
            const QString sent = lines.isEmpty() ? QString() : lines.last();
            if (!sent.startsWith("sent ")) {
                ++missed;
                continue;
            }
            latencyMs.push_back(static_cast<double>(shownAt - sent.mid(5).toLongLong()) / 1e6);
            roundTripMs.push_back(static_cast<double>(shownAt - clicked) / 1e6);
            bench::RunUntil([] { return false; }, std::chrono::milliseconds(20));  // let the line settle
        }
        const double floorMs = (97 + 127) * 10.0 * 1000.0 / baud + 20 * kReceiveTickMs;
        const auto l = bench::Summarise(latencyMs);
        const auto r = bench::Summarise(roundTripMs);
        std::printf("answer latency %d baud: median %.1f ms, p99 %.1f ms, max %.1f ms (%zu trials, %d missed; "
                    "goal p99 <= 210 ms)\n",
                    baud, l.median, l.p99, l.max, latencyMs.size(), missed);
        std::printf("search round trip %d baud: median %.1f ms, p99 %.1f ms; floor %.1f ms (97 + 127 characters of "
                    "10 bits, and the 200 ms quiet gap)\n",
                    baud, r.median, r.p99, floorMs);
    }
    return 0;
}
