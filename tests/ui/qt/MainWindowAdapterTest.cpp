#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "support/BuildPaths.h"
#include "support/TestPlatform.h"
#include "ui/model/MainWindowModel.h"
#include "ui/qt/MainWindowAdapter.h"
#include "ui/qt/SymbolGlyphs.h"

namespace velmora::testing {
namespace {

TEST(MainWindowAdapter, PropertiesChangeOnceAfterTheStoresAndOnlyOnTheMainThread) {
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
    QCoreApplication::processEvents();
    tp.scheduler->advance(2.5);
    QCoreApplication::processEvents();
    // Values set one after the other reach QML once, after the block that
    // set them; one written from another thread reaches it on the main thread.
    const auto before = seen.size();
    model->isOptimizing.set(true);
    model->isOptimizing.set(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), before) << "a value set and set back in one block never reaches QML";
    std::thread([&] { model->isOptimizing.set(true); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), before + 1);
    const std::vector<std::pair<bool, bool>> expected = {{true, true}, {false, true}, {true, true}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(unrelated, 0);
}

// Every icon the window names draws from the font the window carries, on a
// host with no icon font installed: each table entry has its glyph in the
// shipped font, and each symbol the views and the models name has an entry
// (an unknown one would draw the fallback question mark).
TEST(SymbolGlyphs, EveryIconTheWindowNamesIsInTheShippedFont) {
    QFile file(QStringLiteral(":/velmora/MaterialIconsSubset.ttf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QRawFont font(file.readAll(), 16);
    ASSERT_TRUE(font.isValid());
    for (const auto& [name, point] : symbolGlyphTable()) EXPECT_TRUE(font.supportsCharacter(point)) << name;
    EXPECT_TRUE(font.supportsCharacter(0xe887u));  // the fallback
    EXPECT_EQ(SymbolGlyphs::fontFamily(), font.familyName());
    EXPECT_EQ(SymbolGlyphs::glyph("globe"), QString::fromUcs4(U"\ue894", 1));
    EXPECT_EQ(SymbolGlyphs::glyph("no.such.symbol"), QString::fromUcs4(U"\ue887", 1));

    std::set<std::string> named;
    const QRegularExpression viewSymbol(QStringLiteral(R"re(symbol:\s*"([^"]+)")re"));
    QDirIterator views(QStringLiteral(":/velmora"), {QStringLiteral("*.qml")});
    while (views.hasNext()) {
        QFile view(views.next());
        ASSERT_TRUE(view.open(QIODevice::ReadOnly));
        for (const auto& match : viewSymbol.globalMatch(QString::fromUtf8(view.readAll())))
            named.insert(match.captured(1).toStdString());
    }
    // The models name symbols as dotted lowercase literals, and nothing else so.
    const std::regex modelSymbol(R"re("([a-z]+(?:\.[a-z]+)+)")re");
    for (const auto& entry : std::filesystem::directory_iterator(sourcePath("src/ui/model"))) {
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::sregex_iterator it(text.begin(), text.end(), modelSymbol), end; it != end; ++it)
            named.insert((*it)[1]);
    }
    EXPECT_GT(named.size(), 15u);
    for (const auto& name : named) EXPECT_TRUE(SymbolGlyphs::knows(name)) << name;
}

}  // namespace
}  // namespace velmora::testing
