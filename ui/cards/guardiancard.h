#pragma once

#include "ui/kit/paint/neupanel.h"

class QLabel;

namespace brevik {

class AppModel;
class NeuBadge;
class NeuButton;
class NeuChip;
class PlainButton;
class Reveal;
class SymbolView;

// The proxy guardian's panel: its state and repair count, what it does, its last status
// and log, the on/off switch and the background agent's button. It reads the model and
// calls its guardian operations; the log's visibility is the model's, so it outlives the
// card.
//
// Parts by object name: "badge", "stateChip", "countChip", "agentChip", "status",
// "logToggle", "rest", "resumeButton", "switchButton", "agentButton", "log".
class GuardianCard final : public NeuPanel {
    Q_OBJECT

public:
    explicit GuardianCard(AppModel *model, QWidget *parent = nullptr);

    AccessibleFacts accessibleFacts() const override;

private:
    QLayout *buildMiddle();
    QLayout *buildButtons();
    QWidget *buildLog();
    QLayout *buildRest();
    void followRest();
    void followGuardian();
    void followAgent();
    void followLog();
    void followLogShown(bool animated);

    AppModel *m_model;
    NeuBadge *m_badge = nullptr;
    NeuChip *m_state = nullptr;
    NeuChip *m_count = nullptr;
    NeuChip *m_agent = nullptr;
    QLabel *m_status = nullptr;
    PlainButton *m_logToggle = nullptr;
    SymbolView *m_restSymbol = nullptr;
    QLabel *m_rest = nullptr;
    NeuButton *m_resume = nullptr;
    NeuButton *m_switch = nullptr;
    NeuButton *m_agentButton = nullptr;
    QLabel *m_log = nullptr;
    Reveal *m_logReveal = nullptr;
};

} // namespace brevik
