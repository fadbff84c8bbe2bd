// The libFuzzer entry point of one target, chosen when the program is built (QP_FUZZ_TARGET).
#include "Targets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QDir>

#include <stdlib.h>

namespace {

QString run(QByteArrayView input)
{
#if QP_FUZZ_TARGET == 1
    return FuzzTargets::propertyList(input);
#elif QP_FUZZ_TARGET == 2
    // One scratch folder for the whole run, under TMPDIR (the fuzz script's own temporary folder).
    static const QString folder = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/qp-fuzz-defaults-XXXXXX";
        return QFile::decodeName(::mkdtemp(pattern.data()));
    }();
    return FuzzTargets::userDefaults(input, folder);
#elif QP_FUZZ_TARGET == 3
    return FuzzTargets::journal(input);
#elif QP_FUZZ_TARGET == 4
    return FuzzTargets::procText(input);
#elif QP_FUZZ_TARGET == 5
    static const QString folder = [] {
        QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/qp-fuzz-browser-XXXXXX";
        return QFile::decodeName(::mkdtemp(pattern.data()));
    }();
    return FuzzTargets::browserFiles(input, folder);
#else
    return FuzzTargets::toolOutput(input);
#endif
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString failure = run(QByteArrayView(data, qsizetype(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "check failed: %s\n", failure.toUtf8().constData());
        std::abort();
    }
    return 0;
}
