// SPDX-License-Identifier: MIT
// q42-screen-grab: saves what the X server shows as a PNG, the whole screen or one window.
// Used to make the README's screenshot from the real window under Xvfb.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: q42-screen-grab FILE.png [WINDOW-ID]\n");
        return 2;
    }
    const WId window = args.size() == 3 ? static_cast<WId>(args[2].toULongLong(nullptr, 0)) : 0;
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
    if (shot.isNull() || !shot.save(args[1], "PNG")) {
        std::fprintf(stderr, "q42-screen-grab: could not grab or write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
