#pragma once

#include "appmodel/batchreport.h"
#include "ui/kit/paint/neupanel.h"

#include <optional>

class QLabel;

namespace brevik {

class HeadlineDot;
class NeuButton;
class NeuChip;

// The top of the window: the logo and name, the headline with its coloured dot and, after
// a batch repair, a chip with its outcome, a chip when the machine is a simulated Mac, and
// the two main buttons.
//
// Parts by object name: "statusTitle", "batchChip", "simulationChip", "repairAllButton",
// "rescanButton".
class HeaderBar final : public NeuPanel {
    Q_OBJECT

public:
    explicit HeaderBar(QWidget *parent = nullptr);

    // `state` says in words what the dot's colour says.
    void setHeadline(const QString &title, NeuRole dot, const QString &state);
    NeuRole dotColor() const;
    // "一键修复全部 (N)"
    void setRepairAll(int fixableCount, bool enabled);
    void setRescanEnabled(bool enabled);
    // The outcome of the last batch repair while its report is kept; none hides the chip.
    void setBatchOutcome(const std::optional<BatchReport> &report);
    // The chip's text when it shows, else empty.
    QString batchOutcome() const;
    // The scenario of the simulated Mac the window works on; empty on a real Mac.
    void setSimulatedMac(const QString &scenario);

    NeuButton *repairAllButton() const { return m_repairAll; }
    NeuButton *rescanButton() const { return m_rescan; }

private:
    HeadlineDot *m_dot;
    QLabel *m_title;
    NeuChip *m_batch;
    NeuChip *m_simulation;
    NeuButton *m_repairAll;
    NeuButton *m_rescan;
};

} // namespace brevik
