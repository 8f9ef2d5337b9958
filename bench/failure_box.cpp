// SPDX-License-Identifier: MIT
// What the system examination costs the window's failure box: from Start pressed on a missing device
// to the box's text, with this machine examined as the window does it and with nothing examined.
//   q42-failure-box [--trials N]
#include <QApplication>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "panel_dlg.h"

using namespace q42;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    int trials = 200;
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--trials") {
        trials = args[2].toInt();
    }
    qputenv("Q42_COM1", "/dev/ttyQ42-bench-absent");
    std::printf("| the box of a missing device | median ms | p95 ms | text added |\n|---|---|---|---|\n");
    for (const bool examined : {false, true}) {
        CPanelDlg dlg;
        std::int64_t shownAt = 0;
        QString text;
        dlg.SetMessagePresenter([&](const PanelBox& shown) {
            shownAt = bench::MonotonicNs();
            text = shown.informative;
        });
        if (!examined) {
            dlg.SetFailureExplainer([](const std::string&, Symptom) -> std::optional<Finding> { return std::nullopt; });
        }
        std::vector<double> ms;
        QString plain;
        for (int i = 0; i < trials; ++i) {
            const std::int64_t pressed = bench::MonotonicNs();
            dlg.Controls().start->click();
            ms.push_back(static_cast<double>(shownAt - pressed) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        // Without a finding the detail starts with the general advice; a finding takes its place.
        const bool found = !text.startsWith(QLatin1String("Plug in the USB serial adapter"));
        std::printf("| %s | %.3f | %.3f | %s |\n", examined ? "this machine examined" : "nothing examined",
                    ms[ms.size() / 2], ms[ms.size() * 95 / 100],
                    found ? qPrintable(text.section(QLatin1Char('\n'), 0, 0).left(60) + QStringLiteral("...")) : "none");
    }
    return 0;
}
