// Any translation of the saved-file text with any file name: the file name goes in at most
// once, and nothing else is added.
#include "model/CaptureModel.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf(QChar(u'\n'));
    const QString format = split < 0 ? input : input.left(split);
    const QString fileName = split < 0 ? QStringLiteral("Pixdrift.png") : input.mid(split + 1);
    const QString status = CaptureModel::formatSavedStatus(format, fileName);
    if (status.size() > format.size() + fileName.size())
        std::abort();
    return 0;
}
