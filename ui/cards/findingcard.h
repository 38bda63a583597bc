#pragma once

#include "model/finding.h"
#include "ui/kit/paint/neupanel.h"
#include "ui/kit/symbols/symbols.h"

#include <optional>

class QBoxLayout;
class QLabel;

namespace brevik {

class AppModel;
class NeuButton;
class PlainButton;
class Reveal;
class Spinner;
class StatusSign;

// The text "复制命令" puts on the clipboard: the finding's title as a comment, a reminder
// when the commands need administrator rights, then the commands, one per line.
QString copiedCommands(const Finding &finding);

// One finding: its severity badge, title, category and severity, detail, repair hint,
// manual steps and repair log, and the repair and copy buttons. It reads the model and
// calls its repair; it changes nothing else. A screen reader reads a group named by the
// title and the severity in words.
//
// Its parts carry object names for whoever needs to find them: "detail", "repairButton",
// "spinner", "manualChip", "copyButton", "hintBox", "stepsToggle", "steps", "logBox".
class FindingCard final : public NeuPanel {
    Q_OBJECT

public:
    FindingCard(const Finding &finding, AppModel *model, QWidget *parent = nullptr);

    Finding finding() const { return m_finding; }
    bool stepsShown() const { return m_showSteps; }

    AccessibleFacts accessibleFacts() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QBoxLayout *buildContent();
    QBoxLayout *buildActions();
    void buildLogBox();
    void toggleSteps();
    void followBusy();
    void followLog();
    void copyCommands() const;

    Finding m_finding;
    AppModel *m_model;
    bool m_showSteps = false;
    QString m_repairTitle;
    std::optional<Symbol> m_repairSymbol = Symbol::boltFill;
    NeuButton *m_repair = nullptr;
    Spinner *m_spinner = nullptr;
    PlainButton *m_stepsToggle = nullptr;
    Reveal *m_steps = nullptr;
    QBoxLayout *m_column = nullptr;
    QWidget *m_logBox = nullptr; // made with the first log
    StatusSign *m_sign = nullptr;
    QLabel *m_log = nullptr;
    QString m_shownLog;
};

} // namespace brevik
