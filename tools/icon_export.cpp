// SPDX-License-Identifier: MIT
// q42-icon-export: writes the application icon for a desktop's icon theme, or for Windows.
//   q42-icon-export DIR SIZE...          writes DIR/<size>/q42-panel.png
//   q42-icon-export --ico FILE SIZE...   writes one .ico holding every size
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

#include "app_icon.h"

namespace {

// An .ico file: a directory of images, each stored as PNG, which Windows reads from Vista on.
bool WriteIco(const QString& path, const QList<int>& sizes)
{
    QList<QByteArray> images;
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        if (size <= 0 || size > 256 || !buffer.open(QIODevice::WriteOnly) || !q42::DrawAppIcon(size).save(&buffer, "PNG")) {
            return false;
        }
        images << png;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());  // reserved, type icon, count
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const auto side = static_cast<quint8>(sizes[i] == 256 ? 0 : sizes[i]);  // 0 means 256
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(images[i].size()) << offset;
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& png : images) {
        out.writeRawData(png.constData(), static_cast<int>(png.size()));
    }
    return out.status() == QDataStream::Ok && file.flush();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: q42-icon-export DIR SIZE... | --ico FILE SIZE...\n");
        return 2;
    }
    if (args[1] == QLatin1String("--ico")) {
        QList<int> sizes;
        for (int i = 3; i < args.size(); ++i) {
            sizes << args[i].toInt();
        }
        if (sizes.isEmpty() || !WriteIco(args[2], sizes)) {
            std::fprintf(stderr, "q42-icon-export: cannot write the icon file %s\n", qPrintable(args[2]));
            return 1;
        }
        return 0;
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
