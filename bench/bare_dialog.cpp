// SPDX-License-Identifier: MIT
// The yardstick for start-up and idle cost: a bare Qt 6 dialog with the same controls in the same
// places and no serial port, in the toolkit's default font. --timer adds a running 10 ms timer;
// --panel-font uses the tool's dialog font instead.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "panel_layout.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("bare dialog"));
    if (app.arguments().contains(QStringLiteral("--panel-font"))) {
        dialog.setFont(q42::PanelFont());  // to tell the font's cost apart
    }
    for (const q42::ControlRow& c : q42::kPanelControls) {
        QWidget* w = nullptr;
        const QString text = QString::fromUtf8(c.text);
        switch (c.kind) {
        case q42::ControlKind::Radio: w = new QRadioButton(text, &dialog); break;
        case q42::ControlKind::PushButton: w = new QPushButton(text, &dialog); break;
        case q42::ControlKind::Label: w = new QLabel(text, &dialog); break;
        case q42::ControlKind::GroupBox: w = new QGroupBox(text, &dialog); break;
        case q42::ControlKind::Edit: w = new QLineEdit(&dialog); break;
        case q42::ControlKind::ComboBox: {
            auto* list = new QComboBox(&dialog);
            list->setEditable(true);
            list->addItems({"9600", "57600"});
            w = list;
            break;
        }
        case q42::ControlKind::SerialComponent: continue;
        }
        w->setGeometry(c.x * 6 / 4, c.y * 12 / 8, c.w * 6 / 4, (c.kind == q42::ControlKind::ComboBox ? 14 : c.h) * 12 / 8);
    }
    dialog.setFixedSize(312, 416);
    QTimer tick;
    if (app.arguments().contains(QStringLiteral("--timer"))) {
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [] {});
        tick.start(10);
    }
    return dialog.exec();
}
