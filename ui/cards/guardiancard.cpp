#include "ui/cards/guardiancard.h"

#include "appmodel/appmodel.h"
#include "ui/kit/controls/neubadge.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/controls/plainbutton.h"
#include "ui/kit/motion/reveal.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>

namespace brevik {

namespace {

constexpr int kButtonColumnWidth = 150;

QString cardTitle()
{
    return GuardianCard::tr("代理断网守护");
}

} // namespace

GuardianCard::GuardianCard(AppModel *model, QWidget *parent)
    : NeuPanel(neuRaised(20, 6), parent), m_model(model)
{
    m_badge = new NeuBadge(40, Symbol::shieldLefthalfFilled, neuAccentDeep);
    m_badge->setObjectName(QStringLiteral("badge"));

    auto *main = new QHBoxLayout;
    main->setSpacing(16);
    main->addWidget(m_badge, 0, Qt::AlignTop);
    main->addLayout(buildMiddle(), 1);
    main->addLayout(buildButtons());

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);
    column->addLayout(main);
    column->addLayout(buildRest());
    column->addWidget(buildLog());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    connect(model, &AppModel::guardianOnChanged, this, &GuardianCard::followGuardian);
    connect(model, &AppModel::guardStatusChanged, this, &GuardianCard::followGuardian);
    connect(model, &AppModel::guardFixedCountChanged, this, &GuardianCard::followGuardian);
    connect(model, &AppModel::agentInstalledChanged, this, &GuardianCard::followAgent);
    connect(model, &AppModel::guardLogChanged, this, &GuardianCard::followLog);
    connect(model, &AppModel::guardRestChanged, this, &GuardianCard::followRest);
    connect(model, &AppModel::showGuardLogChanged, this, [this] { followLogShown(true); });
    followGuardian();
    followAgent();
    followLog();
    followRest();
    followLogShown(false);
}

QLayout *GuardianCard::buildMiddle()
{
    m_state = new NeuChip;
    m_state->setObjectName(QStringLiteral("stateChip"));
    m_count = new NeuChip({}, neuAccentDeep, Symbol::boltFill);
    m_count->setObjectName(QStringLiteral("countChip"));
    m_agent =
        new NeuChip(tr("后台常驻已开启"), neuSuccess, Symbol::clockBadgeCheckmark);
    m_agent->setObjectName(QStringLiteral("agentChip"));

    auto *title = new QHBoxLayout;
    title->setSpacing(8);
    title->addWidget(neuLabel(cardTitle(), neuFont(14.5, QFont::Bold), neuText));
    title->addWidget(m_state);
    title->addWidget(m_count);
    title->addWidget(m_agent);
    title->addStretch(1);

    m_status = neuLabel({}, neuFont(12), neuText);
    m_status->setObjectName(QStringLiteral("status"));
    m_logToggle = new PlainButton(neuFont(11, QFont::DemiBold), 11, neuTextSecondary);
    m_logToggle->setObjectName(QStringLiteral("logToggle"));
    connect(m_logToggle, &QAbstractButton::clicked, this,
            [this] { m_model->setShowGuardLog(!m_model->showGuardLog()); });

    auto *status = new QHBoxLayout;
    status->setSpacing(6);
    status->addWidget(new SymbolView(Symbol::dotRadiowavesLeftAndRight, 11, neuAccentDeep));
    status->addWidget(m_status);
    status->addWidget(m_logToggle);
    status->addStretch(1);

    auto *middle = new QVBoxLayout;
    middle->setSpacing(8);
    middle->addLayout(title);
    const QString description =
        tr("ClashX 退出或崩溃后，系统代理会残留指向 127.0.0.1:7890，导致 Velden Studio、浏览器、"
           "Claude 客户端等全部断网。守护会实时检测并自动关闭残留代理，无需密码，网络立即恢复。");
    middle->addWidget(neuLabel(description, neuFont(12), neuTextSecondary, LabelFlow::wrapping));
    middle->addLayout(status);
    return middle;
}

// A layout, not a widget: a widget would clip the buttons' shadows.
QLayout *GuardianCard::buildButtons()
{
    m_switch = new NeuButton;
    m_switch->setObjectName(QStringLiteral("switchButton"));
    connect(m_switch, &QAbstractButton::clicked, m_model, &AppModel::toggleGuardian);
    m_agentButton = new NeuButton;
    m_agentButton->setObjectName(QStringLiteral("agentButton"));
    m_agentButton->setCompact(true);
    connect(m_agentButton, &QAbstractButton::clicked, this, [this] {
        if (m_model->agentInstalled())
            m_model->uninstallGuardAgent();
        else
            m_model->installGuardAgent();
    });

    auto *column = new QVBoxLayout;
    column->setSpacing(10);
    column->addSpacerItem(new QSpacerItem(kButtonColumnWidth, 0, QSizePolicy::Fixed));
    column->addWidget(m_switch, 0, Qt::AlignHCenter);
    column->addWidget(m_agentButton, 0, Qt::AlignHCenter);
    // Aligned, not stretched: a stretch would make the whole card grow into spare room.
    column->setAlignment(Qt::AlignTop);
    return column;
}

// Shown while the guardian rests from a proxy it has fought over: why, and a way to resume.
// A layout holding the button, not a widget: a widget would clip its shadow.
QLayout *GuardianCard::buildRest()
{
    m_rest = neuLabel({}, neuFont(12), neuWarning, LabelFlow::wrapping);
    m_rest->setObjectName(QStringLiteral("rest"));
    m_resume = new NeuButton(tr("恢复守护"), Symbol::playFill);
    m_resume->setObjectName(QStringLiteral("resumeButton"));
    m_resume->setCompact(true);
    m_resume->setHelp(tr("让守护重新处理这个代理"));
    connect(m_resume, &QAbstractButton::clicked, m_model, &AppModel::resumeGuardian);
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    m_restSymbol = new SymbolView(Symbol::pauseCircleFill, 13, neuWarning);
    row->addWidget(m_restSymbol, 0, Qt::AlignTop);
    row->addWidget(m_rest, 1);
    row->addWidget(m_resume, 0, Qt::AlignVCenter);
    return row;
}

void GuardianCard::followRest()
{
    const QString rest = m_model->guardRest();
    // "⏸ 守护已暂停处理…": the symbol beside it says the pause.
    m_rest->setText(rest.startsWith(QStringLiteral("⏸ ")) ? rest.mid(2) : rest);
    const bool shown = !rest.isEmpty();
    m_restSymbol->setVisible(shown);
    m_rest->setVisible(shown);
    m_resume->setVisible(shown);
}

QWidget *GuardianCard::buildLog()
{
    auto *box = new NeuPanel(neuInset());
    auto *lines = new QVBoxLayout(box);
    lines->setContentsMargins(12, 10, 12, 10);
    m_log = neuLabel({}, neuFont(10.5), neuTextSecondary, LabelFlow::wrappingSelectable);
    lines->addWidget(m_log);
    m_logReveal = new Reveal(box);
    m_logReveal->setObjectName(QStringLiteral("log"));
    return m_logReveal;
}

void GuardianCard::followGuardian()
{
    const bool on = m_model->guardianOn();
    m_badge->setSymbol(on ? Symbol::shieldLefthalfFilled : Symbol::shieldSlash,
                       on ? neuAccentDeep : neuTextSecondary);
    m_state->setText(on ? tr("运行中") : tr("已暂停"));
    m_state->setColor(on ? neuSuccess : neuTextSecondary);
    m_state->setIcon(on ? Symbol::checkmarkCircleFill : Symbol::pauseCircleFill);
    m_count->setText(tr("已自动修复 %n 次", nullptr, m_model->guardFixedCount()));
    m_status->setText(m_model->guardStatus());
    m_switch->setTitle(on ? tr("暂停守护") : tr("开启守护"));
    m_switch->setSymbol(on ? Symbol::pauseFill : Symbol::playFill);
    m_switch->setAccent(!on);
}

void GuardianCard::followAgent()
{
    const bool installed = m_model->agentInstalled();
    m_agent->setVisible(installed);
    m_agentButton->setTitle(installed ? tr("卸载后台守护") : tr("安装后台守护"));
    m_agentButton->setSymbol(installed ? Symbol::trash : Symbol::clockArrowCirclepath);
}

void GuardianCard::followLog()
{
    const QStringList lines = m_model->guardLog();
    if (lines.isEmpty()) {
        m_log->setFont(neuFont(11));
        m_log->setText(tr("暂无日志。当守护检测到或修复了代理残留时，这里会记录。"));
    } else {
        m_log->setFont(neuFont(10.5, QFont::Normal, FontDesign::monospaced));
        m_log->setText(lines.join(QLatin1Char('\n')));
    }
}

void GuardianCard::followLogShown(bool animated)
{
    const bool shown = m_model->showGuardLog();
    m_logToggle->setLabel(shown ? tr("隐藏日志") : tr("守护日志"), {});
    m_logReveal->setExpanded(shown, animated);
}

AccessibleFacts GuardianCard::accessibleFacts() const
{
    return readAs(QAccessible::Grouping, cardTitle());
}

} // namespace brevik
