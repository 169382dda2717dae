#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "foundation/dispatch/RealScheduler.h"
#include "ui/qt/QtAlerts.h"
#include "ui/qt/QtMainLoop.h"

namespace velmora::testing {
namespace {

TEST(QtAlerts, ShowsTheTextsAndButtonsInOrderAndAnswersTheChosenOne) {
    const AlertRequest request{"Startup Permissions Required", "Please allow automation access.",
                               {"Open Security & Privacy", "Open Login Items", "OK"}};
    // -1: the box is closed with Escape instead of a click.
    struct Case { int click; std::size_t answer; };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 2}, Case{-1, 2}}) {
        QStringList titles;
        QString text, informative, defaultTitle;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            informative = box->informativeText();
            defaultTitle = box->defaultButton()->text();
            const auto buttons = box->buttons();
            // The order a person sees: left to right in the button box.
            auto ordered = buttons;
            std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
            for (auto* button : ordered) titles << button->text();
            if (c.click < 0) {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(box, &escape);
            } else {
                ordered[c.click]->click();
            }
        });
        EXPECT_EQ(QtAlerts().runModal(request), c.answer) << c.click;
        EXPECT_EQ(text, "Startup Permissions Required");
        EXPECT_EQ(informative, "Please allow automation access.");
        // "&&" is how a button shows one "&" rather than a mnemonic.
        EXPECT_EQ(titles, QStringList({"Open Security && Privacy", "Open Login Items", "OK"}));
        EXPECT_EQ(defaultTitle, "Open Security && Privacy");
    }
}

// Asked from a main-queue block, as the program asks: while the box is up the
// scheduler's main queue keeps running, and the answer comes back to the block.
TEST(QtAlerts, TheMainQueueRunsWhileTheBoxIsUp) {
    auto scheduler = RealScheduler::create(1);
    QtMainLoop loop(scheduler);
    bool ranMeanwhile = false;
    bool ranBeforeTheClick = false;
    std::optional<std::size_t> answer;
    scheduler->asyncMain([&] {
        scheduler->asyncMain([&] { ranMeanwhile = true; });
        QTimer::singleShot(50, [&] {
            ranBeforeTheClick = ranMeanwhile;
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->buttons().front()->click();
        });
        answer = QtAlerts().runModal({"Title", "Text", {"OK"}});
    });
    QDeadlineTimer deadline(3000);
    while (!answer && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    EXPECT_EQ(answer, std::optional<std::size_t>(0));
    EXPECT_TRUE(ranBeforeTheClick);
}

}  // namespace
}  // namespace velmora::testing
