#include "sim/macrunner.h"

#include "exec/shell.h"

namespace brevik {

SimulatedMacRunner::SimulatedMacRunner(std::shared_ptr<Runner> inner, Setting setting)
    : m_inner(std::move(inner)), m_setting(std::move(setting))
{
    // One statement before the command, on the same line, so bash's messages still name the
    // command's own line numbers.
    m_prologue = QStringLiteral("export PATH=") + shellQuote(m_setting.binDir) +
                 QStringLiteral(":\"$PATH\"");
    for (const auto &[name, value] : m_setting.environment)
        m_prologue += QLatin1Char(' ') + name + QLatin1Char('=') + shellQuote(value);
    m_prologue += QStringLiteral("; ");
}

QString SimulatedMacRunner::mapPaths(const QString &command) const
{
    QString text = command;
    for (const auto &[from, to] : m_setting.paths)
        text.replace(from, to);
    return text;
}

QString SimulatedMacRunner::rewrite(const QString &command) const
{
    return m_prologue + mapPaths(command);
}

ShellResult SimulatedMacRunner::run(const QString &command, double timeoutSeconds)
{
    return m_inner->run(rewrite(command), timeoutSeconds);
}

ShellResult SimulatedMacRunner::runText(const QString &command, double timeoutSeconds)
{
    return m_inner->runText(rewrite(command), timeoutSeconds);
}

} // namespace brevik
