#include "escaped_text.h"

namespace velmar {

QString TerminalText(const QString &text)
{
    QString shown;
    for (QChar ch : text)
        shown += ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() <= 0x9F)
                     ? QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'))
                     : QString(ch);
    return shown;
}

QString Printable(const QString &text)
{
    return TerminalText(QString(text).replace(QLatin1Char('\\'), QStringLiteral("\\\\")));
}

QString FromPrintable(const QString &text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString escape = text.mid(i, 2), hex = text.mid(i + 2, 2);
        bool isHex = false;
        const ushort code = escape == QLatin1String("\\x") && hex.size() == 2 ? hex.toUShort(&isHex, 16) : 0;
        if (escape == QLatin1String("\\\\")) {
            plain += QLatin1Char('\\');
            i += 1;
        } else if (isHex) {
            plain += QChar(code);
            i += 3;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

}  // namespace velmar
