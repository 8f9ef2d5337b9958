// SPDX-License-Identifier: MIT
#include "port_number_list.h"

#include <QEvent>

#include "port_names.h"

namespace q42 {

// Looked up when asked, not at start-up: enumerating ports costs time, and adapters come and go.
void PortNumberList::refreshToolTips()
{
    const QStringList system = SystemSerialPorts();
    for (int i = 0; i < count(); ++i) {
        const int n = itemText(i).toInt();
        setItemData(i, tr("COM%1 opens %2").arg(n).arg(ResolvePortName(n, system, SystemEnvironment)),
                    Qt::ToolTipRole);
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
