#pragma once
// Frames between the codec's byte strings and Qt's byte arrays, for the code that uses both.

#include "codec.h"

#include <QByteArray>

#include <string_view>

namespace velmar {

inline QByteArray ToByteArray(const Bytes &frame)
{
    return QByteArray(frame.data(), static_cast<qsizetype>(frame.size()));
}

inline std::string_view ViewOf(const QByteArray &data)
{
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

}  // namespace velmar
