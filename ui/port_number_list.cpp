// SPDX-License-Identifier: MIT
#include "port_number_list.h"

#include <QEvent>

#include "port_inventory.h"
#include "port_names.h"

namespace q42 {

// Looked up when asked, not at start-up: enumerating ports costs time, and adapters come and go.
void PortNumberList::refreshNumbers(const QList<SerialDeviceInfo>& present)
{
    // Whatever the field shows stays: a chosen number that went away is then typed text, which
    // Start still reads, and no item is current, so no tooltip names a device it no longer reaches.
    const QString shown = currentText();
    while (count() > kListedPortNumbers) {
        removeItem(count() - 1);
    }
    for (const auto& [n, device] : PortNumbersInUse(present, SystemEnvironment)) {
        if (n > kListedPortNumbers) {
            addItem(QString::number(n));
        }
    }
    setCurrentIndex(findText(shown));
    setEditText(shown);
}

void PortNumberList::refreshToolTips(const QList<SerialDeviceInfo>& present)
{
    for (int i = 0; i < count(); ++i) {
        const int n = itemText(i).toInt();
        const QString device = ResolvePortName(n, DeviceNames(present), SystemEnvironment);
        setItemData(i, PortToolTip(n, device, present, kWindowsPortNames), Qt::ToolTipRole);
    }
    setToolTip(itemData(currentIndex(), Qt::ToolTipRole).toString());
}

void PortNumberList::showPopup()
{
    // One listing for both: enumerating ports costs time.
    const QList<SerialDeviceInfo> present = SystemSerialDevices();
    refreshNumbers(present);
    refreshToolTips(present);
    QComboBox::showPopup();
}

bool PortNumberList::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        refreshToolTips(SystemSerialDevices());
    }
    return QComboBox::event(event);
}

}  // namespace q42
