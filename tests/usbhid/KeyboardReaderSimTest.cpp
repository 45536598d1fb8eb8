#include "KeyboardReaderSim.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "UsbSimBus.h"
#include "comm/ProtocolFrames.h"

namespace magtune::usbhid {
namespace {

using Bytes = std::vector<std::uint8_t>;

settings::ConfigurationImage CountingImage() {
    settings::ConfigurationImage image;
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    return image;
}

settings::ConfigurationImage FilledImage(std::uint8_t value) {
    settings::ConfigurationImage image;
    image.fill(value);
    return image;
}

template <typename Frame>
Bytes ToBytes(const Frame& frame) {
    return Bytes(frame.begin(), frame.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

const Bytes kWake = {0xEC, 0xEC, 0xEC};
const Bytes kUploadRequest = {0x02, 0x1B, 0x52};

TEST(KeyboardReaderSim, AnswersEachFrameAfterAWake) {
    readersim::KeyboardReaderSim reader(FilledImage(0), {});
    EXPECT_EQ(reader.receive(kWake), "O");

    // An image whose bytes include the wake byte and STX: payload is never
    // taken for either.
    settings::ConfigurationImage image = CountingImage();
    image[0] = 0xEC;
    image[1] = 0xEC;
    image[2] = 0xEC;
    image[3] = 0x02;
    EXPECT_EQ(reader.receive(ToBytes(comm::KeyboardDownload(image))), "Y");
    EXPECT_EQ(reader.image(), image);
    EXPECT_EQ(reader.acceptedImages(), 1u);

    EXPECT_EQ(reader.receive(Concat({kWake, kUploadRequest})),
              "O" + comm::KeyboardUploadReplyDigits(image));
    EXPECT_EQ(reader.completedTransfers(), 2u);
}

TEST(KeyboardReaderSim, IgnoresFramesWithoutAFreshWake) {
    readersim::KeyboardReaderSim reader(FilledImage(0x11), {});
    const Bytes download = ToBytes(comm::KeyboardDownload(CountingImage()));
    EXPECT_EQ(reader.receive(download), "");
    EXPECT_EQ(reader.receive(kUploadRequest), "");
    // Two wake bytes are not a wake; junk between them restarts the count.
    EXPECT_EQ(reader.receive(Bytes{0xEC, 0xEC, 0x41, 0xEC, 0xEC}), "");
    EXPECT_EQ(reader.receive(Bytes{0xEC}), "O");
    EXPECT_EQ(reader.receive(kUploadRequest), comm::KeyboardUploadReplyDigits(FilledImage(0x11)));
    // The wake was spent on that frame.
    EXPECT_EQ(reader.receive(download), "");
    EXPECT_EQ(reader.image(), FilledImage(0x11));
}

TEST(KeyboardReaderSim, AnswersNToADownloadWithAWrongCheckByte) {
    readersim::KeyboardReaderSim reader(FilledImage(0x11), {});
    Bytes download = ToBytes(comm::KeyboardDownload(CountingImage()));
    download.back() ^= 0x01;
    EXPECT_EQ(reader.receive(Concat({kWake, download})), "ON");
    EXPECT_EQ(reader.image(), FilledImage(0x11));
    EXPECT_EQ(reader.completedTransfers(), 0u);
}

TEST(KeyboardReaderSim, ResetDropsAFrameInProgress) {
    readersim::KeyboardReaderSim reader(FilledImage(0x11), {});
    const Bytes download = ToBytes(comm::KeyboardDownload(CountingImage()));
    reader.receive(kWake);
    reader.receive(std::span(download).first(100));
    reader.reset();
    EXPECT_EQ(reader.receive(std::span(download).subspan(100)), "");
    EXPECT_EQ(reader.receive(Concat({kWake, download})), "OY");
}

TEST(KeyboardReaderSim, FaultsOnRequest) {
    const settings::ConfigurationImage image = CountingImage();
    const Bytes download = ToBytes(comm::KeyboardDownload(image));
    const Bytes upload = Concat({kWake, kUploadRequest});

    readersim::KeyboardFaults nak;
    nak.nakFirst = 1;
    readersim::KeyboardReaderSim nakReader(FilledImage(0), nak);
    EXPECT_EQ(nakReader.receive(Concat({kWake, download})), "ON");
    EXPECT_EQ(nakReader.image(), FilledImage(0));
    EXPECT_EQ(nakReader.receive(Concat({kWake, download})), "OY");

    readersim::KeyboardFaults badChecksum;
    badChecksum.badChecksumFirst = 1;
    readersim::KeyboardReaderSim badReader(image, badChecksum);
    const std::string first = badReader.receive(upload).substr(1);
    EXPECT_EQ(comm::DecodeKeyboardUploadReply(first).error, comm::FrameError::WrongChecksum);
    EXPECT_EQ(first.substr(0, 512), comm::KeyboardUploadReplyDigits(image).substr(0, 512));
    EXPECT_TRUE(comm::DecodeKeyboardUploadReply(badReader.receive(upload).substr(1)).ok());
    EXPECT_EQ(badReader.completedTransfers(), 1u);

    readersim::KeyboardFaults lower;
    lower.lowercaseDigits = true;
    readersim::KeyboardReaderSim lowerReader(image, lower);
    const std::string digits = lowerReader.receive(upload).substr(1);
    EXPECT_EQ(digits.substr(0, 32), "000102030405060708090a0b0c0d0e0f");
    EXPECT_EQ(comm::DecodeKeyboardUploadReply(digits).image, image);

    readersim::KeyboardFaults noise;
    noise.noiseKeys = 3;
    readersim::KeyboardReaderSim noisyReader(image, noise);
    const std::string answer = noisyReader.receive(kWake);
    ASSERT_EQ(answer.size(), 4u);
    for (const char c : answer.substr(0, 3)) {
        EXPECT_EQ(comm::ClassifyKeyboardAnswer(c), comm::KeyboardAnswer::Other) << c;
    }
    EXPECT_EQ(answer.back(), 'O');

    readersim::KeyboardFaults silent;
    silent.silent = true;
    readersim::KeyboardReaderSim silentReader(FilledImage(0), silent);
    EXPECT_EQ(silentReader.receive(Concat({kWake, download, kWake, kUploadRequest})), "");
    EXPECT_EQ(silentReader.image(), FilledImage(0));

    // The reader drops off with the byte that completes the wake.
    readersim::KeyboardFaults hangup;
    hangup.hangupAfter = 3;
    readersim::KeyboardReaderSim hangupReader(image, hangup);
    EXPECT_EQ(hangupReader.receive(Concat({kWake, kWake})), "");
    EXPECT_TRUE(hangupReader.hangupDue());
}

TEST(KeyboardReaderSim, TakesTheSerialFaultsThatApply) {
    readersim::ReaderFaults serial;
    serial.noiseBytes = 2;
    serial.nakFirst = 3;
    serial.badChecksumFirst = 4;
    serial.lowercaseHeaderFirst = 5;
    serial.silent = true;
    serial.hangupAfter = 6;
    const readersim::KeyboardFaults keyboard = readersim::KeyboardFaults::From(serial, true);
    EXPECT_EQ(keyboard.noiseKeys, 2u);
    EXPECT_EQ(keyboard.nakFirst, 3u);
    EXPECT_EQ(keyboard.badChecksumFirst, 4u);
    EXPECT_TRUE(keyboard.lowercaseDigits);
    EXPECT_TRUE(keyboard.silent);
    EXPECT_EQ(keyboard.hangupAfter, 6u);
}

// ---- the simulated bus around the reader ----

class UsbSimBusTest : public ::testing::Test {
  protected:
    // Sends one request; returns the reply's status and payload.
    SimUsbMessage send(SimUsbOp op, Bytes payload = {}) {
        auto reply = bus.handle({static_cast<std::uint8_t>(op), std::move(payload)}, typed);
        auto message = TakeSimUsbMessage(reply);
        EXPECT_TRUE(message && reply.empty());
        return message.value_or(SimUsbMessage{});
    }
    SimUsbMessage control(std::uint32_t code, std::uint8_t byte) {
        return send(SimUsbOp::Control,
                    {static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8),
                     static_cast<std::uint8_t>(code >> 16), 0, byte});
    }
    SimUsbMessage filter(FilterMode mode, const std::string& key) {
        Bytes payload{static_cast<std::uint8_t>(mode)};
        payload.insert(payload.end(), key.begin(), key.end());
        return send(SimUsbOp::Filter, payload);
    }

    readersim::KeyboardReaderSim reader{CountingImage(), {}};
    readersim::UsbSimBus bus{{"Tarvik One", "Acme Mouse"}, reader};
    std::string typed;
};

TEST_F(UsbSimBusTest, ListsItsDevicesWithTheirKeys) {
    const SimUsbMessage reply = send(SimUsbOp::Enumerate);
    EXPECT_EQ(reply.op, 1);
    EXPECT_EQ(DecodeDeviceList(reply.payload),
              (std::vector<UsbDeviceInfo>{{"Tarvik One", "sim-1"}, {"Acme Mouse", "sim-2"}}));
}

TEST_F(UsbSimBusTest, TheFilterOpensTheControlDevice) {
    EXPECT_EQ(send(SimUsbOp::OpenControl).op, 0);
    EXPECT_EQ(control(kWriteControlCodeRequest, 0xEC).op, 0);
    EXPECT_EQ(filter(FilterMode::Query, "sim-1").payload, Bytes{0});
    EXPECT_EQ(filter(FilterMode::Add, "sim-1").payload, Bytes{1});
    EXPECT_EQ(filter(FilterMode::Query, "sim-1").payload, Bytes{1});
    EXPECT_EQ(filter(FilterMode::Query, "sim-9").payload, Bytes{0});
    EXPECT_TRUE(bus.filterPresent(0));
    EXPECT_EQ(send(SimUsbOp::OpenControl).op, 1);
    EXPECT_EQ(filter(FilterMode::Remove, "sim-1").payload, Bytes{1});
    EXPECT_EQ(send(SimUsbOp::OpenControl).op, 0);
}

TEST_F(UsbSimBusTest, CodesReachTheReaderOnlyInsideTheProgrammingChannel) {
    filter(FilterMode::Add, "sim-1");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(control(kWriteControlCodeRequest, 0xEC).op, 1);
    }
    EXPECT_EQ(typed, "");
    control(kSetDownloadChannelRequest, kEnterProgrammingChannel);
    EXPECT_TRUE(bus.programming());
    for (int i = 0; i < 3; ++i) {
        control(kWriteControlCodeRequest, 0xEC);
    }
    EXPECT_EQ(typed, "O");
    control(kSetDownloadChannelRequest, kLeaveProgrammingChannel);
    EXPECT_FALSE(bus.programming());
    // Leaving forgot the wake.
    control(kSetDownloadChannelRequest, kEnterProgrammingChannel);
    for (const std::uint8_t byte : kUploadRequest) {
        control(kWriteControlCodeRequest, byte);
    }
    EXPECT_EQ(typed, "O");
    EXPECT_EQ(control(0x220010, 0).op, 0);
}

}  // namespace
}  // namespace magtune::usbhid
