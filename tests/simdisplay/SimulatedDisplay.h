#pragma once

// A scriptable stand-in for attached displays behind the hidapi interface.
// Code under test calls the usual hid_* functions; tests describe the attached
// interfaces here and read back every feature report that reached them.

#include <chrono>
#include <string>
#include <vector>

namespace simdisplay {

enum class VersionReply {
    Valid,              // 07, version high byte, version low byte
    WrongFirstByteOnce, // the first read after a request carries another report id
    Never,              // every read fails
};

struct Interface {
    std::string path;
    unsigned short vendorId = 0x3E5B;
    unsigned short productId = 0x6C21;
    unsigned short usagePage = 0xFF01;
    unsigned short usage = 0x0001;
    unsigned short releaseNumber = 0x0100;
    std::wstring productName = L"USB Temperature Display";
    bool openFails = false;
    bool productNameFails = false;
    bool sendFails = false; // as after the display was unplugged
    VersionReply versionReply = VersionReply::Valid;
    unsigned short firmwareVersion = 0x0103;
};

struct FeatureReport {
    std::string path;
    std::vector<unsigned char> bytes;
    std::chrono::steady_clock::time_point sentAt;
};

// Forgets every interface, report and counter.
void Reset();
void Attach(const Interface& device);
// Later sends to the interface fail, as for a display that was pulled out.
void Unplug(const std::string& path);

// Every feature report sent, in order, failed sends included.
std::vector<FeatureReport> SentReports();
// Feature report reads asked of the interface.
int FeatureReadCount(const std::string& path);
// Handles opened and not yet closed.
int OpenHandleCount();

} // namespace simdisplay
