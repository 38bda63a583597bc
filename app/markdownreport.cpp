#include "app/markdownreport.h"

#include "appmodel/headline.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(MarkdownReport)
};

// Tool output and titles are text, not markup: every character Markdown gives a meaning
// anywhere in a line is escaped, and so is whatever would open a heading, a quote or a list
// at the start of one.
QString escaped(const QString &text)
{
    static const QString special = QStringLiteral("\\`*_[]<>|~");
    static const QRegularExpression blockStart(QStringLiteral("^(\\s*)([#+=-]|\\d+[.)])"));
    QStringList lines;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QString out;
        out.reserve(line.size());
        for (const QChar c : line) {
            if (special.contains(c))
                out += QLatin1Char('\\');
            out += c;
        }
        const QRegularExpressionMatch start = blockStart.match(out);
        if (start.hasMatch()) {
            const qsizetype at = start.capturedEnd(2) - 1;
            out.insert(at, QLatin1Char('\\'));
        }
        lines << out;
    }
    return lines.join(QLatin1Char('\n'));
}

// Lines of a paragraph kept as they are: a hard break (two blanks) ends each but the last.
QString lines(const QString &text, const QString &indent = {})
{
    QStringList out;
    for (const QString &line : escaped(text.trimmed()).split(QLatin1Char('\n')))
        out << indent + line.trimmed();
    return out.join(QStringLiteral("  \n"));
}

// A fence longer than any run of backticks inside the commands.
QString codeBlock(const QStringList &commands)
{
    const QString body = commands.join(QLatin1Char('\n'));
    qsizetype longest = 0;
    qsizetype run = 0;
    for (const QChar c : body) {
        run = c == QLatin1Char('`') ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const QString fence(std::max<qsizetype>(3, longest + 1), QLatin1Char('`'));
    return fence + QStringLiteral("sh\n") + body + QLatin1Char('\n') + fence + QLatin1Char('\n');
}

QString problem(const Finding &finding)
{
    QString out = QStringLiteral("### ") + label(finding.severity) + QStringLiteral(" · ") +
                  escaped(finding.title) + QStringLiteral("\n\n");
    out += Texts::tr("分类：%1").arg(escaped(rawValue(finding.category))) + QStringLiteral("\n\n");
    if (!finding.detail.trimmed().isEmpty())
        out += lines(finding.detail) + QStringLiteral("\n\n");
    if (finding.fixHint)
        out += Texts::tr("**如何修复：** %1").arg(lines(*finding.fixHint)) + QStringLiteral("\n\n");
    if (!finding.manualSteps.isEmpty()) {
        out += Texts::tr("**手动步骤：**") + QStringLiteral("\n\n");
        for (qsizetype i = 0; i < finding.manualSteps.size(); ++i)
            out += QStringLiteral("%1. ").arg(i + 1) + escaped(finding.manualSteps[i]) +
                   QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    if (finding.fix) {
        out += Texts::tr("**修复：** %1（`brevik --fix %2`）")
                   .arg(escaped(finding.fix->title), finding.fix->id);
        if (finding.fix->needsAdmin)
            out += Texts::tr("，需要管理员权限");
        out += QStringLiteral("\n\n") + codeBlock(finding.fix->commands()) + QLatin1Char('\n');
    }
    return out;
}

QString pass(const Finding &finding)
{
    QString out = QStringLiteral("- **") + label(finding.severity) + QStringLiteral("** · ") +
                  escaped(finding.title);
    if (!finding.detail.trimmed().isEmpty())
        out += QStringLiteral("  \n") + lines(finding.detail, QStringLiteral("  "));
    return out + QLatin1Char('\n');
}

QString aiTable(const QList<AIStatus> &rows)
{
    const auto mark = [](bool ok) { return ok ? QStringLiteral("✅") : QStringLiteral("❌"); };
    QString out = Texts::tr("| 服务 | 直连 | 代理 | 延迟 |") +
                  QStringLiteral("\n| --- | --- | --- | --- |\n");
    for (const AIStatus &row : rows) {
        const QString latency = row.directOK || row.proxyOK
                                    ? QStringLiteral("%1 ms").arg(row.latencyMs)
                                    : Texts::tr("不可达");
        out += QStringLiteral("| ") + escaped(row.name) + QStringLiteral(" | ") +
               mark(row.directOK) + QStringLiteral(" | ") + mark(row.proxyOK) +
               QStringLiteral(" | ") + latency + QStringLiteral(" |\n");
    }
    return out;
}

} // namespace

QString toMarkdown(const ScanReport &report, const QString &simulatedMac)
{
    const QList<Finding> problems = Headline::problems(report.findings);
    const QList<Finding> passes = Headline::passes(report.findings);

    QString out = Texts::tr("# Brevik 诊断报告") + QStringLiteral("\n\n");
    out += Texts::tr("- 结论：%1")
               .arg(Headline::statusTitle(report.findings, report.internet.verdict())) +
           QLatin1Char('\n');
    if (report.finishedAt) {
        out += Texts::tr("- 扫描时间：%1，耗时 %2 秒")
                   .arg(report.finishedAt->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                        QString::asprintf("%.1f", report.seconds)) +
               QLatin1Char('\n');
    }
    out += Texts::tr("- 上网实测：%1").arg(escaped(report.internet.summary)) + QLatin1Char('\n');
    for (const QString &path : report.internet.tried)
        out += QStringLiteral("  - ") + escaped(path) + QLatin1Char('\n');
    if (!simulatedMac.isEmpty()) {
        out += Texts::tr("- 注意：这份报告来自模拟的 Mac（场景 %1），不是一台真实的电脑")
                   .arg(escaped(simulatedMac)) +
               QLatin1Char('\n');
    }

    out += QLatin1Char('\n') + Texts::tr("## 需要处理的问题（%1）").arg(problems.size()) +
           QStringLiteral("\n\n");
    if (problems.isEmpty())
        out += Texts::tr("没有发现需要修复的问题。") + QStringLiteral("\n\n");
    for (const Finding &finding : problems)
        out += problem(finding);

    if (!passes.isEmpty()) {
        out += Texts::tr("## 检查通过项（%1）").arg(passes.size()) + QStringLiteral("\n\n");
        for (const Finding &finding : passes)
            out += pass(finding);
        out += QLatin1Char('\n');
    }
    if (!report.ai.isEmpty())
        out += Texts::tr("## AI 服务连通性") + QStringLiteral("\n\n") + aiTable(report.ai) +
               QLatin1Char('\n');
    return out.trimmed() + QLatin1Char('\n');
}

} // namespace brevik
