// Loads the update check (update_check_module.h) from beside the program, where the build
// puts it, or from the library folder, where it is installed.

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "app/cli/check_update.h"
#include "app/cli/update_check_module.h"

namespace vantrelle::cli {

namespace {

// The folder of the running program, "" when the system does not say.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t size = ::readlink("/proc/self/exe", path, sizeof path);
    if (size <= 0 || static_cast<std::size_t>(size) >= sizeof path) {
        return {};
    }
    const std::string program(path, static_cast<std::size_t>(size));
    return program.substr(0, program.rfind('/') + 1);
}

}  // namespace

bool HasUpdateCheck() {
    return true;
}

int CheckUpdate(const CommandLine& line, std::ostream& out, std::ostream& console) {
    using Entry = decltype(&vantrelle_cli_check_update);
    const std::string folder = ProgramFolder();
    std::string failure = "the program's folder is unknown";
    bool found = false;
    for (const std::string& candidate :
         {folder + kUpdateCheckModule,
          folder + VANTRELLE_CLI_MODULE_DIR "/" + kUpdateCheckModule}) {
        if (folder.empty()) {
            break;
        }
        // Kept loaded to the end: Qt leaves handlers behind that run at exit.
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            // A module that is there but does not load says more than one that is not.
            if (!found) {
                failure = ::dlerror();
                found = ::access(candidate.c_str(), F_OK) == 0;
            }
            continue;
        }
        if (auto entry = reinterpret_cast<Entry>(::dlsym(module, kUpdateCheckEntry))) {
            return entry(line, out, console);
        }
        failure = candidate + " has no " + kUpdateCheckEntry;
    }
    console << "vantrelle-cli: --check-update cannot load its module: " << failure << "\n";
    return 2;
}

}  // namespace vantrelle::cli
