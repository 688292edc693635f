#include "engine/widgets/GuiEventQueue.h"

#include <string>

#include "engine/widgets/WidgetTestSupport.h"

using namespace widgettest;

namespace {

// Copies the payload of every event it gets as text.
class CPayloadHandler : public CGuiObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        ids.push_back(event.id);
        lengths.push_back(event.param2);
        const auto payload = CGuiEventQueue::PayloadOf(event);
        texts.emplace_back(payload.begin(), payload.end());
        had_payload.push_back(!payload.empty());
        return 1;
    }
    std::vector<uint32_t> ids;
    std::vector<uintptr_t> lengths;
    std::vector<std::string> texts;
    std::vector<bool> had_payload;
};

class GuiEventQueueTest : public WidgetTest {
protected:
    GuiEventQueueTest()
    {
        m_queue = Make<CGuiEventQueue>();
        m_handler = m_engine.Add<CPayloadHandler>(-800, -800, 1, 1, false);
    }
    int Post(uint32_t id, std::string_view text)
    {
        return m_queue->Post(m_handler->GetId(), id, text.data(), text.size());
    }
    CGuiEventQueue* m_queue { nullptr };
    CPayloadHandler* m_handler { nullptr };
};

} // namespace

TEST_F(GuiEventQueueTest, DeliversOneAtATimeInOrder)
{
    EXPECT_EQ(Post(1, "first"), 1);
    EXPECT_EQ(Post(2, "second"), 1);
    EXPECT_EQ(Post(3, ""), 1);
    Run();
    EXPECT_EQ(m_handler->ids, (std::vector<uint32_t> { 1 }));
    EXPECT_EQ(m_queue->Next(), 1);
    Run();
    EXPECT_EQ(m_queue->Next(), 1);
    Run();
    EXPECT_EQ(m_handler->ids, (std::vector<uint32_t> { 1, 2, 3 }));
    EXPECT_EQ(m_handler->texts, (std::vector<std::string> { "first", "second", "" }));
    // A post of length 0 carries no payload and length 0.
    EXPECT_FALSE(m_handler->had_payload[2]);
    EXPECT_EQ(m_handler->lengths[2], 0u);
    EXPECT_EQ(m_queue->Next(), 0);
    EXPECT_FALSE(m_queue->IsBusy());
    // Idle again: the next post goes out at once.
    Post(4, "again");
    Run();
    EXPECT_EQ(m_handler->ids.back(), 4u);
}

TEST_F(GuiEventQueueTest, SetBusyHoldsThePostBackUntilNext)
{
    m_queue->SetBusy();
    Post(7, "held");
    Run();
    EXPECT_TRUE(m_handler->ids.empty());
    EXPECT_EQ(m_queue->Next(), 1);
    Run();
    EXPECT_EQ(m_handler->texts, (std::vector<std::string> { "held" }));
}

TEST_F(GuiEventQueueTest, UndeliverableEventsFreeTheirPayloadAndTheQueueMovesOn)
{
    m_queue->Post(0, 5, "no target", 9);
    m_queue->Post(m_handler->GetId(), 0, "no id", 5);
    Post(6, "delivered");
    Run(60);
    EXPECT_EQ(m_handler->texts, (std::vector<std::string> { "delivered" }));
    // A target that goes before its turn.
    Post(8, "late");
    auto* doomed = m_engine.Add<CPayloadHandler>(-800, -800, 1, 1, false);
    m_queue->Post(doomed->GetId(), 9, "gone", 4);
    m_engine.m_objects->DestroyObject(doomed->GetId());
    Run();
    EXPECT_EQ(m_queue->Next(), 1);
    Run();
    EXPECT_EQ(m_handler->texts.back(), "late");
    EXPECT_EQ(m_queue->Next(), 1);
    Run(60);
    EXPECT_FALSE(m_queue->IsBusy());
    // A handler that never looks at its payload leaves nothing behind.
    auto* deaf = m_engine.Add<CGuiObject>(-800, -800, 1, 1, false);
    m_queue->Post(deaf->GetId(), 12, "ignored", 7);
    Run();
    EXPECT_EQ(m_queue->Next(), 0);
    // Destroying a queue with waiting events frees their copies (the leak checker watches).
    m_queue->SetBusy();
    Post(10, "waiting");
    Post(11, "waiting too");
    m_engine.m_objects->DestroyObject(m_queue->GetId());
    Run();
}
