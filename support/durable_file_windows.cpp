#include "durable_file.h"

#include <QDir>

#include <cstdint>
#include <string>

#include <io.h>
#include <windows.h>

namespace velmar {

bool SyncToDisk(int handle, QString &error)
{
    const intptr_t native = _get_osfhandle(handle);
    if (native != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(native)))
        return true;
    error = qt_error_string(static_cast<int>(GetLastError()));
    return false;
}

bool MoveOver(const QString &from, const QString &to, QString &error)
{
    // Through the write-through flag the call returns once the move is on the disk.
    const std::wstring source = QDir::toNativeSeparators(from).toStdWString();
    const std::wstring target = QDir::toNativeSeparators(to).toStdWString();
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = qt_error_string(static_cast<int>(GetLastError()));
    return false;
}

bool ProcessRuns(qint64 pid)
{
    if (pid <= 0 || pid > 0xFFFFFFFFLL)
        return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process; anything else: unsure
    DWORD code = 0;
    const bool runs = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return runs;
}

}  // namespace velmar
