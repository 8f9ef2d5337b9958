// SPDX-License-Identifier: MIT
#include "port_number_list.h"

#include <QEvent>

#include "port_inventory.h"
#include "port_names.h"

namespace q42 {

// Looked up when asked, not at start-up: enumerating ports costs time, and adapters come and go.
void PortNumberList::refreshToolTips()
{
    const QList<SerialDeviceInfo> present = SystemSerialDevices();
    // On Windows a number is its own COM port, whatever the system lists.
    const QStringList system = kWindowsPortNames ? QStringList() : DeviceNames(present);
    for (int i = 0; i < count(); ++i) {
        const int n = itemText(i).toInt();
        const QString device = ResolvePortName(n, system, SystemEnvironment);
        setItemData(i, PortToolTip(n, device, present, kWindowsPortNames), Qt::ToolTipRole);
    }
    setToolTip(itemData(currentIndex(), Qt::ToolTipRole).toString());
}

void PortNumberList::showPopup()
{
    refreshToolTips();
    QComboBox::showPopup();
}

bool PortNumberList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        refreshToolTips();
    }
    return QComboBox::event(event);
}

}  // namespace q42
