#include "StartupTask.h"

#include "AppFolders.h"
#include "fakes/FakeTaskScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing::ElementsAreArray;
using testing::IsEmpty;

// Every call of a registration that goes through, in order.
std::vector<std::wstring> FullSequence() {
    return {
        LR"(CoCreateInstance({0F87369F-A4E5-4CFC-BD3E-73E6154572DD}, null, 1, ITaskService))",
        LR"(ITaskService::Connect(VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_EMPTY))",
        LR"(ITaskService::GetFolder("\"))",
        LR"(ITaskService::NewTask(0))",
        LR"(ITaskDefinition::get_Triggers())",
        LR"(ITriggerCollection::Create(9))",
        LR"(ITrigger::put_Id("Administrator"))",
        LR"(ITaskDefinition::get_Principal())",
        LR"(IPrincipal::put_RunLevel(1))",
        LR"(ITaskDefinition::get_Settings())",
        LR"(ITaskSettings::put_StopIfGoingOnBatteries(VARIANT_FALSE))",
        LR"(ITaskSettings::put_DisallowStartIfOnBatteries(VARIANT_FALSE))",
        LR"(ITaskSettings::put_AllowDemandStart(VARIANT_TRUE))",
        LR"(ITaskSettings::put_StartWhenAvailable(VARIANT_FALSE))",
        LR"(ITaskSettings::put_MultipleInstances(0))",
        LR"(ITaskSettings::put_ExecutionTimeLimit("PT0S"))",
        LR"(ITaskDefinition::get_Actions())",
        LR"(IActionCollection::Create(0))",
        LR"(IExecAction::QueryInterface(IExecAction))",
        L"IExecAction::put_Path(\"" + ModuleFolder() + L"Thermolink.exe\")",
        LR"(ITaskFolder::RegisterTaskDefinition("TEMP StartupTask", the new task, 6, VT_EMPTY, VT_EMPTY, 3, VT_BSTR "", null))",
    };
}

bool IsCallOf(const std::wstring& call, const std::wstring& method) {
    return call.starts_with(method + L"(");
}

// The full sequence up to and including the first call of `method`.
std::vector<std::wstring> SequenceUpTo(const std::wstring& method) {
    std::vector<std::wstring> calls = FullSequence();
    const auto last = std::find_if(calls.begin(), calls.end(), [&](const std::wstring& call) {
        return IsCallOf(call, method);
    });
    if (last != calls.end())
        calls.erase(std::next(last), calls.end());
    return calls;
}

// Sends std::cerr into a string while it lives.
class CapturedCerr {
public:
    CapturedCerr() : previous_(std::cerr.rdbuf(text_.rdbuf())) {}
    CapturedCerr(const CapturedCerr&) = delete;
    CapturedCerr& operator=(const CapturedCerr&) = delete;
    ~CapturedCerr() { std::cerr.rdbuf(previous_); }

    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::streambuf* previous_;
};

// The program's entry initialises COM before registering, and so does each test. Afterwards
// exactly that one initialisation must be left: the call balances its own.
class StartupTaskTest : public testing::Test {
protected:
    explicit StartupTaskTest(DWORD apartment = COINIT_APARTMENTTHREADED) : apartment_(apartment) {}

    void SetUp() override { ASSERT_EQ(CoInitializeEx(nullptr, apartment_), S_OK); }
    void TearDown() override {
        EXPECT_EQ(CoInitializeEx(nullptr, apartment_), S_FALSE) << "COM uninitialised too often";
        CoUninitialize();
        CoUninitialize();
        EXPECT_EQ(CoInitializeEx(nullptr, apartment_), S_OK) << "COM left initialised";
        CoUninitialize();
    }

private:
    DWORD apartment_;
};

// A thread of the multithreaded apartment cannot join a single-threaded one.
class StartupTaskInMultithreadedApartmentTest : public StartupTaskTest {
protected:
    StartupTaskInMultithreadedApartmentTest() : StartupTaskTest(COINIT_MULTITHREADED) {}
};

struct FailingStep {
    const wchar_t* method;
    const char* message; // up to the HRESULT
    int result;
    bool handsObject;
};

const FailingStep kFailingSteps[] = {
    {L"CoCreateInstance", "Failed to create Task Scheduler instance with HRESULT: 0x", 1, true},
    {L"ITaskService::Connect", "Failed to connect to Task Scheduler service with HRESULT: 0x", 1,
     false},
    {L"ITaskService::GetFolder", "Failed to get root folder with HRESULT: 0x", 1, true},
    {L"ITaskService::NewTask", "Failed to create new task with HRESULT: 0x", 1, true},
    {L"ITaskDefinition::get_Triggers", "Failed to get trigger collection with HRESULT: 0x", 1,
     true},
    {L"ITriggerCollection::Create", "Failed to create trigger with HRESULT: 0x", 1, true},
    {L"ITrigger::put_Id", "Failed to set trigger ID with HRESULT: 0x", 1, false},
    {L"ITaskDefinition::get_Principal", "Failed to get principal with HRESULT: 0x", 1, true},
    {L"IPrincipal::put_RunLevel", "Failed to set run level with HRESULT: 0x", 1, false},
    {L"ITaskDefinition::get_Actions", "Failed to get action collection with HRESULT: 0x", 1, true},
    {L"IActionCollection::Create", "Failed to create action with HRESULT: 0x", 1, true},
    {L"IExecAction::QueryInterface", "Failed to query exec action interface with HRESULT: 0x", 1,
     true},
    {L"IExecAction::put_Path", "Failed to set executable path with HRESULT: 0x", 1, false},
    // The attempt counts: it ends like a registration that went through.
    {L"ITaskFolder::RegisterTaskDefinition", "Failed to register task definition with HRESULT: 0x",
     0, false},
};

void ExpectStopsAt(const FailingStep& step, HRESULT fault, const char* reportedHex) {
    SCOPED_TRACE(testing::Message() << step.method << " answering " << std::hex << fault);
    FakeTaskScheduler fakes;
    fakes.log.faultAt = step.method;
    fakes.log.fault = fault;
    std::ostringstream errors;

    EXPECT_EQ(RegisterStartupTask(fakes.Factory(), errors), step.result);
    EXPECT_EQ(errors.str(), std::string(step.message) + reportedHex + "\n");
    EXPECT_THAT(fakes.log.calls, ElementsAreArray(SequenceUpTo(step.method)));
    EXPECT_THAT(fakes.Leaks(), IsEmpty());
}

// Wine's Task Scheduler has no logon trigger, so the real service stops there.
TEST_F(StartupTaskTest, WineRefusesTheLogonTrigger) {
    int result = 0;
    std::string errors;
    {
        const CapturedCerr captured;
        result = RegisterStartupTask();
        errors = captured.Text();
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(errors, "Failed to create trigger with HRESULT: 0x80004001\n");
}

TEST_F(StartupTaskTest, RegistersTheLogonTaskStepByStep) {
    FakeTaskScheduler fakes;
    std::ostringstream errors;

    EXPECT_EQ(RegisterStartupTask(fakes.Factory(), errors), 0);
    EXPECT_THAT(fakes.log.calls, ElementsAreArray(FullSequence()));
    EXPECT_EQ(errors.str(), "");
    EXPECT_THAT(fakes.Leaks(), IsEmpty());
}

TEST_F(StartupTaskTest, StopsAtTheFirstFailingStep) {
    for (const FailingStep& step : kFailingSteps)
        ExpectStopsAt(step, E_ACCESSDENIED, "80070005");
}

// A call that reports success but hands back nothing fails as E_POINTER.
TEST_F(StartupTaskTest, StopsWhereASucceedingCallHandsBackNoObject) {
    for (const FailingStep& step : kFailingSteps)
        if (step.handsObject)
            ExpectStopsAt(step, S_OK, "80004003");
}

TEST_F(StartupTaskTest, RegistersDespiteFailingSettings) {
    struct IgnoredFault {
        const wchar_t* method;
        HRESULT fault;
        bool settingsApplied;
    };
    const IgnoredFault faults[] = {
        {L"ITaskDefinition::get_Settings", E_ACCESSDENIED, false},
        {L"ITaskDefinition::get_Settings", S_OK, false},
        {L"ITaskSettings::put_StopIfGoingOnBatteries", E_ACCESSDENIED, true},
        {L"ITaskSettings::put_DisallowStartIfOnBatteries", E_ACCESSDENIED, true},
        {L"ITaskSettings::put_AllowDemandStart", E_ACCESSDENIED, true},
        {L"ITaskSettings::put_StartWhenAvailable", E_ACCESSDENIED, true},
        {L"ITaskSettings::put_MultipleInstances", E_ACCESSDENIED, true},
        {L"ITaskSettings::put_ExecutionTimeLimit", E_ACCESSDENIED, true},
    };
    for (const IgnoredFault& fault : faults) {
        SCOPED_TRACE(testing::Message()
                     << fault.method << " answering " << std::hex << fault.fault);
        FakeTaskScheduler fakes;
        fakes.log.faultAt = fault.method;
        fakes.log.fault = fault.fault;
        std::ostringstream errors;
        std::vector<std::wstring> expected = FullSequence();
        if (!fault.settingsApplied)
            std::erase_if(expected, [](const std::wstring& call) {
                return call.starts_with(L"ITaskSettings::");
            });

        EXPECT_EQ(RegisterStartupTask(fakes.Factory(), errors), 0);
        EXPECT_EQ(errors.str(), "");
        EXPECT_THAT(fakes.log.calls, ElementsAreArray(expected));
        EXPECT_THAT(fakes.Leaks(), IsEmpty());
    }
}

TEST_F(StartupTaskInMultithreadedApartmentTest, StopsWhenCoInitializeFails) {
    FakeTaskScheduler fakes;
    std::ostringstream errors;

    EXPECT_EQ(RegisterStartupTask(fakes.Factory(), errors), 1);
    EXPECT_EQ(errors.str(), "CoInitialize failed with HRESULT: 0x80010106\n");
    EXPECT_THAT(fakes.log.calls, IsEmpty());
}

} // namespace
