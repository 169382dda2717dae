#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QThread>
#include <thread>

#include "support/TestPlatform.h"
#include "ui/model/MainWindowModel.h"
#include "ui/qt/MainWindowAdapter.h"
#include "ui/qt/SymbolGlyphs.h"

namespace velmora::testing {
namespace {

TEST(MainWindowAdapter, PropertiesChangeAfterTheStoreAndOnlyOnTheMainThread) {
    TestPlatform tp;
    auto model = MainWindowModel::create(tp.platform(), nullptr);
    MainWindowAdapter adapter(model);
    std::vector<std::pair<bool, bool>> seen;  // (stored value, on the main thread)
    QObject::connect(&adapter, &MainWindowAdapter::optimizeButtonChanged, [&] {
        seen.emplace_back(model->isOptimizing.get(), QThread::currentThread() == adapter.thread());
        EXPECT_EQ(adapter.optimizeButton().value("label").toString(),
                  model->isOptimizing.get() ? "Optimizing" : "Optimize");
    });
    int unrelated = 0;
    QObject::connect(&adapter, &MainWindowAdapter::startupCardChanged, [&] { ++unrelated; });

    model->optimize();
    tp.scheduler->advance(2.5);
    // A value written from another thread reaches QML on the main thread.
    model->isOptimizing.set(false);
    std::thread([&] { model->isOptimizing.set(true); }).join();
    const auto before = seen.size();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), before + 1);
    const std::vector<std::pair<bool, bool>> expected = {{true, true}, {false, true}, {true, true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(unrelated, 0);
}

TEST(SymbolGlyphs, EverySymbolHasAGlyphInTheIconFont) {
    ASSERT_TRUE(QFontDatabase::families().contains(SymbolGlyphs::fontFamily()))
        << "the Material Icons font is missing (scripts/setup-debian.sh installs it)";
    const QFontMetrics metrics(QFont(SymbolGlyphs::fontFamily()));
    for (const auto& [name, point] : symbolGlyphTable())
        EXPECT_TRUE(metrics.inFontUcs4(point)) << name;
    EXPECT_EQ(SymbolGlyphs::glyph("globe"), QString::fromUcs4(U"\ue894", 1));
    EXPECT_EQ(SymbolGlyphs::glyph("no.such.symbol"), QString::fromUcs4(U"\ue887", 1));
}

}  // namespace
}  // namespace velmora::testing
