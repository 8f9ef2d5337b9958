// SPDX-License-Identifier: MIT
// The texts of the window's failure boxes: a short first sentence (what happened, on which port),
// then what was found and what to do as the box's informative text, the ports to choose from last.
#pragma once

#include <QMessageBox>
#include <QString>

#include <optional>

#include "comm_error.h"
#include "finding.h"

namespace q42 {

struct PanelBox {
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString text;         // one sentence
    QString informative;  // the detail; empty for the boxes whose one line says all
};

// A port that did not open or a line that failed; cause is what the system does to the adapter.
PanelBox FailureBox(const CommError& error, const std::optional<Finding>& cause);

// No answer came: happened says so on which port and rate, todo what to try.
PanelBox NoAnswerBox(const QString& happened, const QString& todo, const std::optional<Finding>& cause);

// A finding as a box says it: commands as plain words, since the box is read, not pasted from.
QString FindingForBox(const Finding& finding);

}  // namespace q42
