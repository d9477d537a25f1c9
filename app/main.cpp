#include "app/CommandLine.h"
#include "playback/MpvLibrary.h"
#include "version/Version.h"

#include <QLoggingCategory>
#include <QStringList>
#include <QTextStream>

#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {
// The player window lives in a module of its own, so the command-line options start without
// loading the browser engine (it triples the start-up time of a one-shot command). The module is
// beside the executable in the build folder; an installed one is in its folder under the library
// folder, found from the executable's folder by the path the build gives.
const char* const kPlayerModule = VINDREL_PLAYER_MODULE;
const char* const kInstalledModuleFolder = VINDREL_PLAYER_MODULE_FROM_BIN;
using PlayerMain = int (*)(int, char**);

std::string PlayerModulePath(const char* argv0)
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = std::filesystem::absolute(argv0, ec);
    const std::filesystem::path beside = exe.parent_path() / kPlayerModule;
    if (std::filesystem::exists(beside, ec))
        return beside.string();
    return (exe.parent_path() / kInstalledModuleFolder / kPlayerModule).lexically_normal().string();
}
}  // namespace

int main(int argc, char* argv[])
{
    LimitMallocArenas();
    // --verbose, anywhere on the command line, switches the player's logs on (QT_LOGGING_RULES
    // still has the last word) and is taken out before anything else reads the arguments.
    std::vector<char*> kept;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::string(argv[i]) == "--verbose") {
            QLoggingCategory::setFilterRules(QStringLiteral("vindrel.map=true\n"
                                                            "vindrel.list=true\n"
                                                            "vindrel.window=true\n"
                                                            "vindrel.engine.debug=true\n"
                                                            "vindrel.engine.info=true"));
            // Each line says when (seconds since start) and from where (QT_MESSAGE_PATTERN wins).
            qSetMessagePattern(QStringLiteral("%{time process} %{category}: %{message}"));
            continue;
        }
        kept.push_back(argv[i]);
    }
    argc = int(kept.size());
    kept.push_back(nullptr);
    argv = kept.data();

    QTextStream err(stderr);
    // Options are handled before any window or display is needed.
    {
        QStringList args;
        for (int i = 0; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        QTextStream out(stdout);
        if (std::optional<int> status = RunCommandLineOption(args, out, err))
            return *status;
    }

    const std::string module = PlayerModulePath(argv[0]);
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    auto playerMain = handle ? reinterpret_cast<PlayerMain>(dlsym(handle, "VindrelPlayerMain")) : nullptr;
    if (!playerMain) {
        err << "vindrel: the player window cannot be loaded (" << QString::fromLocal8Bit(dlerror())
            << "); the options still work, see --help" << Qt::endl;
        return 1;
    }
    // The module stays loaded until the process ends: Qt's and the browser's exit handlers live in it.
    return playerMain(argc, argv);
}
