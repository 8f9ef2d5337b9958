// SPDX-License-Identifier: MIT
// The application's icon, drawn at every size a desktop asks for.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace q42 {

QPixmap DrawAppIcon(int size);
QIcon AppIcon();

}  // namespace q42
