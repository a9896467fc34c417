#pragma once
// The fields of the one-board panel beyond the addresses: the board's MAC as six bytes, each typed by
// the configurator's rules for its MAC fields.

#include "codec.h"

#include <QWidget>

#include <array>

namespace velmar {

class HexByteEdit;

class MacFields : public QWidget
{
    Q_OBJECT
public:
    explicit MacFields(QWidget *parent = nullptr);

    // The bytes as the fields hold them: a byte left short is taken as if its field had been left.
    Mac mac() const;
    void setMac(const Mac &mac);
    HexByteEdit &byte(int index) { return *bytes_.at(static_cast<std::size_t>(index)); }

private:
    std::array<HexByteEdit *, 6> bytes_{};
};

}  // namespace velmar
