// SPDX-License-Identifier: MIT
#include "visible_text.h"

namespace q42::ctl {

QString VisibleText(const QString& text)
{
    QString visible;
    visible.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f)) {
            visible += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        } else {
            visible += c;
        }
    }
    return visible;
}

}  // namespace q42::ctl
