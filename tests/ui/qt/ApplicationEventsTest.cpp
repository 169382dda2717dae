#include <gtest/gtest.h>

#include <QApplicationStateChangeEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <memory>
#include <vector>

#include "ui/qt/ApplicationEvents.h"

namespace velmora {
namespace {

// What the system sends the application object, and what each leads to.
TEST(ApplicationEvents, QuitsAndReopensReachTheirActions) {
    enum class Sent { quit, becameActive, becameInactive };
    struct Case {
        Sent sent;
        bool windowShown;
        int quits;
        std::vector<bool> reopens;  // hasVisibleWindows of each
    };
    const Case cases[] = {
        {Sent::quit, false, 1, {}},
        {Sent::quit, true, 1, {}},
        {Sent::becameActive, false, 0, {false}},
        {Sent::becameActive, true, 0, {true}},
        {Sent::becameInactive, false, 0, {}},
    };
    for (const auto& c : cases) {
        // A stand-in for the application object: a quit sent to the real one
        // would end every event loop this test program runs afterwards.
        QObject application;
        int quits = 0;
        std::vector<bool> reopens;
        QWindow window;
        if (c.windowShown) window.show();
        {
            ApplicationEvents events([&] { ++quits; }, [&](bool visible) { reopens.push_back(visible); }, &application);
            std::unique_ptr<QEvent> event;
            switch (c.sent) {
                case Sent::quit: event = std::make_unique<QEvent>(QEvent::Quit); break;
                case Sent::becameActive:
                    event = std::make_unique<QApplicationStateChangeEvent>(Qt::ApplicationActive);
                    break;
                case Sent::becameInactive:
                    event = std::make_unique<QApplicationStateChangeEvent>(Qt::ApplicationInactive);
                    break;
            }
            QCoreApplication::sendEvent(&application, event.get());
        }
        EXPECT_EQ(quits, c.quits) << static_cast<int>(c.sent);
        EXPECT_EQ(reopens, c.reopens) << static_cast<int>(c.sent);
        // Once the filter is gone nothing reaches the actions any longer.
        QEvent late(QEvent::Quit);
        QCoreApplication::sendEvent(&application, &late);
        EXPECT_EQ(quits, c.quits);
    }
}

}  // namespace
}  // namespace velmora
