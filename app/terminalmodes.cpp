#include "app/terminalmodes.h"

#include "app/interrupts.h"
#include "app/scanreport.h"
#include "guardian/proxyguardian.h"
#include "repair/fixengine.h"

#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

void print(const QString &text, FILE *stream = stdout)
{
    // After an interrupt the result would be made of commands cut short: say nothing.
    if (Interrupts::interrupted())
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Step names go to a terminal only: a script reading the output wants the result alone.
std::function<void(const QString &)> progressOnTerminal()
{
    if (!isatty(STDERR_FILENO))
        return {};
    return
        [](const QString &name) { print(QStringLiteral("… ") + name + QLatin1Char('\n'), stderr); };
}

} // namespace

namespace TerminalModes {

int guard()
{
    ProxyGuardian::runCLIOnce();
    return 0;
}

int guardStatus()
{
    ProxyGuardian &guardian = ProxyGuardian::shared();
    print(guardian.checkOnce(false).text + QLatin1Char('\n'));
    // An agent that points at a moved or deleted program repairs nothing; say so here.
    const QString advice = guardian.agentAdvice();
    if (!advice.isEmpty())
        print(advice + QLatin1Char('\n'));
    return 0;
}

int installAgent()
{
    const auto result = ProxyGuardian::shared().installAgent();
    print(result.msg + QLatin1Char('\n'));
    return result.ok ? 0 : 1;
}

int uninstallAgent()
{
    const auto result = ProxyGuardian::shared().uninstallAgent();
    print(result.msg + QLatin1Char('\n'));
    return result.ok ? 0 : 1;
}

int scan(bool json)
{
    const ScanReport report = runScan(progressOnTerminal());
    if (json)
        print(QString::fromUtf8(QJsonDocument(toJson(report)).toJson(QJsonDocument::Indented)));
    else
        print(toText(report));
    return 0;
}

int fix(const QString &fixId)
{
    if (fixId.isEmpty()) {
        print(QStringLiteral("用法：brevik --fix FIX-ID（例如 fix-proxy-off-all）\n"), stderr);
        return 2;
    }
    const ScanReport report = runScan(progressOnTerminal());
    for (const Finding &finding : report.findings) {
        if (!finding.fix || finding.fix->id != fixId)
            continue;
        const FixResult result = FixEngine::apply(*finding.fix);
        print(result.log + QLatin1Char('\n'));
        return result.ok ? 0 : 1;
    }
    print(QStringLiteral("本次扫描没有发现可用「") + fixId + QStringLiteral("」修复的问题。\n"),
          stderr);
    return 2;
}

} // namespace TerminalModes
