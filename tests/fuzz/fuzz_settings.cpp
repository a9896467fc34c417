// Any "VelmarCom.ini" an operator's disk may hold: reading it never throws, hangs or crashes; what the
// program writes from it reads back as the same table and writes again as the same bytes; and values the
// program sets read back as set, every other value as it was.

#include "ini_file.h"

#include <cstdint>
#include <cstdlib>

using namespace velmar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const IniFile read = IniFile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QByteArray written = read.format();
    const IniFile again = IniFile::parse(written);
    if (again.table() != read.table() || again.format() != written)
        std::abort();

    IniFile edited = read;
    IniFile::Table expected = read.table();
    struct Set
    {
        const char *section, *key, *text;
    };
    for (const Set &set :
         {Set{"0", "1", "127"}, Set{"5", "2", " 1E "}, Set{"9", "1", ""}, Set{"zz", "3", "\"q"}}) {
        const QString section = QString::fromLatin1(set.section), key = QString::fromLatin1(set.key);
        edited.setValue(section, key, QString::fromLatin1(set.text));
        expected[section][key] = QString::fromLatin1(set.text);
    }
    const IniFile reread = IniFile::parse(edited.format());
    if (reread.table() != expected || reread.format() != edited.format())
        std::abort();
    return 0;
}
