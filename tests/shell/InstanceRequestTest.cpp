#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <vector>

#include "platform/TempFolder.h"
#include "platform/UnixSocket.h"
#include "shell/InstanceRequest.h"

namespace magtune::shell {
namespace {

using Status = InstanceRequestReader::Status;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(InstanceRequest, WholeOrPiecemealRequestsGiveTheirFile) {
    const std::string withNewline = std::string("/home/u/odd\nname.cfg");
    for (const std::string& file : {std::string("/home/u/front desk.cfg"), std::string(),
                                    withNewline, std::string(4096, '/')}) {
        const std::vector<std::uint8_t> request = EncodeInstanceRequest(file);
        InstanceRequestReader whole;
        EXPECT_EQ(whole.feed(request), Status::Complete);
        EXPECT_EQ(whole.file(), file);

        InstanceRequestReader piecemeal;
        for (std::size_t i = 0; i + 1 < request.size(); ++i) {
            ASSERT_EQ(piecemeal.feed(std::span(request).subspan(i, 1)), Status::Incomplete) << i;
        }
        EXPECT_EQ(piecemeal.feed(std::span(request).last(1)), Status::Complete);
        EXPECT_EQ(piecemeal.file(), file);
    }
}

TEST(InstanceRequest, AnythingButOneAbsolutePathIsRefused) {
    const std::string header = kInstanceRequestHeader;
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"another program's greeting", std::string("GET / HTTP/1.0\r\n", 16)},
        {"a relative path", header + std::string("desk.cfg\0", 9)},
        {"bytes after the path", header + std::string("/a.cfg\0/b.cfg\0", 14)},
        {"a path that never ends", header + std::string(kInstanceRequestMaxSize, 'a')},
    };
    for (const Case& c : cases) {
        InstanceRequestReader reader;
        EXPECT_EQ(reader.feed(Bytes(c.bytes)), Status::Invalid) << c.what;
        EXPECT_EQ(reader.feed(Bytes(std::string("/x\0", 3))), Status::Invalid) << c.what;
    }
    // The wrong header is seen from its first wrong byte on.
    InstanceRequestReader early;
    EXPECT_EQ(early.feed(Bytes("MAGTUNE OPEX")), Status::Invalid);
    InstanceRequestReader complete;
    ASSERT_EQ(complete.feed(EncodeInstanceRequest("/a.cfg")), Status::Complete);
    EXPECT_EQ(complete.feed(Bytes("more")), Status::Invalid);
}

TEST(InstanceRequest, SettingFileIsTheFirstArgumentThatIsNoOption) {
    using Args = std::vector<std::string>;
    struct Case {
        Args arguments;
        std::optional<std::string> file;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{"desk.cfg"}, "desk.cfg"},
        {{"-platform", "offscreen", "desk.cfg"}, "desk.cfg"},
        {{"--style", "fusion", "-reverse", "/a/b.cfg", "other.cfg"}, "/a/b.cfg"},
        {{"-style=fusion", "b.cfg"}, "b.cfg"},
        {{"-platform", "offscreen"}, std::nullopt},
        {{"", "c.cfg"}, "c.cfg"},
        {{"--", "-dash.cfg"}, "-dash.cfg"},
        {{"--"}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingFileArgument(c.arguments), c.file)
            << (c.arguments.empty() ? "" : c.arguments.front());
    }
}

TEST(InstanceRequest, PathsAreMadeAbsoluteAgainstTheSecondStartsFolder) {
    struct Case {
        const char* path;
        const char* folder;
        const char* absolute;
    };
    const Case cases[] = {
        {"desk.cfg", "/home/u", "/home/u/desk.cfg"},
        {"./sub/../desk.cfg", "/home/u/", "/home/u/desk.cfg"},
        {"../x.cfg", "/home/u", "/home/x.cfg"},
        {"/tmp//y.cfg", "/home/u", "/tmp/y.cfg"},
        {"with space.cfg", "/a b", "/a b/with space.cfg"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AbsoluteFilePath(c.path, c.folder), c.absolute) << c.path;
    }
}

TEST(InstanceRequest, HandOverSucceedsOnlyWithTheReceipt) {
    test::TempFolder folder;
    const std::string path = folder / "magtune.sock";
    std::string problem;
    // Nobody listens: the wait is bounded and says why.
    EXPECT_FALSE(HandOverToRunningInstance(path, "/a.cfg", 150, problem));
    EXPECT_NE(problem.find("cannot reach it at " + path), std::string::npos) << problem;
    EXPECT_FALSE(HandOverToRunningInstance("", "/a.cfg", 150, problem));

    platform::SystemError error;
    auto listener = platform::UnixSocket::listenAt(path, error);
    ASSERT_TRUE(listener.has_value()) << error.function;
    // A listener that hangs (never answers) lets the second start go.
    EXPECT_FALSE(HandOverToRunningInstance(path, "/a.cfg", 200, problem));
    EXPECT_EQ(problem, "it did not answer within 200 ms");

    // The hung connection is still in the queue: out of the way.
    static_cast<void>(listener->accept());
    for (const std::uint8_t answer : {kInstanceRequestTaken, std::uint8_t{0x15}}) {
        std::string received;
        std::thread runningInstance([&] {
            std::optional<platform::UnixSocket> connection;
            for (int i = 0; i < 500 && !connection; ++i) {
                connection = listener->accept();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            if (!connection) {
                return;
            }
            InstanceRequestReader reader;
            std::array<std::uint8_t, 64> buffer{};
            while (reader.status() == Status::Incomplete) {
                const auto got = connection->readSome(buffer, 2000);
                if (got.status != platform::UnixSocket::ReadStatus::Data) {
                    return;
                }
                reader.feed(std::span(buffer).first(got.count));
            }
            received = reader.file();
            const std::array<std::uint8_t, 1> receipt{answer};
            EXPECT_TRUE(connection->writeAll(receipt, 1000));
        });
        const bool taken = HandOverToRunningInstance(path, "/home/u/desk.cfg", 5000, problem);
        runningInstance.join();
        EXPECT_EQ(taken, answer == kInstanceRequestTaken);
        EXPECT_EQ(received, "/home/u/desk.cfg");
    }
    EXPECT_EQ(problem, "it refused the request");
}

}  // namespace
}  // namespace magtune::shell
