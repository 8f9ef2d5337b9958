// SPDX-License-Identifier: MIT
// The port number list: 1 to 8 always, then each higher number that reaches a device now; each
// number's tooltip names the device it reaches.
#pragma once

#include <QComboBox>

#include "port_inventory.h"

namespace q42 {

class PortNumberList : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;
    void showPopup() override;

protected:
    bool event(QEvent* event) override;

private:
    void refreshNumbers(const QList<SerialDeviceInfo>& present);
    void refreshToolTips(const QList<SerialDeviceInfo>& present);
};

}  // namespace q42
