#pragma once

#include "model/finding.h"
#include "ui/kit/paint/neupanel.h"

class QLabel;

namespace brevik {
class StatusDot;
class SymbolView;

// One AI service of the grid: its name and verdict, whether the direct and the proxied
// probe got through, and the latency of the one that did. A screen reader reads a group
// named by the service, and both states and the latency in words.
class AIServiceCard final : public NeuPanel {
    Q_OBJECT

public:
    // `proxied` (whether the scan had a live proxy to probe through) is not shown.
    AIServiceCard(const AIStatus &item, bool proxied, QWidget *parent = nullptr);

    void setItem(const AIStatus &item, bool proxied);
    AIStatus item() const { return m_item; }
    bool proxied() const { return m_proxied; }

    // What the card shows, as the user reads it.
    SymbolView *verdict() const { return m_verdict; }
    StatusDot *directDot() const { return m_direct; }
    StatusDot *proxyDot() const { return m_proxy; }
    QString latencyText() const;

    AccessibleFacts accessibleFacts() const override;

private:
    AIStatus m_item;
    bool m_proxied;
    QLabel *m_name;
    SymbolView *m_verdict;
    StatusDot *m_direct;
    StatusDot *m_proxy;
    QLabel *m_latency;
};

} // namespace brevik
