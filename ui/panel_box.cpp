// SPDX-License-Identifier: MIT
#include "panel_box.h"

#include <QCoreApplication>

namespace q42 {

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("CPanelDlg", text);
}

}  // namespace

QString FindingForBox(const Finding& finding)
{
    return QString::fromStdString(FindingSentence(finding)).remove(QLatin1Char('`'));
}

PanelBox FailureBox(const CommError& error, const std::optional<Finding>& cause)
{
    const CommErrorParts& parts = error.Parts();
    PanelBox box{QMessageBox::Critical, QString::fromStdString(parts.happened), {}};
    // What the system does replaces the general advice: it is the one thing to do.
    box.informative = cause ? FindingForBox(*cause) : QString::fromStdString(parts.todo);
    if (error.ListsPorts()) {
        box.informative += QStringLiteral("\n\n") + QString::fromStdString(parts.portsNow) +
                           Tr(". To use one, choose its number in the COM list or type it there (12 or COM12 for COM12).");
    } else if (cause && cause->thenChoosePort) {
        box.informative += Tr(" Then choose its number in the COM list.");
    }
    return box;
}

PanelBox NoAnswerBox(const QString& happened, const QString& todo, const std::optional<Finding>& cause)
{
    PanelBox box{QMessageBox::Warning, happened, todo};
    if (cause) {
        box.informative += QStringLiteral("\n\n") + FindingForBox(*cause);
        if (cause->thenChoosePort) {
            box.informative += Tr(" Then choose its number in the COM list.");
        }
    }
    return box;
}

}  // namespace q42
