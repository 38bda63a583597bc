#include "app/terminalmodes.h"

#include "app/agentrun.h"
#include "app/interrupts.h"
#include "app/scanreport.h"
#include "guardian/proxyguardian.h"
#include "repair/changelock.h"
#include "repair/recording.h"
#include "repair/undo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace brevik {

namespace {

struct Texts {
    Q_DECLARE_TR_FUNCTIONS(TerminalModes)
};

void print(const QString &text, FILE *stream = stdout)
{
    // After an interrupt the result would be made of commands cut short: say nothing.
    if (Interrupts::interrupted())
        return;
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// --fix: the repair ran and worked, but the journal could not hold it (it cannot be undone).
constexpr int kNotRecorded = 3;
// --history without --all: the newest entries.
constexpr qsizetype kHistoryShown = 50;

// Step names go to a terminal only: a script reading the output wants the result alone.
std::function<void(const QString &)> progressOnTerminal()
{
    if (!isatty(STDERR_FILENO))
        return {};
    return
        [](const QString &name) { print(QStringLiteral("… ") + name + QLatin1Char('\n'), stderr); };
}

// Takes the change lock for a user's request, saying on standard error what it waits for.
ChangeLock lockForUser(const QString &what)
{
    return ChangeLock::forCurrentUser(what, ChangeLock::Wait::untilFree,
                                      [](const ChangeLock::Holder &holder) {
                                          print(ChangeLock::waitingText(holder) + QLatin1Char('\n'),
                                                stderr);
                                      });
}

} // namespace

namespace TerminalModes {

int guard()
{
    QTextStream out(stdout);
    AgentRun::once(ProxyGuardian::shared(), out, systemClock()());
    std::fflush(stdout);
    return 0;
}

int guardStatus()
{
    ProxyGuardian &guardian = ProxyGuardian::shared();
    print(guardian.checkOnce(false).text + QLatin1Char('\n'));
    // An agent that points at a moved or deleted program repairs nothing; say so here.
    const QString advice = LaunchAgent::advice(guardian.agent().state());
    if (!advice.isEmpty())
        print(advice + QLatin1Char('\n'));
    return 0;
}

int installAgent()
{
    const auto result = ProxyGuardian::shared().agent().install();
    print(result.msg + QLatin1Char('\n'));
    return result.ok ? 0 : 1;
}

int uninstallAgent()
{
    const auto result = ProxyGuardian::shared().agent().uninstall();
    print(result.msg + QLatin1Char('\n'));
    return result.ok ? 0 : 1;
}

int scan(bool json)
{
    const ScanReport report = runScan(progressOnTerminal());
    if (json)
        print(QString::fromUtf8(jsonDocument(report)));
    else
        print(toText(report));
    return 0;
}

int fix(const QString &fixId)
{
    if (fixId.isEmpty()) {
        print(Texts::tr("用法：brevik --fix FIX-ID（例如 fix-proxy-off-all）") + QLatin1Char('\n'),
              stderr);
        return 2;
    }
    // The scan is part of the decision: it sees the Mac as any change under way left it.
    const ChangeLock lock = lockForUser(Texts::tr("命令行修复：%1").arg(fixId));
    const ScanReport report = runScan(progressOnTerminal());
    for (const Finding &finding : report.findings) {
        if (!finding.fix || finding.fix->id != fixId)
            continue;
        const FixResult result =
            Recording::apply(finding, RepairOrigin::commandLine, Journal::forCurrentUser());
        print(result.log + QLatin1Char('\n'));
        if (!result.ok)
            return 1;
        return result.recorded ? 0 : kNotRecorded;
    }
    print(Texts::tr("本次扫描没有发现可用「%1」修复的问题。").arg(fixId) + QLatin1Char('\n'),
          stderr);
    return 2;
}

int history(bool all)
{
    const Journal journal = Journal::forCurrentUser();
    // A terminal shows the newest; reading no further keeps --history quick on any journal.
    const Journal::Read read = journal.read(all ? -1 : kHistoryShown);
    if (!read.error.isEmpty()) {
        print(Texts::tr("无法读取修复记录：%1").arg(read.error) + QLatin1Char('\n'), stderr);
        return 1;
    }
    if (read.entries.isEmpty()) {
        print(Texts::tr("还没有修复记录。") + QLatin1Char('\n'));
        return 0;
    }
    const QSet<qint64> undone = Undo::undoneIds(read.entries);
    const std::optional<ChangeLock::Holder> holder =
        ChangeLock::holderIn(QFileInfo(journal.path()).absolutePath());
    for (auto entry = read.entries.crbegin(); entry != read.entries.crend(); ++entry)
        if (Undo::listed(*entry))
            print(Undo::summaryLine(*entry, undone.contains(entry->id), Undo::running(*entry, holder)) +
              QLatin1Char('\n'));
    if (read.more && !all)
        print(Texts::tr("（只列出最近 %n 条；全部记录：brevik --history --all）", nullptr,
                        int(kHistoryShown)) +
              QLatin1Char('\n'));
    return 0;
}

int undo(const std::optional<qint64> &id, bool force)
{
    if (id && *id <= 0) {
        print(Texts::tr("用法：brevik --undo [编号] [--force]（编号见 brevik --history）") +
                  QLatin1Char('\n'),
              stderr);
        return 2;
    }
    const ChangeLock lock = lockForUser(Texts::tr("命令行撤销"));
    const Undo::Result result =
        Undo::takeBack(Journal::forCurrentUser(), id, force, RepairOrigin::commandLine);
    if (result.status == Undo::Status::nothingToUndo && result.target == 0) {
        print((id ? Texts::tr("修复记录里没有 #%1（见 brevik --history）。").arg(*id)
                  : Texts::tr("没有可以撤销的修复。")) +
                  QLatin1Char('\n'),
              stderr);
        return 2;
    }
    print(result.text + QLatin1Char('\n'));
    const bool done = result.status == Undo::Status::restored ||
                      result.status == Undo::Status::alreadyAsBefore ||
                      result.status == Undo::Status::alreadyUndone;
    return done ? 0 : 1;
}

} // namespace TerminalModes

} // namespace brevik
