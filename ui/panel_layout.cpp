// SPDX-License-Identifier: MIT
#include "panel_layout.h"

#include <QFontMetrics>
#include <QStringList>

namespace q42 {

QFont PanelFont()
{
    QFont font;
    // No Debian font answers to SimSun, and the default substitutes are a quarter larger; AR PL UMing
    // has SimSun's metrics. Whatever the system has comes last.
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("AR PL UMing CN")});
    font.setPointSize(9);
    return font;
}

int AverageLetterWidth(int lettersWidth)
{
    return (lettersWidth / 26 + 1) / 2;  // half of twice the average, rounded
}

DialogUnits::DialogUnits(const QFont& font)
    : DialogUnits(AverageLetterWidth(QFontMetrics(font).horizontalAdvance(
                      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"))),
                  QFontMetrics(font).height())
{
}

// Rounded like the platform's own MulDiv(du, base, 4 or 8).
int DialogUnits::X(int du) const
{
    return (du * m_baseX + 2) / 4;
}

int DialogUnits::Y(int du) const
{
    return (du * m_baseY + 4) / 8;
}

}  // namespace q42
