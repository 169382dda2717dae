#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ui/qt/MainWindowView.h"

namespace velmora::testing {
namespace {

TEST(ContentLoad, TheWindowsQmlLoadsAndABrokenOneIsSaidInOneLine) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const char* text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return QUrl::fromLocalFile(file.fileName());
    };
    struct Case { const char* name; QUrl url; QString mentions; };
    const Case cases[] = {
        {"the window's own", QUrl(QStringLiteral("qrc:/velmora/ContentView.qml")), {}},
        {"missing module", write("Missing.qml", "import Velmora.NoSuchModule\nItem {}\n"), "NoSuchModule"},
        {"broken file", write("Broken.qml", "import QtQuick\nItem { width: }\n"), "Broken.qml"},
        {"missing file", QUrl(QStringLiteral("qrc:/velmora/NoSuchView.qml")), "NoSuchView.qml"},
    };
    for (const auto& c : cases) {
        const QString problem = contentLoadProblem(c.url);
        if (c.mentions.isEmpty()) {
            EXPECT_TRUE(problem.isEmpty()) << c.name << ": " << problem.toStdString();
        } else {
            EXPECT_TRUE(problem.contains(c.mentions)) << c.name << ": " << problem.toStdString();
            EXPECT_FALSE(problem.contains('\n')) << c.name;
        }
    }
}

}  // namespace
}  // namespace velmora::testing
