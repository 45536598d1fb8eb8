#include "usbhid/common/ChannelNames.h"

#include <gtest/gtest.h>

#include "usbhid/common/SimUsbWire.h"

namespace magtune::usbhid {
namespace {

TEST(ChannelNames, NameBaseIsTheFolderWithSlashesReplaced) {
    EXPECT_EQ(NameBase("/opt/magtune/bin"), "_opt_magtune_bin");
    EXPECT_EQ(NameBase("/"), "_");
    EXPECT_EQ(ChannelObjectPath("/run/user/1000", "_opt_magtune_bin", ChannelObject::RequestBlock),
              "/run/user/1000/_opt_magtune_bin{FF605E43-1EA6-4254-914C-23C054B79A55}");
    EXPECT_EQ(ServerLockPath("/run/user/1000", "_opt"),
              "/run/user/1000/_opt{919CCE97-5F08-44dd-B546-CF18C1A11563}.lock");
}

TEST(ChannelNames, LongFoldersAreHashedIntoNamesTheSystemTakes) {
    const std::string tail(300, 'x');
    const std::string first = "/a/" + tail;
    const std::string second = "/b/" + tail;
    const std::string base = NameBase(first);
    EXPECT_EQ(base.size(), kMaxNameBase);
    EXPECT_EQ(base, NameBase(first));
    EXPECT_NE(base, NameBase(second));
    EXPECT_EQ(base.substr(16, 1), "_");
    EXPECT_EQ(NameBase(std::string(kMaxNameBase, 'y')), std::string(kMaxNameBase, 'y'));
    for (const ChannelObject object :
         {ChannelObject::RequestEvent, ChannelObject::ReplyEvent, ChannelObject::QuitEvent,
          ChannelObject::ReadyEvent, ChannelObject::RequestBlock, ChannelObject::ServerMutex}) {
        const std::string name = ServerLockPath("/run", base).substr(5);
        EXPECT_LE(name.size(), 255u);  // the longest file name, the lock
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_EQ(ChannelObjectPath("/run", base, object).find('/', 5), std::string::npos);
    }
}

TEST(SimUsbWire, MessagesAreTakenWholeAndInOrder) {
    std::vector<std::uint8_t> stream = EncodeSimUsbMessage('F', std::vector<std::uint8_t>{1, 'k'});
    EXPECT_EQ(stream, (std::vector<std::uint8_t>{'F', 0x02, 0x00, 0x01, 'k'}));
    const auto second = EncodeSimUsbMessage('O', {});
    stream.insert(stream.end(), second.begin(), second.end() - 1);  // cut short

    const auto first = TakeSimUsbMessage(stream);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->op, 'F');
    EXPECT_EQ(first->payload, (std::vector<std::uint8_t>{0x01, 'k'}));
    EXPECT_FALSE(TakeSimUsbMessage(stream));
    stream.push_back(0x00);
    const auto whole = TakeSimUsbMessage(stream);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->op, 'O');
    EXPECT_TRUE(stream.empty());
}

TEST(SimUsbWire, DeviceListsRoundTripAndTruncatedOnesAreRefused) {
    const std::vector<UsbDeviceInfo> devices{{"Tarvik", "sim-1"}, {"", "k"}};
    const auto payload = EncodeDeviceList(devices);
    EXPECT_EQ(payload, (std::vector<std::uint8_t>{6,   0,   'T', 'a', 'r', 'v', 'i', 'k', 5, 0,
                                                  's', 'i', 'm', '-', '1', 0,   0,   1,   0, 'k'}));
    EXPECT_EQ(DecodeDeviceList(payload), devices);
    for (std::size_t cut = 1; cut < payload.size(); ++cut) {
        if (cut == 15) {
            continue;  // a whole first entry
        }
        EXPECT_FALSE(DecodeDeviceList(std::span(payload).first(cut))) << cut;
    }
    EXPECT_EQ(DecodeDeviceList({}), std::vector<UsbDeviceInfo>{});
}

}  // namespace
}  // namespace magtune::usbhid
