#include "ui/content/headerbar.h"

#include "ui/content/batchsummary.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/controls/neulogo.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>

namespace brevik {

// The headline's dot: a plain filled circle, no relief. A screen reader reads its state.
class HeadlineDot final : public QWidget, public Speakable {
public:
    explicit HeadlineDot(int side, QWidget *parent = nullptr) : QWidget(parent)
    {
        setFixedSize(side, side);
    }

    void setColor(NeuRole color)
    {
        if (color == m_color)
            return;
        m_color = color;
        update();
    }
    NeuRole color() const { return m_color; }
    void setState(const QString &state)
    {
        if (state == m_state)
            return;
        m_state = state;
        announceChange(this, QAccessible::NameChanged);
    }

    AccessibleFacts accessibleFacts() const override
    {
        return readAs(QAccessible::StaticText, HeaderBar::tr("状态：%1").arg(m_state));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(neuColor(m_color));
        painter.drawEllipse(QRectF(rect()));
    }

private:
    NeuRole m_color = neuTextSecondary;
    QString m_state;
};

HeaderBar::HeaderBar(QWidget *parent)
    : NeuPanel(neuRaised(), parent), m_dot(new HeadlineDot(8)),
      m_title(neuLabel({}, neuFont(13, QFont::Medium, FontDesign::rounded), neuTextSecondary)),
      m_batch(new NeuChip), m_simulation(new NeuChip({}, neuWarning, Symbol::infoCircleFill)),
      m_repairAll(new NeuButton({}, Symbol::wrenchAndScrewdriverFill)),
      m_rescan(new NeuButton(tr("重新扫描"), Symbol::arrowClockwise))
{
    m_title->setObjectName(QStringLiteral("statusTitle"));
    m_batch->setObjectName(QStringLiteral("batchChip"));
    m_batch->hide();
    m_simulation->setObjectName(QStringLiteral("simulationChip"));
    m_simulation->hide();
    m_repairAll->setObjectName(QStringLiteral("repairAllButton"));
    m_repairAll->setAccent(true);
    m_repairAll->setHelp(tr("自动修复所有可修复的问题；需要权限时只弹一次密码框"));
    m_rescan->setObjectName(QStringLiteral("rescanButton"));

    auto *name = new QHBoxLayout;
    name->setSpacing(10);
    name->addWidget(neuLabel(QStringLiteral("Brevik"), neuFont(22, QFont::Bold), neuText));
    name->addWidget(m_simulation, 0, Qt::AlignVCenter);
    name->addStretch(1);

    auto *status = new QHBoxLayout;
    status->setSpacing(7);
    status->addWidget(m_dot, 0, Qt::AlignVCenter);
    status->addWidget(m_title);
    status->addSpacing(3);
    status->addWidget(m_batch, 0, Qt::AlignVCenter);
    status->addStretch(1);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addLayout(name);
    titles->addLayout(status);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(20, 16, 22, 16);
    row->setSpacing(16);
    row->addWidget(new NeuLogo(52), 0, Qt::AlignVCenter);
    row->addLayout(titles, 1);
    row->addWidget(m_repairAll, 0, Qt::AlignVCenter);
    row->addSpacing(-2);
    row->addWidget(m_rescan, 0, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setRepairAll(0, false);
}

void HeaderBar::setHeadline(const QString &title, NeuRole dot, const QString &state)
{
    m_title->setText(title);
    m_dot->setColor(dot);
    m_dot->setState(state);
}

NeuRole HeaderBar::dotColor() const
{
    return m_dot->color();
}

void HeaderBar::setRepairAll(int fixableCount, bool enabled)
{
    // A new title lays the button out again: only when it reads otherwise.
    const QString title = tr("一键修复全部 (%1)").arg(fixableCount);
    if (title != m_repairAll->title())
        m_repairAll->setTitle(title);
    m_repairAll->setEnabled(enabled);
}

void HeaderBar::setRescanEnabled(bool enabled)
{
    m_rescan->setEnabled(enabled);
}

void HeaderBar::setBatchOutcome(const std::optional<BatchReport> &report)
{
    m_batch->setVisible(report.has_value());
    if (!report)
        return;
    m_batch->setText(report->headline());
    m_batch->setColor(outcomeColor(report->outcome));
    m_batch->setIcon(outcomeSymbol(report->outcome));
}

QString HeaderBar::batchOutcome() const
{
    return m_batch->isVisibleTo(this) ? m_batch->text() : QString();
}

void HeaderBar::setSimulatedMac(const QString &scenario)
{
    m_simulation->setText(tr("模拟的 Mac：%1").arg(scenario));
    m_simulation->setToolTip(
        tr("这不是你自己的电脑：诊断与修复都在模拟的 Mac（场景 %1）上进行。").arg(scenario));
    m_simulation->setVisible(!scenario.isEmpty());
}

} // namespace brevik
