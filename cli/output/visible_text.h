// SPDX-License-Identifier: MIT
// Text that came from the system or a device (a process name, a USB descriptor string, a path) as a
// terminal or a text file may show it: a device chooses its own strings, and one holding ESC or BEL
// could clear the screen, recolour it or ring the bell.
#pragma once

#include <QString>

namespace q42::ctl {

// Every control character (C0, DEL and C1) written as \xNN; everything else as it is.
QString VisibleText(const QString& text);

}  // namespace q42::ctl
