// orvane-cli: the Writer operations and file conversions for scripts and production lines.
#include "app/UiLanguage.h"
#include "foundation/Errors.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ConsoleView.h"

#include <iostream>
#include <unistd.h>

namespace {

// The folder of this executable, where the data files ship.
std::string ExecutableDir()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "./";
    std::string p(path, static_cast<std::size_t>(n));
    return p.substr(0, p.rfind('/') + 1);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace orvane;
    using namespace orvane::cli;

    Arguments args;
    try {
        args = ParseArguments({argv + 1, argv + argc});
    } catch (const UsageError& e) {
        const bool help = std::string(e.what()).empty();
        if (!help)
            std::cerr << "orvane-cli: " << e.what() << "\n\n";
        (help ? std::cout : std::cerr) << kUsageText;
        return help ? kOk : kUsage;
    }

    const std::string exeDir = ExecutableDir();
    if (!StartLanguage(args.language, args.appDir.empty() ? exeDir : args.appDir + '/', exeDir))
        std::cerr << "orvane-cli: no English catalogue in " << exeDir << "locale\n";
    ConsoleView view(args.json, args.yes, ::isatty(STDERR_FILENO) == 1);
    auto fail = [&](int code, const std::string& text) {
        view.Show(MessageKind::Error, text);
        view.Result(args.command, code, text);
        return code;
    };
    try {
        return RunCommand(args, view, exeDir);
    } catch (const UsageError& e) {
        std::cerr << "orvane-cli: " << e.what() << '\n';
        return kUsage;
    } catch (const RecordChecksumError& e) {
        return fail(kChecksum, e.what());
    } catch (const FileError& e) {
        return fail(kFileError, e.what());
    } catch (const ConversionError& e) {
        return fail(kFileError, e.what());
    } catch (const ECommsError& e) {
        return fail(kNoWriter, e.what());
    }
}
