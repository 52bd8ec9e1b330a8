#include "core/input.h"
#include "app/mainloop.h"
#include "render/presenter.h"
#include "render/state.h"
#include "testsupport.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>

#include <vector>

namespace {

// A state that records what the frame loop asked of it.
class RecordingState final : public State {
public:
    RecordingState(sf::RenderWindow* targetWindow, State** table, int nextState)
        : State(targetWindow, table), next(nextState) {}
    int update() override { ++updates; return next; }
    void draw() override { ++draws; }
    void enter() override { ++enters; }
    void leave() override { ++leaves; }
    void handleEvent(const sf::Event& event) override { events.push_back(event.type); }

    int next;
    int updates = 0, draws = 0, enters = 0, leaves = 0;
    std::vector<sf::Event::EventType> events;
};

sf::Event makeEvent(sf::Event::EventType type)
{
    sf::Event event{};
    event.type = type;
    return event;
}

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::loadTestResources();
        input::setSource(&script);
        window = &testsupport::window();
    }
    void TearDown() override
    {
        input::setSource(nullptr);
        drop();
        if (!window->isOpen())
            Presenter::createWindow(*window);
    }

    // Whatever table there was goes.
    void drop()
    {
        table.reset();
        fakes[0].reset();
        fakes[1].reset();
        states = nullptr;
    }
    // The real state table, entered the way main enters it.
    void startGame()
    {
        table = createStates(window);
        states = table->get();
        current = STATE_GAME;
        states[current]->enter();
    }
    void frame()
    {
        pumpEvents(states, &current, window);
        stepState(states, &current, window);
    }
    // A table of recording states, the first asking for firstNext, the second (if any) for secondNext.
    RecordingState* fakeTable(int firstNext, int secondNext = -1)
    {
        drop();
        states = fakeStates;
        fakes[0] = std::make_unique<RecordingState>(window, states, firstNext);
        if (secondNext >= 0)
            fakes[1] = std::make_unique<RecordingState>(window, states, secondNext);
        for (int i = 0; i < 2; ++i)
            fakeStates[i] = fakes[i].get();
        current = STATE_GAME;
        return fakes[0].get();
    }

    input::ScriptedSource script;
    sf::RenderWindow* window = nullptr;
    std::unique_ptr<StateTable> table;
    std::unique_ptr<RecordingState> fakes[2];
    State* fakeStates[STATE_COUNT] = {};
    State** states = nullptr;
    int current = STATE_GAME;
};

TEST_F(FrameLoopTest, HeldF12SwitchesOnceAndAgainAfterRelease)
{
    startGame();
    // The latch starts set: F12 held from the start does nothing until released.
    script.press(sf::Keyboard::F12);
    frame();
    EXPECT_EQ(current, STATE_GAME);
    script.release(sf::Keyboard::F12);
    frame();
    script.press(sf::Keyboard::F12);
    for (int i = 0; i < 5; ++i)
        frame();
    EXPECT_EQ(current, STATE_EDITOR);
    script.release(sf::Keyboard::F12);
    frame();
    EXPECT_EQ(current, STATE_EDITOR);
    script.press(sf::Keyboard::F12);
    frame();
    EXPECT_EQ(current, STATE_GAME);
    EXPECT_TRUE(window->isOpen());
}

TEST_F(FrameLoopTest, EscapeClosesInEitherState)
{
    for (int wanted : {STATE_GAME, STATE_EDITOR}) {
        SCOPED_TRACE(wanted == STATE_GAME ? "in play" : "in the editor");
        drop();
        if (!window->isOpen())
            Presenter::createWindow(*window);
        script.releaseAll();
        startGame();
        frame(); // F12 not held: the latch opens
        if (wanted == STATE_EDITOR) {
            script.press(sf::Keyboard::F12);
            frame();
            script.release(sf::Keyboard::F12);
        }
        ASSERT_EQ(current, wanted);
        script.press(sf::Keyboard::Escape);
        frame();
        EXPECT_FALSE(window->isOpen());
    }
}

TEST_F(FrameLoopTest, QuitSkipsTheDrawAndSwitchLeavesThenEnters)
{
    RecordingState* a = fakeTable(STATE_EDITOR, STATE_QUIT);
    auto* b = static_cast<RecordingState*>(states[1]);
    stepState(states, &current, window);
    EXPECT_EQ(a->draws, 1);   // the old state is drawn in its switching frame
    EXPECT_EQ(a->leaves, 1);
    EXPECT_EQ(b->enters, 1);
    EXPECT_EQ(b->updates, 0); // first updated on the following frame
    EXPECT_EQ(current, STATE_EDITOR);
    stepState(states, &current, window);
    EXPECT_EQ(b->updates, 1);
    EXPECT_EQ(b->draws, 0);
    EXPECT_FALSE(window->isOpen());
}

TEST_F(FrameLoopTest, EventsReachTheStateWhilePausedAndFocusResumes)
{
    RecordingState* a = fakeTable(STATE_GAME);
    script.queueEvent(makeEvent(sf::Event::LostFocus));
    script.queueEvent(makeEvent(sf::Event::KeyPressed));
    script.queueEvent(makeEvent(sf::Event::MouseButtonPressed));
    script.queueEvent(makeEvent(sf::Event::GainedFocus));
    script.queueEvent(makeEvent(sf::Event::TextEntered));
    pumpEvents(states, &current, window);
    const std::vector<sf::Event::EventType> expected = {sf::Event::KeyPressed, sf::Event::MouseButtonPressed,
                                                        sf::Event::TextEntered};
    EXPECT_EQ(a->events, expected);
    EXPECT_TRUE(window->isOpen());
}

TEST_F(FrameLoopTest, CloseWhilePausedEndsThePump)
{
    fakeTable(STATE_GAME);
    script.queueEvent(makeEvent(sf::Event::LostFocus));
    script.queueEvent(makeEvent(sf::Event::Closed));
    pumpEvents(states, &current, window); // must return, not wait for a focus event
    EXPECT_FALSE(window->isOpen());
}

TEST_F(FrameLoopTest, CloseEventStillPlaysTheFrameInProgress)
{
    RecordingState* a = fakeTable(STATE_GAME);
    script.queueEvent(makeEvent(sf::Event::Closed));
    pumpEvents(states, &current, window);
    stepState(states, &current, window);
    EXPECT_EQ(a->updates, 1);
    EXPECT_EQ(a->draws, 1);
    EXPECT_FALSE(window->isOpen());
}

} // namespace
