#include "CliReport.h"

#include "ExitStatus.h"

namespace tarvik {

int fail(const QString& why) {
    std::fprintf(stderr, "tarvik-cli: %s\n", qUtf8Printable(why));
    return ExitFailed;
}

int usageFailure(const QString& why) {
    std::fprintf(stderr, "tarvik-cli: %s\nTry 'tarvik-cli --help' for more information.\n",
                 qUtf8Printable(why));
    return ExitUsageError;
}

void printLines(std::FILE* stream, const QStringList& lines) {
    for (const QString& line : lines)
        std::fprintf(stream, "%s\n", qUtf8Printable(line));
}

} // namespace tarvik
