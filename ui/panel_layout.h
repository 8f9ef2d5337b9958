// SPDX-License-Identifier: MIT
// The window's controls in creation order, placed in dialog units of the dialog's font.
#pragma once

#include <QFont>
#include <QRect>


namespace q42 {

enum class ControlKind { Radio, PushButton, Label, GroupBox, ComboBox, Edit, SerialComponent };

struct ControlRow {
    int id;  // -1 for labels and group boxes
    ControlKind kind;
    const char* text;
    int x, y, w, h;  // dialog units; a combo box's height includes its dropped-down list
};

inline constexpr int kDialogWidthDu = 208;
inline constexpr int kDialogHeightDu = 277;
inline constexpr int kClosedComboHeightDu = 14;

inline constexpr int IDC_STATIC = -1;  // a label or group box: no id of its own
inline constexpr int IDC_SERIAL = 1000;
inline constexpr int IDC_BAUD = 1007;
inline constexpr int IDC_PORT = 1008;
inline constexpr int IDC_START = 1012;
inline constexpr int IDC_STOP = 1013;
inline constexpr int IDC_SET = 1014;
inline constexpr int IDC_SEARCH = 1015;
inline constexpr int IDC_SAVE = 1016;

// Creation order is tab order.
inline constexpr ControlRow kPanelControls[] = {
    {1017, ControlKind::Radio, "ON", 142, 64, 24, 10},
    {1018, ControlKind::Radio, "OFF", 142, 78, 28, 10},
    {IDC_SET, ControlKind::PushButton, "Set", 31, 241, 39, 14},
    {IDC_SEARCH, ControlKind::PushButton, "Search", 77, 241, 40, 14},
    {IDC_STATIC, ControlKind::Label, "ISO TIME", 32, 52, 32, 8},
    {IDC_SERIAL, ControlKind::SerialComponent, "", 176, 7, 25, 25},
    {IDC_STATIC, ControlKind::Label, "Baud Rate", 19, 11, 37, 8},
    {IDC_BAUD, ControlKind::ComboBox, "", 59, 7, 48, 45},
    {IDC_STATIC, ControlKind::Label, "COM", 32, 27, 13, 8},
    {IDC_PORT, ControlKind::ComboBox, "", 59, 25, 48, 57},
    {1009, ControlKind::Edit, "", 70, 49, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L9 ATT_DL", 23, 71, 39, 8},
    {1010, ControlKind::Edit, "", 70, 69, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L9 ATT_UL", 24, 91, 38, 8},
    {1011, ControlKind::Edit, "", 70, 89, 40, 14},
    {IDC_START, ControlKind::PushButton, "Start", 115, 7, 50, 14},
    {IDC_STOP, ControlKind::PushButton, "Stop", 115, 25, 50, 14},
    {IDC_STATIC, ControlKind::Label, "Hours", 113, 51, 21, 8},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 71, 9, 8},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 91, 9, 8},
    {IDC_SAVE, ControlKind::PushButton, "Save", 122, 240, 39, 14},
    {1023, ControlKind::Radio, "ON", 142, 102, 24, 10},
    {1024, ControlKind::Radio, "OFF", 142, 116, 28, 10},
    {IDC_STATIC, ControlKind::Label, "L9 DL ISO ADJ", 12, 152, 54, 8},
    {1026, ControlKind::Edit, "", 70, 149, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L9 UL ISO ADJ", 12, 172, 56, 8},
    {1027, ControlKind::Edit, "", 70, 169, 40, 14},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 151, 9, 8},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 171, 9, 8},
    {IDC_STATIC, ControlKind::GroupBox, "SMART Switch", 140, 52, 55, 37},
    {IDC_STATIC, ControlKind::GroupBox, "Sleep Mode", 139, 93, 48, 40},
    {IDC_STATIC, ControlKind::Label, "L7 ATT_DL", 24, 111, 39, 8},
    {1019, ControlKind::Edit, "", 70, 109, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L7 ATT_UL", 24, 131, 38, 8},
    {1020, ControlKind::Edit, "", 70, 129, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L7 DL ISO ADJ", 12, 190, 54, 8},
    {1028, ControlKind::Edit, "", 70, 188, 40, 14},
    {IDC_STATIC, ControlKind::Label, "L7 UL ISO ADJ", 12, 210, 56, 8},
    {1029, ControlKind::Edit, "", 70, 208, 40, 14},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 190, 9, 8},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 210, 9, 8},
    {1025, ControlKind::Radio, "ON", 143, 151, 24, 10},
    {1030, ControlKind::Radio, "OFF", 143, 163, 28, 10},
    {IDC_STATIC, ControlKind::GroupBox, "L9_PA_SW", 139, 139, 36, 40},
    {1033, ControlKind::Radio, "ON", 141, 196, 24, 10},
    {1034, ControlKind::Radio, "OFF", 141, 210, 28, 10},
    {IDC_STATIC, ControlKind::GroupBox, "L7_PA_SW", 139, 186, 37, 40},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 114, 9, 8},
    {IDC_STATIC, ControlKind::Label, "dB", 113, 134, 9, 8},
};

inline constexpr const char* kBaudItems[] = {"9600", "57600"};
inline constexpr const char* kPortItems[] = {"1", "2", "3", "4", "5", "6", "7", "8"};
inline constexpr int kDefaultBaudIndex = 1;
inline constexpr int kDefaultPortIndex = 0;

// The 9-point dialog font: SimSun where it exists, else the Debian font with the same metrics.
QFont PanelFont();

// The platform's average character width for a font whose 52 letters take lettersWidth pixels.
int AverageLetterWidth(int lettersWidth);

// Dialog units of a font to pixels: a horizontal unit is a quarter of the average letter width, a
// vertical unit an eighth of the font height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY)
        : m_baseX(baseX)
        , m_baseY(baseY)
    {
    }
    int X(int du) const;
    int Y(int du) const;
    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y)}; }

private:
    int m_baseX;
    int m_baseY;
};

}  // namespace q42
