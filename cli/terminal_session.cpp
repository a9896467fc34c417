#include "terminal_session.h"
#include "exit_codes.h"
#include "text.h"

#include "escaped_text.h"

namespace velmar {

void TerminalSink::notice(const QString &text)
{
    err_ << text << '\n';
    err_.flush();
}

void TerminalSink::answeredLate(const QHostAddress &target, int timeoutMs)
{
    notice(LateText(target, timeoutMs));
}

void TerminalSink::warning(const QString &text)
{
    err_ << "velmarctl: " << TerminalText(text) << '\n';
}

int SayStopped(Terminal &terminal)
{
    terminal.out.flush();
    terminal.err << "stopped\n";
    return StoppedByUser;
}

}  // namespace velmar
