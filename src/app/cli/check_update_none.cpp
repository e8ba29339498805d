#include "app/cli/check_update.h"

namespace vantrelle::cli {

bool HasUpdateCheck() {
    return false;
}

int CheckUpdate(const CommandLine& /*line*/, std::ostream& /*out*/, std::ostream& console) {
    console << "vantrelle-cli: --check-update is not available in this build (built without Qt)\n"
            << "Usage: vantrelle-cli [--recursive] [--on-error=ask|continue|stop] PATH\n"
            << "Try 'vantrelle-cli --help' for more information.\n";
    return 2;
}

}  // namespace vantrelle::cli
