#include "ui/content/internetbanner.h"

#include "diagnostics/endpoints.h"
#include "diagnostics/webverdict.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/motion/spinner.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>

namespace brevik {

namespace {

constexpr int kDisc = 42;
// The platform's small spinner is 16 points; the banner shows it at 0.65.
constexpr int kSpinnerSide = 10;
// How many optional titles the note names before it says "等".
constexpr int kNamedItems = 3;

struct Verdict {
    QString title;
    QString subtitle;
    Symbol symbol = Symbol::questionmarkCircle;
    NeuRole color = neuTextSecondary;
};

// A repair that did not succeed goes before the verdict, so that a test it started can never
// read as the repair's success.
QString afterRepair(std::optional<RepairOutcome> repair, const QString &verdict)
{
    switch (repair.value_or(RepairOutcome::succeeded)) {
    case RepairOutcome::succeeded:
        break;
    case RepairOutcome::partly:
        return InternetBanner::tr("部分修复未成功，%1").arg(verdict);
    case RepairOutcome::failed:
        return InternetBanner::tr("修复未成功，%1").arg(verdict);
    case RepairOutcome::cancelled:
        return InternetBanner::tr("修复已取消，%1").arg(verdict);
    }
    return verdict;
}

Verdict verdict(bool checking, const std::optional<NetVerifyResult> &result,
                std::optional<RepairOutcome> repair)
{
    if (checking) {
        return {InternetBanner::tr("正在实测能否上网…"),
                InternetBanner::tr("正在用 %1 发起一次真实搜索访问请求，请稍候…")
                    .arg(Endpoints::kSearchHost)};
    }
    if (!result) {
        return {InternetBanner::tr("尚未做上网实测"),
                InternetBanner::tr("点右侧「重新测试」立即验证一次端到端上网能力。")};
    }
    switch (result->verdict()) {
    case WebVerdict::failed:
        return {afterRepair(repair, InternetBanner::tr("上网测试未通过")), result->summary,
                Symbol::xmarkOctagonFill, neuDanger};
    case WebVerdict::directOnly:
        return {afterRepair(repair, DirectOnly::title()), result->summary,
                Symbol::exclamationmarkTriangleFill, neuWarning};
    case WebVerdict::usable:
        break;
    }
    const QString usable = repair == RepairOutcome::succeeded
                               ? InternetBanner::tr("修复完成：现在可以正常上网")
                               : InternetBanner::tr("可以正常上网");
    return {afterRepair(repair, usable), result->summary, Symbol::checkmarkCircleFill,
            neuSuccess};
}

// The label's text in the ink of `role`, following the appearance.
void recolour(QLabel *label, NeuRole role)
{
    bindPalette(label, {{QPalette::WindowText, role, true}});
}

} // namespace

InternetBanner::InternetBanner(QWidget *parent) : NeuPanel(neuInset(18, 5), parent)
{
    m_title = neuLabel({}, neuFont(15, QFont::Bold), neuText);
    m_subtitle = neuLabel({}, neuFont(12), neuTextSecondary, LabelFlow::wrappingSelectable);
    m_test = new NeuButton({}, Symbol::arrowTriangle2Circlepath);
    m_test->setObjectName(QStringLiteral("testButton"));
    m_test->setCompact(true);
    m_test->setHelp(tr("用 %1 做一次真实搜索访问测试").arg(Endpoints::kSearchHost));

    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    texts->setAlignment(Qt::AlignVCenter);

    auto *main = new QHBoxLayout;
    main->setSpacing(14);
    main->addWidget(buildDisc(), 0, Qt::AlignVCenter);
    main->addLayout(texts, 1);
    main->addSpacing(8);
    main->addWidget(m_test, 0, Qt::AlignVCenter);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 18, 14);
    column->setSpacing(12);
    column->addLayout(main);
    column->addWidget(buildNote());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTest(false, std::nullopt, std::nullopt);
    setNote(std::nullopt, {}, {});
}

QWidget *InternetBanner::buildDisc()
{
    auto *disc = new NeuPanel(neuRaised(kDisc / 2.0, 4));
    disc->setFixedSize(kDisc, kDisc);
    m_sign = new SymbolView(Symbol::questionmarkCircle, 17, neuTextSecondary);
    m_spinner = new Spinner(kSpinnerSide);
    m_spinner->setSpokenName(tr("正在实测能否上网"));
    auto *centre = new QHBoxLayout(disc);
    centre->setContentsMargins(0, 0, 0, 0);
    centre->addWidget(m_sign, 0, Qt::AlignCenter);
    centre->addWidget(m_spinner, 0, Qt::AlignCenter);
    return disc;
}

QWidget *InternetBanner::buildNote()
{
    m_note = new QWidget;
    m_note->setObjectName(QStringLiteral("note"));
    m_noteText = neuLabel({}, neuFont(12), neuText, LabelFlow::wrappingSelectable);

    m_noteSign = new SymbolView(Symbol::handThumbsupFill, 11, neuSuccess);
    m_noteHeading = neuLabel({}, neuFont(11.5, QFont::Bold), neuSuccess);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(5);
    heading->addWidget(m_noteSign);
    heading->addWidget(m_noteHeading);

    // The heading sits on the first line of the text, which may wrap below it.
    auto *row = new QHBoxLayout(m_note);
    row->setContentsMargins(kDisc + 14, 0, 0, 0);
    row->setSpacing(10);
    row->addLayout(heading);
    row->setAlignment(heading, Qt::AlignTop);
    row->addWidget(m_noteText, 1);
    return m_note;
}

void InternetBanner::setTest(bool checking, const std::optional<NetVerifyResult> &result,
                             std::optional<RepairOutcome> repair)
{
    const Verdict shown = verdict(checking, result, repair);
    m_title->setText(shown.title);
    m_subtitle->setText(shown.subtitle);
    m_sign->setSymbol(shown.symbol, shown.color);
    m_sign->setVisible(!checking);
    m_spinner->setVisible(checking);
    const QString button = checking ? tr("测试中…") : tr("重新测试");
    if (button != m_test->title())
        m_test->setTitle(button);
    m_test->setEnabled(!checking);
}

void InternetBanner::setNote(const std::optional<NetVerifyResult> &result,
                             const QList<Finding> &optionalItems, const QString &remedy)
{
    const std::optional<WebVerdict> net = result ? std::optional(result->verdict()) : std::nullopt;
    if (net == WebVerdict::directOnly) {
        // The page came directly: the apps that follow the system settings did not get it.
        m_noteSign->setSymbol(Symbol::exclamationmarkTriangleFill, neuWarning);
        m_noteHeading->setText(tr("如何恢复"));
        recolour(m_noteHeading, neuWarning);
        m_noteText->setText(
            tr("浏览器、Velden Studio 等应用会把请求交给系统代理 %1，而它现在无法使用。%2",
               "then how to recover")
                .arg(result->unusableProxy, remedy));
        m_note->setVisible(true);
        return;
    }
    const bool shown = net == WebVerdict::usable && !optionalItems.isEmpty();
    if (shown) {
        m_noteSign->setSymbol(Symbol::handThumbsupFill, neuSuccess);
        m_noteHeading->setText(tr("这几项可以先放一放"));
        recolour(m_noteHeading, neuSuccess);
        QStringList titles;
        for (qsizetype i = 0; i < std::min<qsizetype>(kNamedItems, optionalItems.size()); ++i)
            titles << optionalItems[i].title;
        const QString named = titles.join(tr("、", "between the named items"));
        m_noteText->setText(
            optionalItems.size() > kNamedItems
                ? tr("网络已经通了，下面 %n 项属于可修可不修的优化项，不影响上网：%1 等", nullptr,
                     int(optionalItems.size()))
                      .arg(named)
                : tr("网络已经通了，下面 %n 项属于可修可不修的优化项，不影响上网：%1", nullptr,
                     int(optionalItems.size()))
                      .arg(named));
    }
    m_note->setVisible(shown);
}

QString InternetBanner::title() const
{
    return m_title->text();
}

QString InternetBanner::subtitle() const
{
    return m_subtitle->text();
}

std::optional<Symbol> InternetBanner::symbol() const
{
    if (m_spinner->isVisibleTo(this))
        return std::nullopt;
    return m_sign->symbol();
}

QString InternetBanner::noteHeading() const
{
    return m_note->isVisibleTo(this) ? m_noteHeading->text() : QString();
}

QString InternetBanner::noteText() const
{
    return m_note->isVisibleTo(this) ? m_noteText->text() : QString();
}

bool InternetBanner::noteShown() const
{
    return m_note->isVisibleTo(this);
}

AccessibleFacts InternetBanner::accessibleFacts() const
{
    return readAs(QAccessible::Grouping, tr("上网实测"));
}

} // namespace brevik
