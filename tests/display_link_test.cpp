#include "DisplayLink.h"
#include "SimulatedDisplay.h"
#include "display_reset.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using simdisplay::Interface;
using simdisplay::VersionReply;

constexpr char kPathA[] =
    R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#7&1a2b3c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
constexpr char kPathB[] =
    R"(\\?\hid#vid_3e5b&pid_6c21&mi_00#7&4d5e6f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

Interface Display(const std::string& path) {
    Interface device;
    device.path = path;
    return device;
}

std::vector<simdisplay::FeatureReport> ReportsTo(const std::string& path) {
    std::vector<simdisplay::FeatureReport> result;
    for (const auto& report : simdisplay::SentReports())
        if (report.path == path)
            result.push_back(report);
    return result;
}

class DisplayLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ResetDisplays(); }
    void TearDown() override { ResetDisplays(); }
    void Reconnect() { ReconnectDisplays(link); }

    DisplayLink& link = DisplayLink::Instance();
};

TEST(DisplayReports, TemperatureReportCarriesThreeDigits) {
    struct Case {
        int temperature;
        unsigned char hundreds, tens, units;
    };
    const Case cases[] = {{7, 0, 0, 7},  {42, 0, 4, 2}, {0, 0, 0, 0},
                          {99, 0, 9, 9}, {-3, 0, 0, 0}, {-42, 0, 0, 0}};
    for (const Case& c : cases) {
        const DisplayReport report = BuildTemperatureReport(c.temperature);
        EXPECT_EQ(report[0], 0x07);
        EXPECT_EQ(report[1], 0xFF);
        EXPECT_EQ(report[2], 0xFF);
        EXPECT_EQ(report[3], c.hundreds) << c.temperature;
        EXPECT_EQ(report[4], c.tens) << c.temperature;
        EXPECT_EQ(report[5], c.units) << c.temperature;
        EXPECT_TRUE(std::all_of(report.begin() + 6, report.end(), [](auto b) { return b == 0; }));
    }
}

TEST_F(DisplayLinkTest, SendsTheSixtyFiveByteReportToEveryDisplay) {
    simdisplay::Attach(Display(kPathA));
    simdisplay::Attach(Display(kPathB));
    Reconnect();
    ASSERT_EQ(link.DeviceCount(), 2);

    EXPECT_TRUE(link.SendReport(BuildTemperatureReport(7).data()));
    EXPECT_TRUE(link.SendReport(BuildTemperatureReport(42).data()));

    const std::vector<unsigned char> seven = {0x07, 0xFF, 0xFF, 0, 0, 7};
    const std::vector<unsigned char> fortyTwo = {0x07, 0xFF, 0xFF, 0, 4, 2};
    for (const char* path : {kPathA, kPathB}) {
        const auto reports = ReportsTo(path);
        ASSERT_EQ(reports.size(), 2u) << path;
        for (const auto& report : reports) {
            ASSERT_EQ(report.bytes.size(), 65u);
            EXPECT_TRUE(std::all_of(report.bytes.begin() + 6, report.bytes.end(),
                                    [](auto b) { return b == 0; }));
        }
        EXPECT_TRUE(std::equal(seven.begin(), seven.end(), reports[0].bytes.begin()));
        EXPECT_TRUE(std::equal(fortyTwo.begin(), fortyTwo.end(), reports[1].bytes.begin()));
    }
}

TEST_F(DisplayLinkTest, OnlyTheFirstDisplayIsAskedForItsVersion) {
    Interface second = Display(kPathB);
    second.firmwareVersion = 0x0200;
    simdisplay::Attach(Display(kPathA));
    simdisplay::Attach(second);
    Reconnect();

    int version = 0;
    ASSERT_TRUE(link.QueryFirmwareVersion(version));
    EXPECT_EQ(version, 0x0103);
    EXPECT_TRUE(ReportsTo(kPathB).empty());
    EXPECT_EQ(simdisplay::FeatureReadCount(kPathB), 0);

    const auto requests = ReportsTo(kPathA);
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].bytes.size(), 64u);
    EXPECT_EQ(requests[0].bytes[0], 0x07);
    EXPECT_EQ(requests[0].bytes[1], 0xFD);
    EXPECT_TRUE(std::all_of(requests[0].bytes.begin() + 2, requests[0].bytes.end(),
                            [](auto b) { return b == 0; }));
}

TEST_F(DisplayLinkTest, VersionReplies) {
    struct Case {
        VersionReply reply;
        bool answered;
        int version;
        int reads;
    };
    const Case cases[] = {
        {VersionReply::Valid, true, 0x0103, 1},
        {VersionReply::WrongFirstByteOnce, true, 0x0103, 2},
        // A display that never answers must not look like firmware 0xFD00
        // (the request's own bytes); the version stays as it was.
        {VersionReply::Never, false, -1, 2},
    };
    for (const Case& c : cases) {
        simdisplay::Reset();
        Interface display = Display(kPathA);
        display.versionReply = c.reply;
        simdisplay::Attach(display);
        Reconnect();

        int version = -1;
        EXPECT_EQ(link.QueryFirmwareVersion(version), c.answered);
        EXPECT_EQ(version, c.version);
        EXPECT_EQ(simdisplay::FeatureReadCount(kPathA), c.reads);
    }
}

TEST_F(DisplayLinkTest, OpensOnlyTheVendorInterfaceOfACompositeDisplay) {
    Interface keyboard = Display(R"(\\?\hid#vid_3e5b&pid_6c21&mi_01&col01#kbd)");
    keyboard.usagePage = 0x0001;
    keyboard.usage = 0x0006;
    Interface consumer = Display(R"(\\?\hid#vid_3e5b&pid_6c21&mi_01&col02#cc)");
    consumer.usagePage = 0x000C;
    Interface vendorUsage2 = Display(R"(\\?\hid#vid_3e5b&pid_6c21&mi_02#v2)");
    vendorUsage2.usage = 0x0002;
    Interface otherMaker = Display(R"(\\?\hid#vid_1234&pid_6c21#other)");
    otherMaker.vendorId = 0x1234;
    for (const Interface& device : {keyboard, consumer, Display(kPathA), vendorUsage2, otherMaker})
        simdisplay::Attach(device);
    Reconnect();

    EXPECT_EQ(link.DeviceCount(), 1);
    EXPECT_EQ(simdisplay::OpenHandleCount(), 1);
    link.SendReport(BuildTemperatureReport(30).data());
    const auto reports = simdisplay::SentReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].path, kPathA);
}

TEST_F(DisplayLinkTest, WithoutADisplayReportsGoNowhereAndNoVersionIsRead) {
    Reconnect();
    EXPECT_EQ(link.DeviceCount(), 0);
    EXPECT_TRUE(link.SendReport(BuildTemperatureReport(42).data()));
    int version = 1234;
    EXPECT_FALSE(link.QueryFirmwareVersion(version));
    EXPECT_EQ(version, 1234);
    EXPECT_TRUE(simdisplay::SentReports().empty());
}

TEST_F(DisplayLinkTest, AClosedLinkSendsNothing) {
    simdisplay::Attach(Display(kPathA));
    Reconnect();
    link.CloseAll();
    EXPECT_EQ(link.DeviceCount(), 0);
    EXPECT_EQ(simdisplay::OpenHandleCount(), 0);
    EXPECT_FALSE(link.SendReport(BuildTemperatureReport(42).data()));
    int version = 0;
    EXPECT_FALSE(link.QueryFirmwareVersion(version));
    EXPECT_TRUE(simdisplay::SentReports().empty());
}

TEST_F(DisplayLinkTest, FaultyInterfacesAreSkippedOrTolerated) {
    Interface unopenable = Display(R"(\\?\hid#vid_3e5b&pid_6c21#busy)");
    unopenable.openFails = true;
    Interface nameless = Display(kPathB);
    nameless.productNameFails = true;
    simdisplay::Attach(unopenable);
    simdisplay::Attach(Display(kPathA));
    simdisplay::Attach(nameless);
    Reconnect();
    EXPECT_EQ(link.DeviceCount(), 2);

    // A display pulled out stays listed until the next reconnect; its failed
    // send does not keep the report from the others.
    simdisplay::Unplug(kPathA);
    EXPECT_TRUE(link.SendReport(BuildTemperatureReport(55).data()));
    EXPECT_EQ(ReportsTo(kPathA).size(), 1u);
    EXPECT_EQ(ReportsTo(kPathB).size(), 1u);

    // The first display can no longer take the version request.
    int version = 77;
    EXPECT_FALSE(link.QueryFirmwareVersion(version));
    EXPECT_EQ(version, 77);
}

TEST_F(DisplayLinkTest, ReconnectReplacesTheOpenHandles) {
    simdisplay::Attach(Display(kPathA));
    Reconnect();
    Reconnect();
    EXPECT_EQ(link.DeviceCount(), 1);
    EXPECT_EQ(simdisplay::OpenHandleCount(), 1);
}

TEST_F(DisplayLinkTest, ADevicePathLongerThan1023CharactersIsSkipped) {
    const std::string prefix = R"(\\?\hid#vid_3e5b&pid_6c21#)";
    simdisplay::Attach(Display(prefix + std::string(1023 - prefix.size(), 'a')));
    simdisplay::Attach(Display(prefix + std::string(1024 - prefix.size(), 'b')));
    Reconnect();
    EXPECT_EQ(link.DeviceCount(), 1);
    EXPECT_EQ(simdisplay::OpenHandleCount(), 1);
}

} // namespace
