#pragma once

#include "appmodel/batchreport.h"
#include "diagnostics/netverify.h"
#include "model/finding.h"
#include "ui/kit/paint/neupanel.h"
#include "ui/kit/symbols/symbols.h"

#include <optional>

class QLabel;

namespace brevik {

class NeuButton;
class Spinner;
class SymbolView;

// The verdict of the last internet test: a disc with its sign (or a spinner while the test
// runs), a title and the result's summary, and the button that runs the test again. Below,
// when only the direct path works, a note on the apps that are cut off and what brings them
// back; when the net works and some findings are optional, a note saying they can wait.
//
// Parts by object name: "testButton", "note".
class InternetBanner final : public NeuPanel {
    Q_OBJECT

public:
    explicit InternetBanner(QWidget *parent = nullptr);

    // `repair`: how the repair that started the test ended; absent when none started it.
    // Only a repair that succeeded is called done.
    void setTest(bool checking, const std::optional<NetVerifyResult> &result,
                 std::optional<RepairOutcome> repair);
    // `remedy`: what brings back the apps behind an unusable system proxy.
    void setNote(const std::optional<NetVerifyResult> &result, const QList<Finding> &optionalItems,
                 const QString &remedy);

    // What the banner shows, as the user reads it.
    QString title() const;
    QString subtitle() const;
    std::optional<Symbol> symbol() const; // absent while the spinner turns
    QString noteHeading() const;
    QString noteText() const;
    bool noteShown() const;
    NeuButton *testButton() const { return m_test; }

    AccessibleFacts accessibleFacts() const override;

private:
    QWidget *buildDisc();
    QWidget *buildNote();

    SymbolView *m_sign = nullptr;
    Spinner *m_spinner = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    NeuButton *m_test = nullptr;
    QWidget *m_note = nullptr;
    SymbolView *m_noteSign = nullptr;
    QLabel *m_noteHeading = nullptr;
    QLabel *m_noteText = nullptr;
};

} // namespace brevik
