#include "app/LotSpill.h"

#include "app/SettingsPath.h"
#include "foundation/Errors.h"
#include "production/LotStore.h"

#include <fcntl.h>
#include <unistd.h>

namespace orvane {
namespace {

void AppendSynced(const std::string& path, const std::string& line)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (std::size_t done = 0; ok && done < line.size();) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw FileError("cannot write the spill file " + path);
}

template <typename Record>
std::string Spilled(LotStore& store, const Record& record, const std::string& line,
                    const std::string& what, const std::string& appDir)
{
    try {
        store.Record(record);
        return "";
    } catch (const ServerError& e) {
        const std::string path = SpillPathFor(appDir, store);
        LocateSettings(appDir).CreateFolder(); // a user's folder may not exist before a save
        AppendSynced(path, line + "\n");
        return std::string(e.what()) + "; the record of " + what + " is kept in " + path +
               ": fold it back with orvane-cli lot import " + store.Name() + " " + path;
    }
}

} // namespace

std::string SpillPathFor(const std::string& appDir, const LotStore& store)
{
    const std::string settings = LocateSettings(appDir).file;
    std::string lot = IsServerLot(store.Name()) ? ParseLotUri(store.Name()).lot : "lot";
    for (char& c : lot) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    if (lot == "." || lot == "..")
        lot = "lot";
    return settings.substr(0, settings.rfind('/') + 1) + lot + "-spill.jsonl";
}

std::string RecordOrSpill(LotStore& store, const ChipRecord& record, const std::string& appDir)
{
    return Spilled(store, record, ChipLine(record, NowUnixMs()),
                   "chip " + std::to_string(record.chip), appDir);
}

std::string RecordOrSpill(LotStore& store, const RunSummary& summary, const std::string& appDir)
{
    return Spilled(store, summary, SummaryLine(summary, NowUnixMs()), "the run's summary", appDir);
}

} // namespace orvane
