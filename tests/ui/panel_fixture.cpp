// SPDX-License-Identifier: MIT
#include "panel_fixture.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>

namespace q42::test {

Panel::Panel()
{
    dlg.SetMessagePresenter([this](const PanelBox& box) { boxes.push_back(box); });
    // A machine where nothing explains a failure, whatever the test machine itself has.
    dlg.SetFailureExplainer([](const std::string&, Symptom) -> std::optional<Finding> { return std::nullopt; });
    dlg.show();
    dlg.activateWindow();
    (void)QTest::qWaitForWindowActive(&dlg);
}

QStringList Panel::Texts() const
{
    QStringList out;
    for (const PanelBox& box : boxes) {
        out << (box.informative.isEmpty() ? box.text : box.text + "\n" + box.informative);
    }
    return out;
}

int Panel::Count(const QString& text) const
{
    return static_cast<int>(Texts().count(text));
}

void Panel::Click(int id)
{
    QWidget* w = Control(id);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void Panel::Type(TextField field, const QString& text)
{
    QLineEdit* edit = dlg.Controls().fields[static_cast<std::size_t>(field)];
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Panel::ClickSwitch(SwitchField field, int choice)
{
    QAbstractButton* button = dlg.Controls().switches[static_cast<std::size_t>(field)]->button(choice);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
}

int Panel::ShownChoice(SwitchField field) const
{
    return dlg.Controls().switches[static_cast<std::size_t>(field)]->checkedId();
}

QString Panel::Enabled() const
{
    const PanelControls& c = dlg.Controls();
    QString out;
    for (const QWidget* w : std::initializer_list<const QWidget*>{c.start, c.stop, c.baud, c.port}) {
        out += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    }
    return out;
}

}  // namespace q42::test
