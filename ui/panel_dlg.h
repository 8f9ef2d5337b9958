// SPDX-License-Identifier: MIT
// The "VARNEK-Q42" window: thin glue between the controls, the serial component, the receive
// path and the protocol functions.
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QTimer>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "answer.h"
#include "finding.h"
#include "mscomm.h"
#include "panel_box.h"
#include "panel_controls.h"
#include "receive_accumulator.h"

namespace q42 {

namespace test {
struct Panel;
}

inline constexpr char kPanelCaption[] = "VARNEK-Q42";

class CPanelDlg : public QDialog, public AnswerSink {
    Q_OBJECT

public:
    // Shows a modal box and returns once it is closed. Tests swap it for one that records.
    using MessagePresenter = std::function<void(const PanelBox& box)>;

    explicit CPanelDlg(QWidget* parent = nullptr);

    // AnswerSink
    void SetFieldText(TextField field, const std::string& text) override;
    void SetSwitchChoice(SwitchField field, int choice) override;
    void RefreshSwitches() override;
    void ShowMessage(const std::string& text) override;

    // The switch buttons' selection becomes the stored choices.
    void ReadSwitchChoices();
    // What the operator sees in an edit field now.
    QString EnteredText(TextField field) const;

    void SetMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }
    // What the system does to the adapter, asked only after a failure; this machine's by default.
    using FailureExplainer = std::function<std::optional<Finding>(const std::string& device, Symptom symptom)>;
    void SetFailureExplainer(FailureExplainer explainer) { m_explain = std::move(explainer); }
    const PanelControls& Controls() const { return m_controls; }
    bool Started() const { return m_started; }
    int SwitchChoice(SwitchField field) const { return m_switchChoice[static_cast<std::size_t>(field)]; }

    void OnStart();
    void OnStop();
    void OnSet();
    void OnSearch();
    void OnSave();
    void OnCommEvent();
    void OnTimerTick();

protected:
    // Closing the window (Escape, the close box) ends any wait for an answer.
    void done(int result) override;

private:
    friend struct test::Panel;  // the tests' fixture looks at the port and the tick

    void OnInitDialog();
    void EnterStartedState(bool started);
    bool RefuseUnlessStarted();
    void ShowBox(QMessageBox::Icon icon, const QString& text);
    void ShowBox(const PanelBox& box);
    void ShowBoxLater(const PanelBox& box);
    // Runs a command; a serial error ends it and is shown in an error box, state untouched.
    void Dispatch(void (CPanelDlg::*handler)());
    // A frame of frameChars went out: say so if no answer of answerBytes has come in time.
    void AwaitAnswer(std::size_t frameChars, std::size_t answerBytes);
    void OnAnswerOverdue();
    void EndAnswerWait();
    PanelBox NoAnswer() const;
    // What the system does to the adapter, asked only after a failure.
    std::optional<Finding> Cause(Symptom symptom) const;

    PanelControls m_controls;
    CMSComm m_comm;
    ReceiveAccumulator m_receive;
    QTimer m_tick;
    // Runs only from a send until its answer, so an idle window does no work.
    QTimer m_answerWait;
    bool m_answerOverdue = false;  // due, with a burst still arriving: its end decides
    bool m_heardSinceSend = false;
    qint32 m_startedBaud = 0;
    std::array<int, kSwitchFieldCount> m_switchChoice{kSwitchNone, kSwitchNone, kSwitchNone, kSwitchNone};
    bool m_started = false;
    MessagePresenter m_presenter;
    FailureExplainer m_explain;
};

}  // namespace q42
