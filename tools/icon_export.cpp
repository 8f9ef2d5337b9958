// SPDX-License-Identifier: MIT
// q42-icon-export: writes the application icon as PNG files for a desktop's icon theme.
//   q42-icon-export DIR SIZE...   writes DIR/<size>/q42-panel.png
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

#include "app_icon.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: q42-icon-export DIR SIZE...\n");
        return 2;
    }
    for (int i = 2; i < args.size(); ++i) {
        const int size = args[i].toInt();
        const QString dir = QStringLiteral("%1/%2").arg(args[1]).arg(size);
        if (size <= 0 || !QDir().mkpath(dir) || !q42::DrawAppIcon(size).save(dir + "/q42-panel.png", "PNG")) {
            std::fprintf(stderr, "q42-icon-export: cannot write a %s pixel icon in %s\n", qPrintable(args[i]),
                         qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
