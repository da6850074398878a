#include "platform/StagedFile.h"
#include "platform/StagedFile_p.h"

#include <QFile>

#include <windows.h>

namespace kelvarin {

using Detail::TemporaryName;

bool StagedFile::Write(const QByteArray &bytes)
{
    Discard();
    for (int attempt = 0; attempt < 8 && m_temporary.isEmpty(); ++attempt) {
        const QString name = TemporaryName(m_target);
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            continue;
        m_temporary = name;
        const bool ok = file.write(bytes) == bytes.size() && file.flush();
        file.close();
        if (!ok || file.error() != QFileDevice::NoError) {
            Discard();
            return false;
        }
    }
    return !m_temporary.isEmpty();
}

bool StagedFile::Commit()
{
    if (m_temporary.isEmpty())
        return false;
    const bool ok = MoveFileExW(reinterpret_cast<const wchar_t *>(m_temporary.utf16()),
                                reinterpret_cast<const wchar_t *>(m_target.utf16()),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (ok)
        m_temporary.clear();
    return ok;
}

} // namespace kelvarin
