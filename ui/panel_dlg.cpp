// SPDX-License-Identifier: MIT
#include "panel_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app_icon.h"
#include "comm_error.h"
#include "comm_receive.h"
#include "payloads.h"
#include "text_number.h"
#include "unit_line.h"

namespace q42 {

namespace {
const QString kPleaseStart = QStringLiteral("Please Click START");
const QString kCantOpen = QStringLiteral("can't open com port!");
}  // namespace

CPanelDlg::CPanelDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(kPanelCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(PanelFont());
    const DialogUnits units(font());
    setFixedSize(units.X(kDialogWidthDu), units.Y(kDialogHeightDu));
    m_controls = BuildPanelControls(this, units);

    m_presenter = [this](QMessageBox::Icon icon, const QString& text) {
        QMessageBox box(icon, QString::fromLatin1(kPanelCaption), text, QMessageBox::Ok, this);
        box.exec();
    };

    connect(m_controls.start, &QPushButton::clicked, this, [this] { Dispatch(&CPanelDlg::OnStart); });
    connect(m_controls.stop, &QPushButton::clicked, this, [this] { Dispatch(&CPanelDlg::OnStop); });
    connect(m_controls.set, &QPushButton::clicked, this, [this] { Dispatch(&CPanelDlg::OnSet); });
    connect(m_controls.search, &QPushButton::clicked, this, [this] { Dispatch(&CPanelDlg::OnSearch); });
    connect(m_controls.save, &QPushButton::clicked, this, [this] { Dispatch(&CPanelDlg::OnSave); });
    connect(&m_comm, &CMSComm::OnComm, this, [this] { Dispatch(&CPanelDlg::OnCommEvent); });
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(kReceiveTickMs);
    connect(&m_tick, &QTimer::timeout, this, &CPanelDlg::OnTimerTick);

    OnInitDialog();
}

void CPanelDlg::OnInitDialog()
{
    // The stopped state and the switches (no choice, no button checked) start with the dialog's
    // members; the rest is set here.
    setWindowIcon(AppIcon());
    m_receive.InitReceive();
    m_tick.start();
    m_controls.stop->setEnabled(false);
    m_controls.baud->setCurrentIndex(kDefaultBaudIndex);
    m_controls.port->setCurrentIndex(kDefaultPortIndex);
    m_controls.byId.value(kSwitchOnIds[0])->setFocus();
}

void CPanelDlg::Dispatch(void (CPanelDlg::*handler)())
{
    try {
        (this->*handler)();
    } catch (const CommError& e) {
        ShowBox(QMessageBox::Critical, QString::fromStdString(e.what()));
    }
}

void CPanelDlg::ShowBox(QMessageBox::Icon icon, const QString& text)
{
    m_presenter(icon, text);
}

void CPanelDlg::ShowBoxLater(QMessageBox::Icon icon, const QString& text)
{
    // A box opened inside the tick's handler would hold the tick until the operator closes it, and
    // answers arriving meanwhile would wait; so it opens once the handler has returned.
    QMetaObject::invokeMethod(this, [this, icon, text] { ShowBox(icon, text); }, Qt::QueuedConnection);
}

void CPanelDlg::SetFieldText(TextField field, const std::string& text)
{
    m_controls.fields[static_cast<std::size_t>(field)]->setText(QString::fromStdString(text));
}

void CPanelDlg::SetSwitchChoice(SwitchField field, int choice)
{
    m_switchChoice[static_cast<std::size_t>(field)] = choice;
}

void CPanelDlg::RefreshSwitches()
{
    for (std::size_t s = 0; s < m_switchChoice.size(); ++s) {
        ShowSwitchChoice(m_controls.switches[s], m_switchChoice[s]);
    }
}

void CPanelDlg::ShowMessage(const std::string& text)
{
    ShowBoxLater(QMessageBox::Warning, QString::fromStdString(text));
}

void CPanelDlg::ReadSwitchChoices()
{
    for (std::size_t s = 0; s < m_switchChoice.size(); ++s) {
        m_switchChoice[s] = SwitchChoiceOf(m_controls.switches[s]);
    }
}

QString CPanelDlg::FieldText(TextField field) const
{
    return m_controls.fields[static_cast<std::size_t>(field)]->text();
}

void CPanelDlg::EnterStartedState(bool started)
{
    if (started) {
        m_started = true;
        m_controls.baud->setEnabled(false);
        m_controls.stop->setEnabled(true);
        m_controls.port->setEnabled(false);
        m_controls.start->setEnabled(false);
    } else {
        m_controls.stop->setEnabled(false);
        m_controls.baud->setEnabled(true);
        m_controls.port->setEnabled(true);
        m_controls.start->setEnabled(true);
        m_started = false;
    }
}

void CPanelDlg::OnStart()
{
    // Only a chosen list item counts; typed text is never sent to the port.
    const QString baud = SelectedItemText(m_controls.baud);
    const QString port = SelectedItemText(m_controls.port);
    if (baud.isEmpty() || port.isEmpty()) {
        ShowBox(QMessageBox::Warning, baud.isEmpty() ? tr("Choose a baud rate from the \"Baud Rate\" list.")
                                                     : tr("Choose a port number from the \"COM\" list."));
        return;
    }
    if (m_comm.PortOpen()) {
        m_comm.PortOpen(false);
    }
    if (m_comm.PortOpen()) {
        ShowBox(QMessageBox::Warning, kCantOpen);
        return;
    }
    OpenUnitLine(m_comm, {TextToInt(port.toStdString()), QString(), TextToInt(baud.toStdString())});
    EnterStartedState(true);
}

void CPanelDlg::OnStop()
{
    // The port stays open: an answer still on its way is gathered and interpreted.
    EnterStartedState(false);
}

bool CPanelDlg::RefuseUnlessStarted()
{
    if (!m_started) {
        ShowBox(QMessageBox::Warning, kPleaseStart);  // nothing is sent
    }
    return !m_started;
}

void CPanelDlg::OnSet()
{
    if (RefuseUnlessStarted()) {
        return;
    }
    ReadSwitchChoices();
    DeviceSettings settings;
    for (int f = 0; f < kTextFieldCount; ++f) {
        settings.Text(static_cast<TextField>(f)) = FieldText(static_cast<TextField>(f)).toStdString();
    }
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        settings.Switch(static_cast<SwitchField>(s)) = m_switchChoice[static_cast<std::size_t>(s)];
    }
    SendPayload(m_comm, BuildSetPayload(settings));
}

void CPanelDlg::OnSearch()
{
    if (!RefuseUnlessStarted()) {
        SendPayload(m_comm, BuildQueryPayload());
    }
}

void CPanelDlg::OnSave()
{
    if (!RefuseUnlessStarted()) {
        SendPayload(m_comm, BuildSavePayload());
    }
}

void CPanelDlg::OnCommEvent()
{
    const int kind = DeliverCommEvent(m_comm, m_receive);
    // Restarted at every event, so the quiet gap is exactly 20 ticks from the last one.
    m_tick.start();
    if (kind == CMSComm::comEventDeviceLost) {
        // The component has closed the port; Start reopens it once the device is back.
        EnterStartedState(false);
        ShowBoxLater(QMessageBox::Critical, m_comm.EventDescription());
    }
}

void CPanelDlg::OnTimerTick()
{
    m_receive.OnTimerTick();
    if (m_receive.Resting()) {
        m_tick.stop();  // nothing can change until the next port event restarts it
    }
}

}  // namespace q42
