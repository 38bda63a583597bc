// osascript -e 'do shell script "…" with administrator privileges': the password prompt.
// The scenario decides how the user answers it ("admin": {"prompt": …}); an accepted
// prompt runs the script with /bin/sh on the simulated Mac, with administrator rights.
// osascript -e 'display notification "…" with title "…"': shown to nobody; the call log
// keeps it like every call.

#include "exec/childprocess.h"
#include "sim/standin/sim.h"
#include "sim/standin/tools.h"

#include <QRegularExpression>

namespace brevik {

namespace {

// The AppleScript string literal's escapes: \" and \\ (also \n and \t).
QString unescape(const QString &literal)
{
    QString text;
    for (int i = 0; i < literal.size(); ++i) {
        if (literal.at(i) == QLatin1Char('\\') && i + 1 < literal.size()) {
            const QChar next = literal.at(++i);
            text += next == QLatin1Char('n')   ? QChar('\n')
                    : next == QLatin1Char('t') ? QChar('\t')
                                               : next;
        } else {
            text += literal.at(i);
        }
    }
    return text;
}

// Runs the script with /bin/sh, as do shell script does, keeping its standard output and error
// apart as osascript does.
ChildProcess::Outcome runScript(const QString &script)
{
    ChildProcess::Request request;
    request.argv = {"/bin/sh", "-c", script.toUtf8()};
    request.environment = ChildProcess::environmentWith({"BREVIK_SIM_ADMIN=1"});
    request.streams = ChildProcess::Streams::apart;
    request.ownGroup = false; // the prompt's own deadline ends the script with it
    return ChildProcess::run(request);
}

// How this prompt is answered; "cancel-once" cancels the first prompt only.
QString answerPrompt(Sim &sim)
{
    QString answer;
    sim.update([&](QJsonObject &state) {
        const QString prompt = at(state, {"admin", "prompt"}).toString(QStringLiteral("accept"));
        answer = prompt == QLatin1String("cancel-once") ? QStringLiteral("cancel") : prompt;
        setAt(state, {"admin", "prompts"}, at(state, {"admin", "prompts"}).toInt() + 1);
        if (prompt == QLatin1String("cancel-once"))
            setAt(state, {"admin", "prompt"}, QStringLiteral("accept"));
        return true;
    });
    return answer;
}

} // namespace

int osascriptMain(Sim &sim, const QStringList &args)
{
    const int e = args.indexOf(QStringLiteral("-e"));
    const QString source = e >= 0 ? args.value(e + 1) : QString();
    // A string literal: anything but a quote or a backslash, or an escaped character.
    static const QRegularExpression notification(QStringLiteral(
        "^\\s*display notification \"(?:[^\"\\\\]|\\\\.)*\"(?:\\s+with title "
        "\"(?:[^\"\\\\]|\\\\.)*\")?(?:\\s+subtitle \"(?:[^\"\\\\]|\\\\.)*\")?\\s*$"));
    if (notification.match(source).hasMatch())
        return 0;
    static const QRegularExpression adminScript(
        QStringLiteral("^\\s*do shell script \"((?:[^\"\\\\]|\\\\.)*)\"\\s+with administrator "
                       "privileges\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = adminScript.match(source);
    if (!match.hasMatch()) {
        err(QStringLiteral("osascript: only 'do shell script \"…\" with administrator privileges' "
                           "and 'display notification' are simulated\n"));
        return 1;
    }
    if (answerPrompt(sim) != QLatin1String("accept")) {
        err(QStringLiteral("0:56: execution error: User canceled. (-128)\n"));
        return 1;
    }
    const ChildProcess::Outcome result = runScript(unescape(match.captured(1)));
    // do shell script returns the output without its last line end, and with carriage returns
    // for the line ends within it (unless asked "without altering line endings").
    QByteArray output = result.out;
    if (output.endsWith('\n'))
        output.chop(1);
    output.replace('\n', '\r');
    // The script's status as a shell reports it: 128 + the signal for a killed script.
    const int code = result.end == ProcessEnd::exited      ? result.code
                     : result.end == ProcessEnd::signalled ? 128 + result.code
                                                           : 1;
    if (code != 0) {
        QString message = result.end == ProcessEnd::failedToStart
                              ? QStringLiteral("cannot start /bin/sh")
                              : QString::fromUtf8(result.err).trimmed();
        if (message.isEmpty())
            message = QStringLiteral("The command exited with a non-zero status.");
        err(QStringLiteral("0:%1: execution error: %2 (%3)\n")
                .arg(source.size())
                .arg(message)
                .arg(code));
        return 1;
    }
    if (!output.isEmpty())
        out(QString::fromUtf8(output) + QLatin1Char('\n'));
    return 0;
}

} // namespace brevik
