#pragma once

#include "exec/shellresult.h"

#include <QString>
#include <QStringList>

namespace brevik {

// The PATH and locale every command runs with; the parsers rely on English tool output.
inline constexpr char kCommandPath[] =
    "/usr/sbin:/usr/bin:/sbin:/bin:/usr/local/bin:/opt/homebrew/bin";
inline constexpr char kCommandLocale[] = "en_US.UTF-8";

// Runs one bash command line through the process-wide runner, at most `timeout` seconds.
// Blocks the calling thread; never fails other than through the returned code.
ShellResult shell(const QString &command, double timeout = 25.0);

// Like shell, for a command that prints a file anyone can write into: its text survives
// bytes that are not UTF-8 (they read as U+FFFD) instead of coming back empty.
ShellResult shellText(const QString &command, double timeout = 25.0);

// Any text as exactly one single-quoted shell word.
QString shellQuote(const QString &text);

// A value read from tool output (interface, host, port, gateway) as one harmless word:
// unchanged when it holds only letters, digits and . : - _ %, otherwise quoted.
// Any program can write a proxy host into the network settings, so such values are
// never trusted to be free of shell syntax.
QString shellWord(const QString &value);

// Runs the commands, joined by "; ", as one administrator script behind a single
// password prompt (osascript), with a limit of 300 seconds.
ShellResult runAsAdmin(const QStringList &commands);

// The osascript command line that runAsAdmin hands to shell.
QString adminCommandLine(const QStringList &commands);

} // namespace brevik
