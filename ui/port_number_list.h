// SPDX-License-Identifier: MIT
// The port number list; each number's tooltip names the device it reaches now.
#pragma once

#include <QComboBox>

namespace q42 {

class PortNumberList : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;
    void showPopup() override;

protected:
    bool event(QEvent* event) override;

private:
    void refreshToolTips();
};

}  // namespace q42
