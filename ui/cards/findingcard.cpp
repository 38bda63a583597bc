#include "ui/cards/findingcard.h"

#include "appmodel/appmodel.h"
#include "ui/kit/controls/neubadge.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/controls/plainbutton.h"
#include "ui/kit/motion/reveal.h"
#include "ui/kit/motion/spinner.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/statussign.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QClipboard>
#include <QGuiApplication>

namespace brevik {

namespace {

constexpr int kPadding = 16;
constexpr int kColumnSpacing = 16;
constexpr int kActionWidth = 118;
// The buttons' shadows and the spinner beside the repair button overhang the action
// column, into the gap before it and the padding after it.
constexpr int kActionOverhang = 16;
constexpr int kSpinnerSide = 11; // the 16-point small spinner, scaled to 0.7
constexpr int kSpinnerGap = 4;

QWidget *insetBox(QLayout *content, QWidget *parent = nullptr)
{
    auto *box = new NeuPanel(neuInset(12, 4), parent);
    content->setContentsMargins(11, 11, 11, 11);
    box->setLayout(content);
    return box;
}

QString stepsLabel(bool shown, qsizetype count)
{
    return shown ? FindingCard::tr("收起手动步骤")
                 : FindingCard::tr("查看手动修复步骤（%1）").arg(count);
}

} // namespace

QString copiedCommands(const Finding &finding)
{
    QString text = QStringLiteral("# ") + finding.title + QLatin1Char('\n');
    if (!finding.fix)
        return text;
    if (finding.fix->needsAdmin)
        text += FindingCard::tr("# 需要管理员权限（前面加 sudo 或在终端执行）") + QLatin1Char('\n');
    return text + finding.fix->commands().join(QLatin1Char('\n'));
}

FindingCard::FindingCard(const Finding &finding, AppModel *model, QWidget *parent)
    : NeuPanel(neuRaised(20, 6), parent), m_finding(finding), m_model(model)
{
    auto *badge =
        new NeuBadge(42, severitySymbol(finding.severity), severityRole(finding.severity));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, kPadding, kPadding - kActionOverhang, kPadding);
    row->setSpacing(0);
    row->addWidget(badge, 0, Qt::AlignTop);
    row->addSpacing(kColumnSpacing);
    row->addLayout(buildContent(), 1);
    row->addSpacing(kColumnSpacing - kActionOverhang);
    row->addLayout(buildActions());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    connect(model, &AppModel::fixingIdChanged, this, &FindingCard::followBusy);
    connect(model, &AppModel::fixingAllChanged, this, &FindingCard::followBusy);
    connect(model, &AppModel::scanningChanged, this, &FindingCard::followBusy);
    connect(model, &AppModel::undoBusyChanged, this, &FindingCard::followBusy);
    connect(model, &AppModel::fixLogChanged, this, &FindingCard::followLog);
    connect(model, &AppModel::repairedChanged, this, &FindingCard::followBusy);
    followBusy();
    followLog();
}

// Columns are layouts, not widgets: a widget would clip the shadows of the buttons in it.
QBoxLayout *FindingCard::buildContent()
{
    auto *column = new QVBoxLayout;
    column->setSpacing(9);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(
        neuLabel(m_finding.title, neuFont(14.5, QFont::Bold), neuText, LabelFlow::wrapping), 1);
    header->addWidget(new NeuChip(rawValue(m_finding.category)), 0, Qt::AlignTop);
    header->addWidget(new NeuChip(label(m_finding.severity), severityRole(m_finding.severity),
                                  severitySymbol(m_finding.severity)),
                      0, Qt::AlignTop);
    column->addLayout(header);
    QLabel *detail =
        neuLabel(m_finding.detail, neuFont(12.5), neuTextSecondary, LabelFlow::wrappingSelectable);
    detail->setObjectName(QStringLiteral("detail"));
    column->addWidget(detail);

    if (m_finding.fixHint) {
        auto *heading = new QHBoxLayout;
        heading->setSpacing(5);
        heading->addWidget(new SymbolView(Symbol::lightbulbFill, 11, neuAccentDeep));
        heading->addWidget(
            neuLabel(tr("如何修复"), neuFont(11, QFont::Bold), neuAccentDeep));
        heading->addStretch(1);
        auto *hint = new QVBoxLayout;
        hint->setSpacing(6);
        hint->addLayout(heading);
        hint->addWidget(
            neuLabel(*m_finding.fixHint, neuFont(12), neuText, LabelFlow::wrappingSelectable));
        QWidget *box = insetBox(hint);
        box->setObjectName(QStringLiteral("hintBox"));
        column->addWidget(box);
    }

    if (!m_finding.manualSteps.isEmpty()) {
        m_stepsToggle = new PlainButton(neuFont(11.5, QFont::DemiBold), 9, neuAccentDeep);
        m_stepsToggle->setObjectName(QStringLiteral("stepsToggle"));
        m_stepsToggle->setLabel(stepsLabel(false, m_finding.manualSteps.size()),
                                Symbol::chevronRight);
        connect(m_stepsToggle, &QAbstractButton::clicked, this, &FindingCard::toggleSteps);
        column->addWidget(m_stepsToggle, 0, Qt::AlignLeft);

        auto *steps = new QVBoxLayout;
        steps->setSpacing(6);
        for (qsizetype i = 0; i < m_finding.manualSteps.size(); ++i) {
            auto *line = new QHBoxLayout;
            line->setSpacing(6);
            line->addWidget(
                neuLabel(QStringLiteral("%1.").arg(i + 1), neuFont(11.5, QFont::Bold), neuText), 0,
                Qt::AlignTop);
            line->addWidget(neuLabel(m_finding.manualSteps[i], neuFont(11.5), neuText,
                                     LabelFlow::wrappingSelectable),
                            1);
            steps->addLayout(line);
        }
        m_steps = new Reveal(insetBox(steps));
        m_steps->setObjectName(QStringLiteral("steps"));
        column->addWidget(m_steps);
    }

    // Aligned, not stretched: a stretch would make the whole card grow into spare room.
    column->setAlignment(Qt::AlignTop);
    m_column = column;
    return column;
}

// Most cards never show a log: theirs is made when the first one comes.
void FindingCard::buildLogBox()
{
    const QFont logFont = neuFont(11, QFont::Normal, FontDesign::monospaced);
    auto *log = new QHBoxLayout;
    log->setSpacing(5);
    m_sign = new StatusSign(logFont);
    m_log = neuLabel({}, logFont, neuText, LabelFlow::wrapping);
    log->addWidget(m_sign, 0, Qt::AlignTop);
    log->addWidget(m_log, 1);
    m_logBox = insetBox(log);
    m_logBox->setObjectName(QStringLiteral("logBox"));
    m_logBox->hide();
    m_column->addWidget(m_logBox);
}

QBoxLayout *FindingCard::buildActions()
{
    auto *column = new QVBoxLayout;
    column->setSpacing(9);
    // The overhang as margins, not as part of the width: a title wider than the column (the
    // time of a repair, a longer language) widens it instead of reaching the card's edge.
    column->setContentsMargins(kActionOverhang, 0, kActionOverhang, 0);
    column->addSpacerItem(new QSpacerItem(kActionWidth, 0, QSizePolicy::Fixed));

    if (m_finding.fix) {
        const bool error = m_finding.severity == Severity::error;
        m_repairTitle = error ? tr("立即修复") : tr("一键修复");
        m_repair = new NeuButton(m_repairTitle, m_repairSymbol);
        m_repair->setObjectName(QStringLiteral("repairButton"));
        m_repair->setAccent(error);
        m_repair->setHelp(m_finding.fix->needsAdmin
                              ? tr("需要管理员权限：会弹出系统密码框") + QLatin1Char('\n') +
                                    m_finding.fix->title
                              : m_finding.fix->title);
        connect(m_repair, &QAbstractButton::clicked, this, [this] { m_model->fix(m_finding); });
        column->addWidget(m_repair, 0, Qt::AlignHCenter);
        // Beside the button, outside the layout: it comes and goes with every repair, and
        // neither the button nor the list below should move for it.
        m_spinner = new Spinner(kSpinnerSide, this);
        m_spinner->setObjectName(QStringLiteral("spinner"));
        m_spinner->setSpokenName(tr("正在修复…"));
        m_spinner->hide();
        m_repair->installEventFilter(this);

        auto *copy = new NeuButton(tr("复制命令"), Symbol::docOnDoc);
        copy->setObjectName(QStringLiteral("copyButton"));
        copy->setCompact(true);
        connect(copy, &QAbstractButton::clicked, this, &FindingCard::copyCommands);
        column->addWidget(copy, 0, Qt::AlignHCenter);
    } else {
        auto *manual =
            new NeuChip(tr("按提示手动处理"), neuTextSecondary, Symbol::handRaisedFill);
        manual->setObjectName(QStringLiteral("manualChip"));
        column->addWidget(manual, 0, Qt::AlignHCenter);
    }
    column->setAlignment(Qt::AlignTop);
    return column;
}

bool FindingCard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_repair && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        const QRect button = m_repair->geometry();
        m_spinner->move(button.right() + 1 + kSpinnerGap, button.center().y() - kSpinnerSide / 2);
    }
    return NeuPanel::eventFilter(watched, event);
}

void FindingCard::toggleSteps()
{
    m_showSteps = !m_showSteps;
    m_stepsToggle->setLabel(stepsLabel(m_showSteps, m_finding.manualSteps.size()),
                            m_showSteps ? Symbol::chevronDown : Symbol::chevronRight);
    m_steps->setExpanded(m_showSteps);
}

void FindingCard::followBusy()
{
    if (!m_repair)
        return;
    const std::optional<QString> fixing = m_model->fixingId();
    // Repaired, as the check run again found: nothing left to do until the next scan.
    const auto repaired = m_model->repaired().constFind(m_finding.id);
    const bool isRepaired = repaired != m_model->repaired().constEnd();
    // An undo changes the settings a repair would.
    m_repair->setEnabled(!isRepaired && !fixing && !m_model->fixingAll() &&
                         !m_model->scanning() && !m_model->undoBusy());
    m_repair->setTitle(isRepaired
                           ? tr("已修复 %1").arg(repaired->toString(QStringLiteral("HH:mm")))
                           : m_repairTitle);
    m_repair->setSymbol(isRepaired ? std::optional(Symbol::checkmarkCircleFill) : m_repairSymbol);
    m_spinner->setVisible(fixing == m_finding.id);
}

void FindingCard::followLog()
{
    // Every card hears of every log change; only the one whose entry changed repaints.
    const QMap<QString, QString> logs = m_model->fixLog();
    const auto entry = logs.constFind(m_finding.id);
    const bool present = entry != logs.constEnd();
    const bool shown = m_logBox && m_logBox->isVisibleTo(this);
    if (present == shown && (present ? *entry : QString()) == m_shownLog)
        return;
    if (!m_logBox)
        buildLogBox();
    m_shownLog = present ? *entry : QString();
    const auto [sign, rest] = splitStatusSign(m_shownLog);
    m_sign->setSign(sign);
    m_log->setText(rest);
    m_logBox->setVisible(present);
    // The outcome of a repair is said, not only shown.
    if (present)
        announceText(this, tr("%1：%2", "a finding's title, then its repair log")
                               .arg(m_finding.title, m_shownLog));
}

void FindingCard::copyCommands() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(copiedCommands(m_finding));
}

AccessibleFacts FindingCard::accessibleFacts() const
{
    // "系统代理残留（故障）", and its section
    return readAs(QAccessible::Grouping,
                  tr("%1（%2）", "a finding's title, then its severity")
                      .arg(m_finding.title, label(m_finding.severity)),
                  rawValue(m_finding.category));
}

} // namespace brevik
