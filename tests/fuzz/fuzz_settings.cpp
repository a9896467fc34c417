// Any "VelmarCom.ini" an operator's disk may hold: reading it never throws, hangs or crashes, and what the
// program writes from it reads back as the same table.

#include "ini_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const IniFile read = IniFile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QByteArray written = read.format();
    const IniFile again = IniFile::parse(written);
    if (!(again == read) || again.format() != written)
        std::abort();
    return 0;
}
