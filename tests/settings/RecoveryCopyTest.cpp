#include "settings/RecoveryCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "support/MemoryFileSystem.h"

namespace magtune::settings {
namespace {

using Bytes = std::vector<std::uint8_t>;

RecoveryCopy Sample() {
    RecoveryCopy copy;
    for (std::size_t i = 0; i < copy.image.size(); ++i) {
        copy.image[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    }
    copy.file = "/home/ana/readers/front desk.cfg";
    return copy;
}

TEST(RecoveryCopyTest, TheLayoutIsWrittenOutInFull) {
    RecoveryCopy copy;
    copy.image.fill(0xEE);
    copy.device = "Tarvik MSR";
    const Bytes header = {'M', 'T', 'R', 'C', 1,   0,   0,   10,  0,  'T',
                          'a', 'r', 'v', 'i', 'k', ' ', 'M', 'S', 'R'};
    Bytes expected(header.size() + 256, 0xEE);
    std::copy(header.begin(), header.end(), expected.begin());
    EXPECT_EQ(EncodeRecoveryCopy(copy), expected);
}

TEST(RecoveryCopyTest, ACopyComesBackAsItWasKept) {
    RecoveryCopy fromDevice = Sample();
    fromDevice.file.clear();
    fromDevice.device = "Tarvik Mini MSR";
    RecoveryCopy longName = Sample();
    longName.file = "/" + std::string(4000, 'x') + ".cfg";
    for (const RecoveryCopy& copy : {Sample(), fromDevice, longName}) {
        EXPECT_EQ(DecodeRecoveryCopy(EncodeRecoveryCopy(copy)), copy);
    }
}

TEST(RecoveryCopyTest, AnythingButAWholeCopyIsNone) {
    const Bytes good = EncodeRecoveryCopy(Sample());
    auto changed = [&good](auto change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"magic only", {'M', 'T', 'R', 'C'}},
        {"a setting file", Bytes(256, 0)},
        {"other magic", changed([](Bytes& b) { b[0] = 'X'; })},
        {"other version", changed([](Bytes& b) { b[4] = 2; })},
        {"image cut short", changed([](Bytes& b) { b.pop_back(); })},
        {"bytes after the image", changed([](Bytes& b) { b.push_back(0); })},
        {"name longer than the file", changed([](Bytes& b) { b[6] = 0xFF; })},
        {"cut inside a length", Bytes(good.begin(), good.begin() + 6)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(DecodeRecoveryCopy(bytes).has_value());
    }
}

TEST(RecoveryCopyTest, AFailedWriteKeepsTheOldCopy) {
    test::MemoryFileSystem files;
    const std::string path = "/state/magtune/recovery.mtrc";
    platform::SystemError error;
    ASSERT_TRUE(WriteRecoveryCopy(files, path, Sample(), error));
    EXPECT_EQ(ReadRecoveryCopy(files, path), Sample());

    RecoveryCopy newer = Sample();
    newer.image[0] = 0;
    files.failWrites = ENOSPC;
    EXPECT_FALSE(WriteRecoveryCopy(files, path, newer, error));
    EXPECT_EQ(error.code, ENOSPC);
    EXPECT_EQ(ReadRecoveryCopy(files, path), Sample());

    files.put(path, "broken");
    EXPECT_FALSE(ReadRecoveryCopy(files, path).has_value());
    EXPECT_FALSE(ReadRecoveryCopy(files, "/state/none").has_value());
}

}  // namespace
}  // namespace magtune::settings
