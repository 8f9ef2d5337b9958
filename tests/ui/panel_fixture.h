// SPDX-License-Identifier: MIT
// The real window with its message boxes written down instead of shown.
#pragma once

#include <QMessageBox>
#include <QStringList>

#include <vector>

#include "panel_dlg.h"

namespace q42::test {

struct Panel {
    CPanelDlg dlg;
    std::vector<PanelBox> boxes;

    Panel();
    // Each box's first sentence, and its informative text after a line end.
    QStringList Texts() const;
    int Count(const QString& text) const;
    void Click(int id);
    void Type(TextField field, const QString& text);
    void ClickSwitch(SwitchField field, int choice);
    int ShownChoice(SwitchField field) const;
    // Which of Start, Stop, the baud list and the port list can be used: "1011" and so on.
    QString Enabled() const;
    QWidget* Control(int id) const { return dlg.Controls().byId.value(id); }
    CMSComm& Comm() { return dlg.m_comm; }
    bool TickRunning() const { return dlg.m_tick.isActive(); }
    // How long the window now waits for an answer before it says none came.
    int AnswerWait() const { return dlg.m_answerWait.interval(); }
};

}  // namespace q42::test
