#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QPointer>
#include <QSet>
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <ostream>

#include "apps/AppLauncher.h"
#include "disks/DiskMonitor.h"
#include "disks/FakeDiskutil.h"
#include "performance/PerformanceOptimizer.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "support/TestPlatform.h"
#include "ui/model/MainWindowModel.h"
#include "ui/qt/MainWindowView.h"
#include "ui/qt/Theme.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }
QT_END_NAMESPACE

namespace velmora::testing {
namespace {

// Through the visual tree: a list's delegates have no QObject parent.
QQuickItem* findItem(QQuickItem* root, const QString& name) {
    if (root->objectName() == name) return root;
    for (auto* child : root->childItems())
        if (auto* found = findItem(child, name)) return found;
    return nullptr;
}

struct Shown {
    TestPlatform tp;
    FakeDiskutil diskutil{*tp.processes};
    std::shared_ptr<MainWindowModel> model = MainWindowModel::create(tp.platform(), nullptr);
    MainWindowView view{model};

    Shown() {
        view.window().show();
        model->onAppear();
        settle();
    }
    // Virtual time for the managers, then Qt's events; `animations` waits
    // out the list's transitions, which run on real time.
    void settle(double seconds = 3, bool animations = false) {
        tp.scheduler->advance(seconds);
        spin(animations ? 450 : 0);
    }
    // Qt's events for `ms` of real time: transitions and frames need it.
    static void spin(int ms) {
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        } while (clock.elapsed() < ms);
    }
    QQuickItem* item(const QString& name) const { return findItem(view.content(), name); }
    QString text(const QString& item, const char* property) const {
        return this->item(item)->property(property).toString();
    }
    void click(QQuickItem* target) {
        const QPointF at = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, at, view.window().mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&view.window(), &event);
        }
        settle(0, true);
    }
    void press(Qt::Key key) {
        for (auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? QStringLiteral(" ") : QString());
            QCoreApplication::sendEvent(&view.window(), &event);
        }
        spin(0);
    }
    // Saved for a person to look at when VELMORA_GRAB_DIR names a folder.
    void grab(const QString& name) {
        const QString dir = qEnvironmentVariable("VELMORA_GRAB_DIR");
        if (dir.isEmpty()) return;
        view.window().grabWindow().save(dir + "/" + name + ".png");
        // And tall enough for every card.
        view.window().resize(MainWindowView::width, 1900);
        settle(0);
        view.window().grabWindow().save(dir + "/" + name + "-tall.png");
        view.window().resize(MainWindowView::width, MainWindowView::minimumHeight);
        settle(0);
    }
};

const QStringList titles = {"Automatic USB Stabilizer", "USB Controller Management", "USB-C Power Management",
                            "Aggressive Power Protection", "USB Connection Status", "Large Application Tracking",
                            "Application Associations", "Auto Startup"};

TEST(ContentView, TheEightCardsShowTheirTitlesAndStatusColours) {
    AppInfo heavy;
    heavy.bundleIdentifier = "com.adobe.Premiere";
    heavy.name = "Premiere";
    struct Case {
        const char* name;
        std::function<void(MainWindowModel&)> set;
        std::vector<std::string> colours;  // cards 1..8, by the model's colour names
    };
    const Case cases[] = {
        {"at rest",
         [](MainWindowModel& m) {
             m.performanceOptimizer->powerManagementActive.set(false);
             m.automaticStabilizer->isActive.set(false);
         },
         {"red", "red", "red", "red", "green", "blue", "orange", "red"}},
        {"protecting",
         [&](MainWindowModel& m) {
             m.performanceOptimizer->powerManagementActive.set(true);
             m.automaticStabilizer->isActive.set(true);
             m.isAggressivePowerActive.set(true);
             m.diskMonitor->usbConnectionStable.set(false);
             m.appLauncher->highResourceApps.set({heavy});
         },
         {"green", "orange", "green", "green", "orange", "orange", "orange", "red"}},
    };
    for (const auto& c : cases) {
        Shown w;
        ASSERT_TRUE(w.view.errors().isEmpty()) << w.view.errors().join("\n").toStdString();
        c.set(*w.model);
        w.settle(0);
        for (int i = 0; i < 8; ++i) {
            const QString card = QStringLiteral("card%1").arg(i + 1);
            EXPECT_EQ(w.text(card, "title"), titles[i]) << c.name;
            EXPECT_EQ(w.item(card)->property("statusColor").value<QColor>(),
                      Theme::toColor(lightPalette().status(c.colours[i])))
                << c.name << " " << i + 1;
        }
        w.grab(QStringLiteral("cards-") + c.name);
    }
}

// What a person can click can also be reached with Tab, pressed with Space,
// and named to VoiceOver: every visible, enabled mouse area's control.
TEST(ContentView, EveryControlIsReachedByTabNamedAndPressedBySpace) {
    Shown w;
    w.diskutil.plug(DiskPlistFields::usbDisk("disk4", "Photos", "/Volumes/Photos"));
    w.settle(6, true);
    std::vector<QQuickItem*> controls;
    std::function<void(QQuickItem*)> walk = [&](QQuickItem* item) {
        // A mouse area's own `enabled` shadows the item's.
        if (qstrcmp(item->metaObject()->className(), "QQuickMouseArea") == 0 && item->isVisible() &&
            item->property("enabled").toBool())
            controls.push_back(item->parentItem());
        for (auto* child : item->childItems()) walk(child);
    };
    walk(w.view.content());
    ASSERT_GT(controls.size(), 8u);  // the disk's card among them

    w.view.window().requestActivate();
    Shown::spin(50);
    std::set<QQuickItem*> reached;
    QQuickItem* link = nullptr;
    for (int i = 0; i < 3 * static_cast<int>(controls.size()); ++i) {
        w.press(Qt::Key_Tab);
        QQuickItem* focused = w.view.window().activeFocusItem();
        reached.insert(focused);
        if (focused && focused->property("text").toString() == w.view.adapter().property("webAddress").toString())
            link = focused;
    }
    for (QQuickItem* control : controls) {
        const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        const QString name = accessible ? accessible->text(QAccessible::Name) : QString();
        EXPECT_TRUE(reached.count(control)) << control->metaObject()->className() << " \"" << name.toStdString() << '"';
        EXPECT_FALSE(name.isEmpty()) << control->metaObject()->className() << " has no accessible name";
    }

    // Space on the focused web address opens it, as a click does.
    ASSERT_NE(link, nullptr);
    link->forceActiveFocus();
    w.grab(QStringLiteral("keyboard-focus"));
    w.press(Qt::Key_Space);
    EXPECT_EQ(w.tp.workspace->openedURLs().size(), 1u);
}

// Up and Down move the focus along the disk list from the card that has it
// (reached by Tab, not only from the list's first), and stop at its ends.
TEST(ContentView, ArrowKeysMoveAlongTheDiskList) {
    Shown w;
    for (const char* id : {"disk4", "disk5", "disk6"})
        w.diskutil.plug(DiskPlistFields::usbDisk(id, std::string("Disk ") + id, std::string("/Volumes/") + id));
    w.settle(6, true);
    std::vector<QQuickItem*> cards;
    for (const char* id : {"disk4", "disk5", "disk6"}) cards.push_back(w.item(QStringLiteral("diskCard_") + id));
    for (auto* card : cards) ASSERT_NE(card, nullptr);
    std::sort(cards.begin(), cards.end(), [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
    w.view.window().requestActivate();
    cards[1]->forceActiveFocus(Qt::TabFocusReason);
    const struct { Qt::Key key; int focused; } steps[] = {
        {Qt::Key_Down, 2}, {Qt::Key_Down, 2}, {Qt::Key_Up, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0}};
    for (const auto& step : steps) {
        w.press(step.key);
        EXPECT_EQ(w.view.window().activeFocusItem(), cards[step.focused]) << step.key << " to " << step.focused;
    }
}

TEST(ContentView, EmptyStateThenACardClickSelectsAndASecondClears) {
    Shown w;
    EXPECT_TRUE(w.item("emptyState")->isVisible());
    auto* makeInternal = w.item("makeInternalButton");
    EXPECT_TRUE(makeInternal->property("isDisabled").toBool());
    EXPECT_EQ(makeInternal->findChild<QQuickItem*>("subtitle")->property("text").toString(), "USB disk required");
    w.grab("empty");

    w.diskutil.plug(DiskPlistFields::usbDisk("disk4", "Photos", "/Volumes/Photos"));
    w.diskutil.plug(DiskPlistFields::usbDisk("disk5", "Music", "/Volumes/Music"));
    w.settle(6, true);
    EXPECT_FALSE(w.item("emptyState")->isVisible());
    EXPECT_FALSE(makeInternal->property("isDisabled").toBool());
    struct Step { const char* clicked; QString subtitle; QString mark; };
    for (const Step& s : {Step{"diskCard_disk4", "Photos", "checkmark.circle.fill"},
                          Step{"diskCard_disk4", "All disks", "circle"}}) {
        auto* card = w.item(s.clicked);
        ASSERT_NE(card, nullptr) << s.clicked;
        w.click(card);
        EXPECT_EQ(makeInternal->findChild<QQuickItem*>("subtitle")->property("text").toString(), s.subtitle);
        EXPECT_EQ(card->findChild<QQuickItem*>("selectionMark")->property("symbol").toString(), s.mark);
        if (s.mark != "circle") w.grab("selected");
    }
}

// Every text shown, in scene coordinates, with the card it is drawn on.
struct ShownText { QQuickItem* item; QRectF rect; QQuickItem* card; };
std::vector<ShownText> shownTexts(QQuickItem* item, QQuickItem* card = nullptr) {
    std::vector<ShownText> texts;
    // The logo layers its symbols on purpose.
    if (!item->isVisible() || item->opacity() == 0 || item->objectName() == "logo") return texts;
    if (item->objectName().startsWith("card") || item->objectName().startsWith("diskCard_")) card = item;
    if (item->inherits("QQuickText") && !item->property("text").toString().isEmpty())
        texts.push_back({item, item->mapRectToScene(item->boundingRect()), card});
    for (auto* child : item->childItems())
        for (auto& text : shownTexts(child, card)) texts.push_back(text);
    return texts;
}

// At the smallest size the window allows (and, run again under
// QT_SCALE_FACTOR=2, at 200 %), long names end in an ellipsis that shows the
// whole name on hover, and no text leaves its card or runs into another.
TEST(ContentView, LongNamesEllipsizeShowWholeOnHoverAndNothingOverlaps) {
    Shown w;
    const QString longName = "Extremely Long External Backup Volume Name That Keeps Going On And On Forever";
    w.diskutil.plug(DiskPlistFields::usbDisk("disk4", "Backup", ("/Volumes/" + longName).toStdString()));
    w.diskutil.plug(DiskPlistFields::usbDisk("disk5", "Photos", "/Volumes/Photos"));
    w.settle(6, true);
    w.view.window().resize(w.view.window().minimumSize());
    w.settle(0, true);

    for (const auto& text : shownTexts(w.view.content())) {
        const QString what = text.item->property("text").toString();
        if (text.card) {
            const QRectF card = text.card->mapRectToScene(QRectF(0, 0, text.card->width(), text.card->height()));
            EXPECT_TRUE(card.adjusted(-1, -1, 1, 1).contains(text.rect)) << what.toStdString() << " leaves its card";
        }
        for (const auto& other : shownTexts(w.view.content())) {
            if (other.item == text.item) continue;
            const QRectF both = text.rect.intersected(other.rect);
            EXPECT_TRUE(both.width() < 1 || both.height() < 1)
                << what.toStdString() << " runs into " << other.item->property("text").toString().toStdString();
        }
    }

    auto* name = w.item("diskCard_disk4")->findChild<QQuickItem*>("name");
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->property("truncated").toBool());
    EXPECT_FALSE(name->property("showsWholeText").toBool());
    const QPointF at = name->mapToScene(QPointF(10, name->height() / 2));
    QMouseEvent move(QEvent::MouseMove, at, at, w.view.window().mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&w.view.window(), &move);
    w.spin(0);
    EXPECT_TRUE(name->property("showsWholeText").toBool());
    auto* tip = name->findChild<QQuickItem*>("wholeText");
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(tip->isVisible()) << "the tip waits for the pointer to rest";
    w.spin(700);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_EQ(tip->parentItem(), w.view.window().contentItem()) << "no card or scroller clips it";
    auto* shortName = w.item("diskCard_disk5")->findChild<QQuickItem*>("name");
    EXPECT_FALSE(shortName->property("truncated").toBool());
    w.grab(QStringLiteral("minimum-size"));
}

// The spinners take the theme's colours; the style's own is black, which
// vanishes in the dark.
TEST(ContentView, SpinnersTakeTheThemesColours) {
    qputenv("VELMORA_APPEARANCE", "dark");
    Shown w;
    const Theme dark;
    qunsetenv("VELMORA_APPEARANCE");
    ASSERT_TRUE(dark.dark());
    QSet<QRgb> themeColours;
    for (const QVariant& colour : dark.palette()) themeColours.insert(colour.value<QColor>().rgba());
    std::function<int(QQuickItem*)> check = [&](QQuickItem* item) {
        int seen = 0;
        if (item->objectName() == "spinner") {
            ++seen;
            const QColor colour = item->property("tint").value<QColor>();
            EXPECT_TRUE(themeColours.contains(colour.rgba())) << colour.name().toStdString();
        }
        for (auto* child : item->childItems()) seen += check(child);
        return seen;
    };
    EXPECT_GE(check(w.view.content()), 3);
}

// The lowest opacity, x and scale each card of the list went through; seen
// through signals, so a slow machine cannot skip past a transition.
struct TransitionWatch {
    struct Lowest { double opacity = 1, x = 0, scale = 1; };
    std::map<QQuickItem*, Lowest> lowest;

    explicit TransitionWatch(QQuickItem* list) {
        auto* content = list->property("contentItem").value<QQuickItem*>();
        QObject::connect(content, &QQuickItem::childrenChanged, [this, content] {
            for (auto* card : content->childItems()) {
                if (lowest.count(card)) continue;
                lowest[card] = {card->opacity(), card->x(), card->scale()};
                QObject::connect(card, &QQuickItem::opacityChanged, [this, card] {
                    lowest[card].opacity = std::min(lowest[card].opacity, card->opacity());
                });
                QObject::connect(card, &QQuickItem::xChanged,
                                 [this, card] { lowest[card].x = std::min(lowest[card].x, card->x()); });
                QObject::connect(card, &QQuickItem::scaleChanged, [this, card] {
                    lowest[card].scale = std::min(lowest[card].scale, card->scale());
                });
            }
        });
    }
};

TEST(ContentView, ACardEntersBySlideAndFadeAndLeavesByShrinkAndFade) {
    Shown w;
    w.diskutil.plug(DiskPlistFields::usbDisk("disk4", "Photos", "/Volumes/Photos"));
    w.settle(6, true);
    TransitionWatch watch(w.item("diskList"));
    w.diskutil.plug(DiskPlistFields::usbDisk("disk5", "Music", "/Volumes/Music"));
    w.settle(6, true);
    auto* card = w.item("diskCard_disk5");
    ASSERT_NE(card, nullptr);
    ASSERT_TRUE(watch.lowest.count(card));
    EXPECT_LT(watch.lowest[card].opacity, 0.5);  // faded in
    EXPECT_LT(watch.lowest[card].x, -100);       // slid in from the left
    EXPECT_EQ(card->opacity(), 1);
    EXPECT_EQ(card->x(), 0);
    EXPECT_EQ(watch.lowest[card].scale, 1);

    const QPointer<QQuickItem> leaving(card);
    w.diskutil.unplug("disk5");
    w.settle(6, true);
    EXPECT_LT(watch.lowest[card].scale, 0.9);  // shrank towards 0.8
    EXPECT_GE(watch.lowest[card].scale, 0.8);
    EXPECT_LT(watch.lowest[card].opacity, 0.5);
    EXPECT_TRUE(leaving.isNull() || !leaving->isVisible());
    EXPECT_NE(w.item("diskCard_disk4"), nullptr);

    // A card pushed down while still entering ends fully shown all the same.
    auto* rows = w.view.adapter().disks();
    const auto row = [](const char* key) {
        return KeyedListModel::Row{key, {{"name", key}, {"caption", ""}, {"sizeText", "1 GB"}, {"isSelected", false},
                                         {"isConnected", true}, {"selectionSymbol", "circle"}, {"badges", QVariantList{}}}};
    };
    rows->setRows({row("a")});
    w.settle(0, true);
    rows->setRows({row("a"), row("b")});
    w.spin(60);
    rows->setRows({row("c"), row("a"), row("b")});
    w.settle(0, true);
    for (const char* key : {"a", "b", "c"}) {
        auto* shown = w.item(QStringLiteral("diskCard_") + key);
        ASSERT_NE(shown, nullptr) << key;
        EXPECT_EQ(shown->opacity(), 1) << key;
        EXPECT_EQ(shown->scale(), 1) << key;
    }
}

}  // namespace
}  // namespace velmora::testing
