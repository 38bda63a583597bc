#include "ui/content/batchsummary.h"

#include "ui/kit/text/labels.h"
#include "ui/kit/controls/neubutton.h"
#include "ui/kit/text/statussign.h"
#include "ui/kit/symbols/symbolview.h"
#include "ui/kit/text/typography.h"

#include <QBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace brevik {

namespace {

// Past this the logs scroll inside the summary, so that it never pushes the list out of
// the window.
constexpr int kMostLinesHeight = 150;
constexpr int kSignSide = 15;
constexpr int kHeadingGap = 10;

QWidget *lineOf(const BatchReport::Line &line)
{
    const auto [sign, rest] = splitStatusSign(line.log);
    const QFont logFont = neuFont(11, QFont::Normal, FontDesign::monospaced);
    auto *mark = new StatusSign(neuFont(12));
    mark->setSign(sign);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(neuLabel(line.title, neuFont(12, QFont::Bold), neuText, LabelFlow::wrapping));
    texts->addWidget(neuLabel(rest, logFont, neuTextSecondary, LabelFlow::wrappingSelectable));

    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(mark, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    return row;
}

} // namespace

NeuRole outcomeColor(RepairOutcome outcome)
{
    switch (outcome) {
    case RepairOutcome::succeeded:
        return neuSuccess;
    case RepairOutcome::failed:
        return neuDanger;
    case RepairOutcome::partly:
    case RepairOutcome::cancelled:
        break;
    }
    return neuWarning;
}

Symbol outcomeSymbol(RepairOutcome outcome)
{
    switch (outcome) {
    case RepairOutcome::succeeded:
        return Symbol::checkmarkCircleFill;
    case RepairOutcome::failed:
        return Symbol::xmarkOctagonFill;
    case RepairOutcome::partly:
    case RepairOutcome::cancelled:
        break;
    }
    return Symbol::exclamationmarkTriangleFill;
}

BatchSummary::BatchSummary(QWidget *parent)
    : NeuPanel(neuRaised(18, 5), parent),
      m_sign(new SymbolView(Symbol::checkmarkCircleFill, kSignSide, neuSuccess)),
      m_title(neuLabel({}, neuFont(14, QFont::Bold), neuText)),
      m_explanation(neuLabel({}, neuFont(12), neuTextSecondary, LabelFlow::wrapping)),
      m_dismiss(new NeuButton(tr("知道了"))), m_scroll(new QScrollArea),
      m_linesBox(new QWidget), m_lines(new QVBoxLayout(m_linesBox))
{
    setObjectName(QStringLiteral("batchSummary"));
    m_dismiss->setObjectName(QStringLiteral("dismissButton"));
    m_dismiss->setCompact(true);
    m_dismiss->setHelp(tr("收起这次批量修复的结果"));

    // Under the title, past the sign.
    m_lines->setContentsMargins(kSignSide + kHeadingGap, 0, 6, 0);
    m_lines->setSpacing(10);
    m_scroll->setObjectName(QStringLiteral("batchLines"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_linesBox);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_linesBox->setAutoFillBackground(false);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addWidget(m_title);
    titles->addWidget(m_explanation);

    auto *heading = new QHBoxLayout;
    heading->setSpacing(kHeadingGap);
    heading->addWidget(m_sign, 0, Qt::AlignTop);
    heading->addLayout(titles, 1);
    heading->addWidget(m_dismiss, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(18, 14, 14, 14);
    column->setSpacing(10);
    column->addLayout(heading);
    column->addWidget(m_scroll);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    hide();
}

void BatchSummary::setReport(const std::optional<BatchReport> &report)
{
    setVisible(report.has_value());
    if (!report)
        return;
    m_sign->setSymbol(outcomeSymbol(report->outcome), outcomeColor(report->outcome));
    m_title->setText(report->headline());
    m_explanation->setText(report->explanation());
    while (QLayoutItem *item = m_lines->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_shownLines.clear();
    for (const BatchReport::Line &line : report->lines) {
        m_lines->addWidget(lineOf(line));
        m_shownLines << line.title + QLatin1Char('\n') + line.log;
    }
    m_scroll->verticalScrollBar()->setValue(0);
    fitLines();
}

void BatchSummary::resizeEvent(QResizeEvent *event)
{
    NeuPanel::resizeEvent(event);
    fitLines();
}

void BatchSummary::fitLines()
{
    // As tall as the logs, up to a limit; the wrapping depends on the width given.
    const int width = m_scroll->viewport()->width();
    const int forWidth = m_linesBox->heightForWidth(width > 0 ? width : 600);
    const int needed = forWidth >= 0 ? forWidth : m_linesBox->sizeHint().height();
    const int height = std::clamp(needed, 0, kMostLinesHeight);
    if (height != m_scroll->height() || m_scroll->minimumHeight() != height)
        m_scroll->setFixedHeight(height);
}

QString BatchSummary::title() const
{
    return m_title->text();
}

QString BatchSummary::explanation() const
{
    return m_explanation->text();
}

QStringList BatchSummary::lines() const
{
    return m_shownLines;
}

} // namespace brevik
