// The lot journal at the end of an ID length: nothing is reserved past it.
#include "production/LotJournal.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(JournalIdLimit, ALotEndsAtFFFFAndRecordsNothingPastIt)
{
    test::TempDir dir;
    const std::string path = dir.file("lot.jsonl");
    LotJournal journal(path);
    const auto next = [&](std::optional<std::int64_t> wanted) {
        return journal.Reserve("COM1", {.wanted = wanted, .insist = true, .fromLot = true}, 2,
                               0x1800);
    };
    EXPECT_EQ(next(0xFFFE).id->value, 0xFFFE);
    EXPECT_EQ(next({}).id->value, 0xFFFF);
    const std::string full = test::ReadText(path);
    EXPECT_THROW(next({}), IdRangeError) << "10000 handed out";
    EXPECT_EQ(test::ReadText(path), full);

    // A lot that an older version took past FFFF goes no further either.
    test::WriteText(path, R"({"type":"reserve","chip":1,"id":"10000","id_len":2})" "\n");
    EXPECT_THROW(next({}), IdRangeError);
}

} // namespace
} // namespace orvane
