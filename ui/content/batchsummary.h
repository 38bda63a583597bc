#pragma once

#include "appmodel/batchreport.h"
#include "ui/kit/paint/neupanel.h"
#include "ui/kit/symbols/symbols.h"

#include <QColor>

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace brevik {

class NeuButton;
class SymbolView;

// How an outcome is drawn wherever it shows: the header's chip and the summary.
NeuRole outcomeColor(RepairOutcome outcome);
Symbol outcomeSymbol(RepairOutcome outcome);

// What the last batch repair did, under the banner until the user puts it away: its
// outcome, and each repair's title with its log. The rescan after a batch replaces the
// findings and their logs; this stays, so the logs can still be read.
//
// Parts by object name: "batchLines" (the scrolling list of logs), "dismissButton".
class BatchSummary final : public NeuPanel {
    Q_OBJECT

public:
    explicit BatchSummary(QWidget *parent = nullptr);

    // Shows the report; hides the summary when there is none.
    void setReport(const std::optional<BatchReport> &report);

    QString title() const;
    QString explanation() const;
    // Each repair as the user reads it: its title, a line feed, its log.
    QStringList lines() const;
    NeuButton *dismissButton() const { return m_dismiss; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitLines();

    SymbolView *m_sign;
    QLabel *m_title;
    QLabel *m_explanation;
    NeuButton *m_dismiss;
    QScrollArea *m_scroll;
    QWidget *m_linesBox;
    QVBoxLayout *m_lines;
    QStringList m_shownLines;
};

} // namespace brevik
