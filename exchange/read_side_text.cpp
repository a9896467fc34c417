#include "read_side_text.h"

#include "codec.h"

#include <array>

namespace velmar {

const QString &HexPairText(std::uint8_t byte)
{
    static const std::array<QString, 256> texts = [] {
        std::array<QString, 256> all;
        for (int k = 0; k < 256; ++k)
            all[k] = QString::fromStdString(ByteToHexPair(std::uint8_t(k)));
        return all;
    }();
    return texts[byte];
}

QString VisibleOnOneLine(QString text)
{
    for (QChar &ch : text) {
        if (ch.unicode() < 0x20)
            ch = QChar(char16_t(0x2400 + ch.unicode()));  // ␀ .. ␟
        else if (ch.unicode() == 0x7F)
            ch = QChar(char16_t(0x2421));  // ␡
        else if (!ch.isPrint() && !ch.isSpace())
            ch = QChar::ReplacementCharacter;
    }
    return text;
}

}  // namespace velmar
