#include "app/cli/check_update.h"

namespace vantrelle::cli {

bool HasUpdateCheck() {
    return false;
}

int CheckUpdate(const CommandLine& /*line*/, std::ostream& /*out*/, std::ostream& console) {
    console << "vantrelle-cli: --check-update is not available in this build (built without Qt)\n"
            << UsageLines() << "Try 'vantrelle-cli --help' for more information.\n";
    return 2;
}

}  // namespace vantrelle::cli
