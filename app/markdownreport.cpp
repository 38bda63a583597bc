#include "app/markdownreport.h"

#include "appmodel/headline.h"

#include <QRegularExpression>

namespace brevik {

namespace {

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
    out += QStringLiteral("分类：") + escaped(rawValue(finding.category)) + QStringLiteral("\n\n");
    if (!finding.detail.trimmed().isEmpty())
        out += lines(finding.detail) + QStringLiteral("\n\n");
    if (finding.fixHint)
        out += QStringLiteral("**如何修复：** ") + lines(*finding.fixHint) + QStringLiteral("\n\n");
    if (!finding.manualSteps.isEmpty()) {
        out += QStringLiteral("**手动步骤：**\n\n");
        for (qsizetype i = 0; i < finding.manualSteps.size(); ++i)
            out += QStringLiteral("%1. ").arg(i + 1) + escaped(finding.manualSteps[i]) +
                   QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    if (finding.fix) {
        out += QStringLiteral("**修复：** ") + escaped(finding.fix->title) +
               QStringLiteral("（`brevik --fix ") + finding.fix->id + QStringLiteral("`）");
        if (finding.fix->needsAdmin)
            out += QStringLiteral("，需要管理员权限");
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
    QString out = QStringLiteral("| 服务 | 直连 | 代理 | 延迟 |\n| --- | --- | --- | --- |\n");
    for (const AIStatus &row : rows) {
        const QString latency = row.directOK || row.proxyOK
                                    ? QStringLiteral("%1 ms").arg(row.latencyMs)
                                    : QStringLiteral("不可达");
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

    QString out = QStringLiteral("# Brevik 诊断报告\n\n");
    out += QStringLiteral("- 结论：") +
           Headline::statusTitle(report.findings, report.internet.verdict()) + QLatin1Char('\n');
    if (report.finishedAt) {
        out += QStringLiteral("- 扫描时间：") +
               report.finishedAt->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
               QStringLiteral("，耗时 ") + QString::asprintf("%.1f", report.seconds) +
               QStringLiteral(" 秒\n");
    }
    out += QStringLiteral("- 上网实测：") + escaped(report.internet.summary) + QLatin1Char('\n');
    for (const QString &path : report.internet.tried)
        out += QStringLiteral("  - ") + escaped(path) + QLatin1Char('\n');
    if (!simulatedMac.isEmpty()) {
        out += QStringLiteral("- 注意：这份报告来自模拟的 Mac（场景 ") + escaped(simulatedMac) +
               QStringLiteral("），不是一台真实的电脑\n");
    }

    out += QStringLiteral("\n## 需要处理的问题（%1）\n\n").arg(problems.size());
    if (problems.isEmpty())
        out += QStringLiteral("没有发现需要修复的问题。\n\n");
    for (const Finding &finding : problems)
        out += problem(finding);

    if (!passes.isEmpty()) {
        out += QStringLiteral("## 检查通过项（%1）\n\n").arg(passes.size());
        for (const Finding &finding : passes)
            out += pass(finding);
        out += QLatin1Char('\n');
    }
    if (!report.ai.isEmpty())
        out += QStringLiteral("## AI 服务连通性\n\n") + aiTable(report.ai) + QLatin1Char('\n');
    return out.trimmed() + QLatin1Char('\n');
}

} // namespace brevik
