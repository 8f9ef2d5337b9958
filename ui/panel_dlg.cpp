// SPDX-License-Identifier: MIT
#include "panel_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app_icon.h"
#include "comm_error.h"
#include "comm_receive.h"
#include "this_system.h"
#include "failure_symptom.h"
#include "payloads.h"
#include "port_names.h"
#include "text_number.h"
#include "unit_line.h"

namespace q42 {

namespace {
const QString kPleaseStart = QStringLiteral("Please Click START");
const QString kCantOpen = QStringLiteral("can't open com port!");
// A set and a save are acknowledged with one byte; a query is answered with every value, in the
// shape of the set payload.
constexpr std::size_t kAcknowledgementBytes = 1;
constexpr std::size_t kQueryAnswerBytes = kSetPayloadBytes;
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

    m_explain = ExplainFailureHere;
    m_presenter = [this](const PanelBox& shown) {
        QMessageBox box(shown.icon, QString::fromLatin1(kPanelCaption), shown.text, QMessageBox::Ok, this);
        if (!shown.informative.isEmpty()) {
            // The first sentence stands out; both parts as escaped rich text, so that a device's
            // own string can never be taken for markup.
            box.setTextFormat(Qt::RichText);
            box.setText(QStringLiteral("<b>%1</b>").arg(shown.text.toHtmlEscaped()));
            box.setInformativeText(QStringLiteral("<p>%1</p>").arg(shown.informative.toHtmlEscaped().replace(
                QLatin1String("\n\n"), QLatin1String("</p><p>"))));
        }
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
    m_answerWait.setSingleShot(true);
    m_answerWait.setTimerType(Qt::PreciseTimer);  // never before the unit's time is up
    connect(&m_answerWait, &QTimer::timeout, this, [this] { Dispatch(&CPanelDlg::OnAnswerOverdue); });

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
        const std::optional<Symptom> symptom = SymptomOf(e.Kind());
        ShowBox(FailureBox(e, symptom ? Cause(*symptom) : std::nullopt));
    }
}

void CPanelDlg::ShowBox(QMessageBox::Icon icon, const QString& text)
{
    ShowBox(PanelBox{icon, text, {}});
}

void CPanelDlg::ShowBox(const PanelBox& box)
{
    m_presenter(box);
}

void CPanelDlg::ShowBoxLater(const PanelBox& box)
{
    // A box opened inside the tick's handler would hold the tick until the operator closes it, and
    // answers arriving meanwhile would wait; so it opens once the handler has returned.
    QMetaObject::invokeMethod(this, [this, box] { ShowBox(box); }, Qt::QueuedConnection);
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
    ShowBoxLater(PanelBox{QMessageBox::Warning, QString::fromStdString(text), {}});
}

void CPanelDlg::ReadSwitchChoices()
{
    for (std::size_t s = 0; s < m_switchChoice.size(); ++s) {
        m_switchChoice[s] = SwitchChoiceOf(m_controls.switches[s]);
    }
}

QString CPanelDlg::EnteredText(TextField field) const
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
    // The rate must be a chosen list item; a port may also be typed, since an adapter may have any
    // number up to kHighestPortNumber.
    const QString baud = SelectedItemText(m_controls.baud);
    const std::optional<int> port = ParsePortNumber(m_controls.port->currentText());
    if (baud.isEmpty()) {
        ShowBox(QMessageBox::Warning, tr("Choose a baud rate from the \"Baud Rate\" list."));
        return;
    }
    if (!port) {
        ShowBox(QMessageBox::Warning, tr("Choose a port number from the \"COM\" list, or type one from 1 to %1 "
                                         "(12 or COM12 for COM12).")
                                          .arg(kHighestPortNumber));
        return;
    }
    if (m_comm.PortOpen()) {
        m_comm.PortOpen(false);
    }
    if (m_comm.PortOpen()) {
        ShowBox(QMessageBox::Warning, kCantOpen);
        return;
    }
    const int rate = TextToInt(baud.toStdString());
    OpenUnitLine(m_comm, {*port, QString(), rate});
    m_startedBaud = rate;
    EnterStartedState(true);
}

void CPanelDlg::OnStop()
{
    // The port stays open: an answer still on its way is gathered and interpreted, but no longer
    // awaited.
    EndAnswerWait();
    EnterStartedState(false);
}

void CPanelDlg::done(int result)
{
    EndAnswerWait();
    QDialog::done(result);
}

void CPanelDlg::AwaitAnswer(std::size_t frameChars, std::size_t answerBytes)
{
    EndAnswerWait();
    m_heardSinceSend = false;
    m_answerWait.start(AnswerWaitMs(m_startedBaud, frameChars, answerBytes));
}

void CPanelDlg::EndAnswerWait()
{
    m_answerWait.stop();
    m_answerOverdue = false;
}

void CPanelDlg::OnAnswerOverdue()
{
    // Bytes still arriving may be the answer, which the window reads once the line has been quiet;
    // the tick that ends their burst decides (it runs while the countdown does).
    if (m_receive.QuietCountdown() > 0) {
        m_answerOverdue = true;
        return;
    }
    ShowBox(NoAnswer());
}

PanelBox CPanelDlg::NoAnswer() const
{
    const QString port = m_comm.DeviceName() == m_comm.PortLabel()
                             ? m_comm.PortLabel()
                             : QStringLiteral("%1 (%2)").arg(m_comm.PortLabel(), m_comm.DeviceName());
    const QString where = QStringLiteral("%1 at %2 baud").arg(port).arg(m_startedBaud);
    const QString other = QString::number(OtherUnitRate(m_startedBaud));
    if (m_heardSinceSend) {
        return NoAnswerBox(tr("%1: bytes came, but no answer of the unit.").arg(where),
                           tr("The unit may talk at %1 baud (press Stop, choose %1 and press Start), or the line is "
                              "disturbed: check the cable.")
                               .arg(other),
                           Cause(Symptom::Silent));
    }
    return NoAnswerBox(tr("%1: the unit did not answer.").arg(where),
                       tr("Check that it is powered and that the cable is plugged in. If the unit may be set to %1 "
                          "baud, press Stop, choose %1 and press Start.")
                           .arg(other),
                       Cause(Symptom::Silent));
}

std::optional<Finding> CPanelDlg::Cause(Symptom symptom) const
{
    return m_explain(m_comm.DeviceName().toStdString(), symptom);
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
        settings.Text(static_cast<TextField>(f)) = EnteredText(static_cast<TextField>(f)).toStdString();
    }
    for (int s = 0; s < kSwitchFieldCount; ++s) {
        settings.Switch(static_cast<SwitchField>(s)) = m_switchChoice[static_cast<std::size_t>(s)];
    }
    AwaitAnswer(SendPayload(m_comm, BuildSetPayload(settings)), kAcknowledgementBytes);
}

void CPanelDlg::OnSearch()
{
    if (!RefuseUnlessStarted()) {
        AwaitAnswer(SendPayload(m_comm, BuildQueryPayload()), kQueryAnswerBytes);
    }
}

void CPanelDlg::OnSave()
{
    if (!RefuseUnlessStarted()) {
        AwaitAnswer(SendPayload(m_comm, BuildSavePayload()), kAcknowledgementBytes);
    }
}

void CPanelDlg::OnCommEvent()
{
    const int kind = DeliverCommEvent(m_comm, m_receive);
    // Every event of the port, with data or without, puts the switch buttons back to their stored
    // choices: a click not yet sent with Set snaps back.
    RefreshSwitches();
    // Restarted at every event, so the quiet gap is exactly 20 ticks from the last one.
    m_tick.start();
    m_heardSinceSend = m_heardSinceSend || kind == CMSComm::comEvReceive;
    if (kind == CMSComm::comEvDeviceLost) {
        // The component has closed the port; Start reopens it once the device is back.
        EndAnswerWait();
        EnterStartedState(false);
        ShowBoxLater(PanelBox{QMessageBox::Critical, m_comm.EventDescription(), {}});
    }
}

void CPanelDlg::OnTimerTick()
{
    const std::optional<UnitAnswer> answer = m_receive.OnTimerTick();
    if (answer) {
        RenderAnswer(*answer, *this);
    }
    if (answer && (answer->kind == AnswerKind::Settings || answer->kind == AnswerKind::Acknowledged)) {
        EndAnswerWait();
    } else if (m_answerOverdue && m_receive.QuietCountdown() == 0) {
        m_answerOverdue = false;
        ShowBoxLater(NoAnswer());
    }
    if (m_receive.Resting()) {
        m_tick.stop();  // nothing can change until the next port event restarts it
    }
}

}  // namespace q42
