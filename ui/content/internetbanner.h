#pragma once

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
// when the net works and some findings are optional, a note saying they can wait.
//
// Parts by object name: "testButton", "note".
class InternetBanner final : public NeuPanel {
    Q_OBJECT

public:
    explicit InternetBanner(QWidget *parent = nullptr);

    void setTest(bool checking, const std::optional<NetVerifyResult> &result, bool afterFix);
    // Shown only when `netUsable` and `optionalItems` is not empty.
    void setNote(bool netUsable, const QList<Finding> &optionalItems);

    // What the banner shows, as the user reads it.
    QString title() const;
    QString subtitle() const;
    std::optional<Symbol> symbol() const; // absent while the spinner turns
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
    QLabel *m_noteText = nullptr;
};

} // namespace brevik
