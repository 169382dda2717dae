#include <gtest/gtest.h>

#include <QStringList>

#include "ui/qt/KeyedListModel.h"

namespace velmora::testing {
namespace {

QList<KeyedListModel::Row> rowsOf(const QStringList& keys, const QString& value = "v") {
    QList<KeyedListModel::Row> rows;
    for (const auto& key : keys) rows.push_back({key, {{"name", key + value}}});
    return rows;
}

QStringList keysOf(const KeyedListModel& model) {
    QStringList keys;
    for (int i = 0; i < model.rowCount(); ++i) keys << model.data(model.index(i), Qt::UserRole).toString();
    return keys;
}

TEST(KeyedListModel, NewListsArriveAsRowChangesNeverAsAReset) {
    struct Case {
        QStringList from, to;
        int inserted, removed, moved;
        QStringList expected;  // empty: `to`
    };
    const Case cases[] = {
        {{}, {"a", "b"}, 2, 0, 0, {}},
        {{"a", "b", "c"}, {"a", "c"}, 0, 1, 0, {}},
        {{"a", "b"}, {"a", "x", "b"}, 1, 0, 0, {}},
        {{"a", "b", "c"}, {"c", "a", "b"}, 0, 0, 1, {}},
        {{"a", "b", "c"}, {"d", "c"}, 1, 2, 0, {}},
        {{"a"}, {}, 0, 1, 0, {}},
        {{}, {"a", "a"}, 2, 0, 0, {"a", "a#1"}},  // duplicate keys stay apart
    };
    for (const auto& c : cases) {
        KeyedListModel model({"name"});
        model.setRows(rowsOf(c.from));
        int inserted = 0, removed = 0, moved = 0, resets = 0;
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&](auto, int first, int last) { inserted += last - first + 1; });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&](auto, int first, int last) { removed += last - first + 1; });
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, [&] { ++moved; });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
        model.setRows(rowsOf(c.to));
        const auto label = (c.from.join(",") + " -> " + c.to.join(",")).toStdString();
        EXPECT_EQ(keysOf(model), c.expected.isEmpty() ? c.to : c.expected) << label;
        EXPECT_EQ(inserted, c.inserted) << label;
        EXPECT_EQ(removed, c.removed) << label;
        EXPECT_EQ(moved, c.moved) << label;
        EXPECT_EQ(resets, 0) << label;
    }

    // Same keys, new values: one data change, and the value reads back.
    KeyedListModel model({"name"});
    model.setRows(rowsOf({"a", "b"}));
    int changed = 0;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { ++changed; });
    model.setRows({{"a", {{"name", "av"}}}, {"b", {{"name", "renamed"}}}});
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(model.data(model.index(1), model.roleNames().key("name")).toString(), "renamed");
    EXPECT_FALSE(model.data(model.index(5), Qt::UserRole).isValid());
}

}  // namespace
}  // namespace velmora::testing
