#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "tests/platform/TempFolder.h"
#include "engine/core/EngineLog.h"
#include "engine/core/GameCore.h"
#include "platform/DailyLog.h"
#include "platform/MessageBox.h"

using namespace engine;

namespace {

// A module that records its updates and messages, and throws on request.
class CRecordingModule : public EngineModule {
public:
    CRecordingModule(int32_t id, std::string name, uint32_t interval = 10) : m_id(id), m_name(std::move(name))
    {
        SetInterval(interval);
    }
    int Load() override { return m_load_result; }
    void Unload() override { ++m_unloads; }
    void Update() override
    {
        updates.push_back(GetManager()->GetTime());
        if (dispatch)
            DispatchQueued();
        if (throw_in_update)
            throw std::runtime_error("module fault");
        if (unload_self)
            GetManager()->UnloadModule(m_id);
    }
    int32_t GetId() const override { return m_id; }
    const char* GetName() const override { return m_name.c_str(); }
    int32_t OnMessage(int32_t id, uintptr_t param1, uintptr_t) override
    {
        messages.push_back(id);
        last_param1 = param1;
        return answer;
    }
    uint32_t GetQueueLimit() const override { return queue_limit; }
    uint32_t GetWorkDueIn(uint32_t) const override { return due; }

    int m_load_result { 1 };
    int m_unloads { 0 };
    bool dispatch { true };
    bool throw_in_update { false };
    bool unload_self { false };
    int32_t answer { VELOTRIX_RETURN_OK };
    uint32_t queue_limit { DEFAULT_QUEUE_LIMIT };
    uintptr_t last_param1 { 0 };
    uint32_t due { 0 };
    std::vector<uint32_t> updates;
    std::vector<int32_t> messages;

private:
    int32_t m_id;
    std::string m_name;
};

class GameCoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::InstallMessageBox(&m_box);
    }
    void TearDown() override
    {
        platform::InstallMessageBox(nullptr);
    }

    CRecordingModule* Load(int32_t id, const char* name, uint32_t interval, bool protect)
    {
        auto module = std::make_unique<CRecordingModule>(id, name, interval);
        CRecordingModule* raw = module.get();
        EXPECT_EQ(m_core.LoadModule(std::move(module), true, protect), VELOTRIX_RETURN_OK);
        return raw;
    }

    void RunTicks(int count, uint32_t step = 5)
    {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(step);
            m_core.Tick();
        }
    }

    std::string ReadLog(const std::string& name) { return m_logs.ReadLogs(name); }

    // Declared first: the log folder outlives everything that writes to it.
    platform::testing::CTempLogFolder m_logs;
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const auto& shown : m_box.GetShown())
            texts.push_back(shown.text);
        return texts;
    }

    platform::CRecordingMessageBox m_box;
    platform::CManualClock m_clock { 1000 };
    GameCore m_core { m_clock };
};

} // namespace

TEST_F(GameCoreTest, ModulesUpdateOnTheirOwnIntervals)
{
    auto* fast = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    auto* slow = Load(VELOTRIX_MODULE_MUSIC, "MusicModule", 100, false);
    RunTicks(60); // 300 ms of 5 ms ticks.
    // An update runs when more than the interval has passed: every third tick.
    ASSERT_GE(fast->updates.size(), 2u);
    EXPECT_EQ(fast->updates[0], 15u);
    for (size_t i = 1; i < fast->updates.size(); ++i)
        EXPECT_EQ(fast->updates[i] - fast->updates[i - 1], 15u);
    EXPECT_EQ(fast->updates.size(), 20u);
    EXPECT_EQ(slow->updates, (std::vector<uint32_t> { 105, 210 }));
}

TEST_F(GameCoreTest, WorkIsDueWithTheSoonestModuleAfterItsInterval)
{
    constexpr uint32_t NONE = EngineModule::NO_WORK_DUE;
    auto* fast = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    auto* slow = Load(VELOTRIX_MODULE_MUSIC, "MusicModule", 100, false);
    RunTicks(40); // at 200 ms: the fast module last ran at 195, the slow one at 105
    struct Case {
        const char* what;
        uint32_t fast_due, slow_due;
        bool fast_enabled;
        uint32_t expected;
    };
    const Case cases[] = {
        { "nothing due anywhere", NONE, NONE, true, NONE },
        { "every frame waits for the interval to pass", 0, NONE, true, 6 },
        { "later work", 50, NONE, true, 50 },
        { "the soonest module counts", 50, 20, true, 20 },
        { "a disabled module counts not", 0, NONE, false, NONE },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fast->due = c.fast_due;
        slow->due = c.slow_due;
        c.fast_enabled ? fast->Enable() : fast->Disable();
        EXPECT_EQ(m_core.GetWorkDueIn(), c.expected);
    }
    fast->Enable();
    fast->due = 50;
    slow->due = NONE;
    m_clock.Advance(30); // a sleep: the module's own answer stands
    EXPECT_EQ(m_core.GetWorkDueIn(), 50u);
    m_core.PostMessage(VELOTRIX_MODULE_MUSIC, 77, 0, 0);
    EXPECT_EQ(m_core.GetWorkDueIn(), 0u);
    // At 235 the message moves to the slow module's queue and stays unread:
    // it is work for the module's next update, 101 ms on.
    slow->dispatch = false;
    fast->due = NONE;
    RunTicks(1);
    EXPECT_EQ(m_core.GetWorkDueIn(), 101u);
}

TEST(EngineModule, TimeLeftInASpanNeverWrapsNorReadsAsNoWork)
{
    struct Case {
        uint64_t span, passed;
        uint32_t expected;
    };
    const Case cases[] = {
        { 10, 0, 10 },
        { 10, 9, 1 },
        { 10, 10, 0 },
        { 10, 0xFFFFFFFF, 0 },
        { 0, 0, 0 },
        { 0x100000000, 0, EngineModule::NO_WORK_DUE - 1 }, // an interval of 0xFFFFFFFF, plus one
        { 0x300000000, 0x300000000 - 7, 7 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeLeftIn(c.span, c.passed), c.expected) << c.span << " " << c.passed;
}

TEST_F(GameCoreTest, IntervalBoundaryIsExclusive)
{
    auto* module = Load(VELOTRIX_MODULE_PAINT, "PaintModule", 10, true);
    m_clock.Advance(100);
    m_core.Tick();
    ASSERT_EQ(module->updates.size(), 1u);
    m_clock.Advance(10);
    m_core.Tick();
    EXPECT_EQ(module->updates.size(), 1u);
    m_clock.Advance(1);
    m_core.Tick();
    EXPECT_EQ(module->updates.size(), 2u);
}

TEST_F(GameCoreTest, ThrowingProtectedModuleIsSwitchedOffOthersGoOn)
{
    auto* object = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    auto* paint = Load(VELOTRIX_MODULE_PAINT, "PaintModule", 10, true);
    auto* input = Load(VELOTRIX_MODULE_INPUT, "InputModule", 10, true);
    paint->throw_in_update = true;
    RunTicks(3);
    EXPECT_FALSE(paint->IsEnabled());
    EXPECT_EQ(object->updates.size(), 1u);
    EXPECT_EQ(input->updates.size(), 1u);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "模块:<PaintModule>因故障关闭!");
    EXPECT_NE(ReadLog("Game").find("模块:<PaintModule>因故障关闭!"), std::string::npos);
    RunTicks(6);
    EXPECT_EQ(paint->updates.size(), 1u);
    EXPECT_EQ(input->updates.size(), 3u);
    // Re-enabled through a system message.
    int32_t id = VELOTRIX_MODULE_PAINT;
    paint->throw_in_update = false;
    m_core.PostMessage(0, VELOTRIX_MSG_ENABLE_MODULE, reinterpret_cast<uintptr_t>(&id), 0);
    RunTicks(4);
    EXPECT_TRUE(paint->IsEnabled());
    EXPECT_EQ(paint->updates.size(), 2u);
}

TEST_F(GameCoreTest, FaultSinkTakesTheReportInsteadOfTheBox)
{
    auto* sink = Load(VELOTRIX_MODULE_ERROR_SINK, "Sink", 10, false);
    sink->dispatch = false;
    auto* paint = Load(VELOTRIX_MODULE_PAINT, "PaintModule", 10, true);
    paint->throw_in_update = true;
    RunTicks(3);
    EXPECT_TRUE(Boxes().empty());
    ASSERT_EQ(sink->messages.size(), 1u);
    EXPECT_EQ(sink->messages[0], VELOTRIX_MSG_MODULE_FAULT);
}

TEST_F(GameCoreTest, UnprotectedExceptionPropagatesWithTheLockReleased)
{
    auto* object = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    object->throw_in_update = true;
    m_clock.Advance(20);
    EXPECT_THROW(m_core.Tick(), std::runtime_error);
    EXPECT_FALSE(m_core.IsLockedByCurrentThread());
    // Another thread can take the lock: it was really released.
    std::thread other([this] {
        m_core.Lock();
        m_core.Unlock();
    });
    other.join();
    EXPECT_TRUE(object->IsEnabled());
}

TEST_F(GameCoreTest, TickLockIsReentrant)
{
    m_core.Lock();
    m_core.Lock();
    RunTicks(1);
    m_core.Unlock();
    EXPECT_TRUE(m_core.IsLockedByCurrentThread());
    m_core.Unlock();
    EXPECT_FALSE(m_core.IsLockedByCurrentThread());
}

TEST_F(GameCoreTest, DuplicateAndFailedLoads)
{
    Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    EXPECT_EQ(m_core.LoadModule(std::make_unique<CRecordingModule>(VELOTRIX_MODULE_OBJECT, "Twin"), true, false),
              VELOTRIX_RETURN_MODULE_CRASH);
    auto failing = std::make_unique<CRecordingModule>(VELOTRIX_MODULE_MUSIC, "MusicModule");
    failing->m_load_result = 0;
    EXPECT_EQ(m_core.LoadModule(std::move(failing), true, false), VELOTRIX_RETURN_MODULE_INITIAL_FAILD);
    EXPECT_EQ(m_core.GetModuleCount(), 1u);
    const std::string log = ReadLog("Game");
    EXPECT_NE(log.find("      GameCore::LoadModule---->VELOTRIX_RETURN_MODULE_CRASH\r\n"), std::string::npos);
    EXPECT_NE(log.find("GameCore::LoadModule---->VELOTRIX_RETURN_MODULE_INITIAL_FAILD\r\n"), std::string::npos);
    EXPECT_NE(log.find("ErrorModuleMusicModule\r\n"), std::string::npos);
    EXPECT_EQ(m_core.UnloadModule(4242), VELOTRIX_RETURN_MODULE_NOT_FOUND);
    EXPECT_EQ(m_core.UnloadModule(VELOTRIX_MODULE_OBJECT), VELOTRIX_RETURN_OK);
    EXPECT_EQ(m_core.GetModuleCount(), 0u);
}

TEST_F(GameCoreTest, RunLogBeginsWithGameCoreStart)
{
    m_core.Init(platform::WindowHandle::None);
    const std::string log = ReadLog("GameRun.log");
    ASSERT_GE(log.size(), 20u);
    EXPECT_EQ(log.substr(4, 1), "/"); // A four-digit year, then the month.
    EXPECT_EQ(log.find("GameCore Start\r\n"), 28u);
    EXPECT_EQ(log.substr(10, 5), "     ");
    EXPECT_NE(log.find("     VelotrixVesion:1.000000\r\n"), std::string::npos);
    EXPECT_NE(log.find("VelotrixLastBulid:<"), std::string::npos);
}

TEST_F(GameCoreTest, SettingsAndDefaults)
{
    EXPECT_EQ(m_core.GetIntSetting(17), -1);
    m_core.Init(platform::WindowHandle::None);
    EXPECT_EQ(m_core.GetIntSetting(5), 14);
    EXPECT_EQ(m_core.GetIntSetting(8), 0xFFFFFF);
    EXPECT_EQ(m_core.GetIntSetting(17), 19840388);
    EXPECT_EQ(m_core.GetIntSetting(18), -1);
    EXPECT_EQ(m_core.GetStringSetting(22), "ScrollBar_VertBack");
    EXPECT_EQ(m_core.GetStringSetting(31), "ScrollBar_HorzRightBtn");
    EXPECT_EQ(m_core.GetStringSetting(99), "");
    m_core.SetIntSetting(18, 1);
    EXPECT_EQ(m_core.GetIntSetting(18), 1);
}

TEST_F(GameCoreTest, PostedMessagesReachTheirModuleInOrder)
{
    auto* object = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    for (int i = 0; i < 5; ++i)
        m_core.PostMessage(VELOTRIX_MODULE_OBJECT, 2000 + i, 0, 0);
    EXPECT_EQ(m_core.PostMessage(VELOTRIX_MODULE_INPUT, 3000, 0, 0), 6);
    RunTicks(3);
    EXPECT_EQ(object->messages, (std::vector<int32_t> { 2000, 2001, 2002, 2003, 2004 }));
    // The message for a module not loaded waits for it.
    EXPECT_EQ(m_core.GetPostedCount(), 1u);
    auto* input = Load(VELOTRIX_MODULE_INPUT, "InputModule", 10, true);
    RunTicks(3);
    EXPECT_EQ(input->messages, (std::vector<int32_t> { 3000 }));
    EXPECT_EQ(m_core.SendMessage(VELOTRIX_MODULE_INPUT, 7, 0, 0), 1);
    input->answer = 0;
    EXPECT_EQ(m_core.SendMessage(VELOTRIX_MODULE_INPUT, 7, 0, 0), 0);
    EXPECT_EQ(m_core.SendMessage(4321, 7, 0, 0), 0);
}

TEST_F(GameCoreTest, DisabledModuleQueueIsDroppedAboveItsLimit)
{
    auto* sink = Load(VELOTRIX_MODULE_ERROR_SINK, "Sink", 10, false);
    sink->dispatch = false;
    auto* music = Load(VELOTRIX_MODULE_MUSIC, "MusicModule", 10, false);
    music->queue_limit = 4;
    music->Disable();
    for (int i = 0; i < 5; ++i)
        m_core.PostMessage(VELOTRIX_MODULE_MUSIC, 100 + i, 0, 0);
    RunTicks(1);
    EXPECT_EQ(music->GetQueue().GetWaiting(), 5u);
    EXPECT_TRUE(music->updates.empty());
    RunTicks(1);
    EXPECT_EQ(music->GetQueue().GetWaiting(), 0u);
    ASSERT_EQ(sink->messages.size(), 1u);
    EXPECT_EQ(sink->messages[0], VELOTRIX_MSG_QUEUE_OVERFLOW);
    EXPECT_EQ(sink->last_param1, static_cast<uintptr_t>(VELOTRIX_MODULE_MUSIC));
}

TEST_F(GameCoreTest, SystemMessagesLoadUnloadAndDisable)
{
    auto* object = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    int32_t object_id = VELOTRIX_MODULE_OBJECT;
    m_core.PostMessage(0, VELOTRIX_MSG_DISABLE_MODULE, reinterpret_cast<uintptr_t>(&object_id), 0);
    auto module = std::make_unique<CRecordingModule>(VELOTRIX_MODULE_INPUT, "InputModule");
    m_core.PostMessage(0, VELOTRIX_MSG_LOAD_MODULE, reinterpret_cast<uintptr_t>(module.release()), 0);
    RunTicks(1);
    EXPECT_FALSE(object->IsEnabled());
    auto* input = static_cast<CRecordingModule*>(m_core.GetModule(VELOTRIX_MODULE_INPUT));
    ASSERT_NE(input, nullptr);
    EXPECT_FALSE(input->IsEnabled());
    EXPECT_TRUE(input->IsProtected());
    int32_t input_id = VELOTRIX_MODULE_INPUT;
    EXPECT_EQ(m_core.SendMessage(0, VELOTRIX_MSG_UNLOAD_MODULE, reinterpret_cast<uintptr_t>(&input_id), 0), 1);
    EXPECT_EQ(m_core.GetModule(VELOTRIX_MODULE_INPUT), nullptr);
    // A load request that never ran is freed with the manager (ASan checks).
    m_core.PostMessage(0, VELOTRIX_MSG_LOAD_MODULE,
                       reinterpret_cast<uintptr_t>(std::make_unique<CRecordingModule>(7, "x").release()), 0);
}

TEST_F(GameCoreTest, ModuleMayUnloadItselfDuringItsUpdate)
{
    auto* object = Load(VELOTRIX_MODULE_OBJECT, "ObjectModule", 10, false);
    auto* paint = Load(VELOTRIX_MODULE_PAINT, "PaintModule", 10, true);
    object->unload_self = true;
    RunTicks(3);
    EXPECT_EQ(m_core.GetModule(VELOTRIX_MODULE_OBJECT), nullptr);
    EXPECT_EQ(paint->updates.size(), 1u);
}

TEST_F(GameCoreTest, PostsToAnAbsentFaultSinkAreDropped)
{
    m_core.PostMessage(VELOTRIX_MODULE_ERROR_SINK, VELOTRIX_MSG_MODULE_FAULT, 0, 0);
    m_core.PostMessage(VELOTRIX_MODULE_INPUT, 5, 0, 0);
    RunTicks(1);
    EXPECT_EQ(m_core.GetPostedCount(), 1u);
    EXPECT_NE(ReadLog("Game").find("fault report 1002 dropped"), std::string::npos);
}

TEST(ModuleMsgQueue, GrowsAt15AndKeepsOrderAfterWrap)
{
    ModuleMsgQueue queue;
    for (int i = 0; i < 15; ++i)
        queue.Push(ModuleMessage { 1, i, 0, 0 });
    EXPECT_EQ(queue.GetCapacity(), 16u);
    queue.Push(ModuleMessage { 1, 15, 0, 0 });
    EXPECT_EQ(queue.GetCapacity(), 32u);
    queue.Clear();

    ModuleMsgQueue wrapped;
    for (int i = 0; i < 10; ++i)
        wrapped.Push(ModuleMessage { 1, i, 0, 0 });
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(wrapped.Take().id, i);
    // Head and tail at 10; the next pushes wrap round, then grow.
    for (int i = 0; i < 20; ++i)
        wrapped.Push(ModuleMessage { 1, 100 + i, 0, 0 });
    EXPECT_EQ(wrapped.GetWaiting(), 20u);
    EXPECT_EQ(wrapped.GetCapacity(), 32u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(wrapped.Take().id, 100 + i);
    EXPECT_EQ(wrapped.GetWaiting(), 0u);
}

namespace {

// A payload that counts the live copies, so each drop path shows it freed.
struct CountedRecord {
    explicit CountedRecord(int& live, int value) : m_live(&live), value(value) { ++*m_live; }
    CountedRecord(CountedRecord&& other) noexcept : m_live(std::exchange(other.m_live, nullptr)), value(other.value) {}
    CountedRecord(const CountedRecord&) = delete;
    ~CountedRecord()
    {
        if (m_live != nullptr)
            --*m_live;
    }
    int* m_live;
    int value;
};

} // namespace

TEST(ModuleMessageOwnership, PayloadIsFreedOnEveryPathThatDropsTheMessage)
{
    int live = 0;
    auto owning = [&](int32_t target, int value) {
        return ModuleMessage::Owning(target, 2000 + value, std::make_unique<CountedRecord>(live, value));
    };
    platform::CManualClock clock { 1000 };
    auto core = std::make_unique<GameCore>(clock);
    auto handler = std::make_unique<CRecordingModule>(VELOTRIX_MODULE_OBJECT, "ObjectModule", 0);
    CRecordingModule* object = handler.get();
    ASSERT_EQ(core->LoadModule(std::move(handler), true, false), VELOTRIX_RETURN_OK);
    auto tick = [&] {
        clock.Advance(5);
        core->Tick();
    };

    // Handled: the handler reads the payload through param1, then it goes.
    core->PostMessage(owning(VELOTRIX_MODULE_OBJECT, 1));
    EXPECT_EQ(live, 1);
    tick();
    ASSERT_EQ(object->messages, (std::vector<int32_t> { 2001 }));
    EXPECT_EQ(live, 0);
    EXPECT_EQ(core->SendMessage(owning(VELOTRIX_MODULE_OBJECT, 2)), 1);
    EXPECT_EQ(live, 0);

    // Sent to a module that is not loaded.
    EXPECT_EQ(core->SendMessage(owning(4321, 3)), 0);
    EXPECT_EQ(live, 0);

    // Dropped with a full queue.
    object->Disable();
    object->queue_limit = 2;
    for (int i = 0; i < 3; ++i)
        core->PostMessage(owning(VELOTRIX_MODULE_OBJECT, 10 + i));
    tick();
    EXPECT_EQ(object->GetQueue().GetWaiting(), 3u);
    tick();
    EXPECT_EQ(object->GetQueue().GetWaiting(), 0u);
    EXPECT_EQ(live, 0);

    // Still waiting when the core goes: in a module's queue, and in the
    // posted list for a module that never loaded.
    core->PostMessage(owning(VELOTRIX_MODULE_OBJECT, 20));
    tick();
    core->PostMessage(owning(VELOTRIX_MODULE_MUSIC, 21));
    EXPECT_EQ(live, 2);
    core.reset();
    EXPECT_EQ(live, 0);
}
