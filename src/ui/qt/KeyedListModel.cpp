#include "ui/qt/KeyedListModel.h"

#include <QHash>
#include <QSet>

namespace velmora {

namespace {

constexpr int keyRole = Qt::UserRole;

int indexOfKey(const QList<KeyedListModel::Row>& rows, const QString& key, int from) {
    for (int i = from; i < rows.size(); ++i)
        if (rows[i].key == key) return i;
    return -1;
}

}  // namespace

KeyedListModel::KeyedListModel(QList<QByteArray> roles, QObject* parent)
    : QAbstractListModel(parent), roles_(std::move(roles)) {}

void KeyedListModel::setRows(QList<Row> rows) {
    QHash<QString, int> seen;
    for (auto& row : rows) {
        const int n = seen[row.key]++;
        if (n > 0) row.key += QStringLiteral("#%1").arg(n);
    }
    QSet<QString> wanted;
    for (const auto& row : rows) wanted.insert(row.key);
    const int before = count();

    // Gone rows first, from the end so earlier indexes stay valid.
    for (int i = count() - 1; i >= 0; --i) {
        if (wanted.contains(rows_[i].key)) continue;
        beginRemoveRows({}, i, i);
        rows_.removeAt(i);
        endRemoveRows();
    }
    // Every remaining row is wanted: walk the new order, moving rows up that
    // come later and inserting the new ones.
    for (int i = 0; i < rows.size(); ++i) {
        if (i < count() && rows_[i].key == rows[i].key) {
            if (rows_[i].values != rows[i].values) {
                rows_[i].values = rows[i].values;
                emit dataChanged(index(i), index(i));
            }
            continue;
        }
        const int from = indexOfKey(rows_, rows[i].key, i + 1);
        if (from >= 0) {
            beginMoveRows({}, from, from, {}, i);
            rows_.move(from, i);
            endMoveRows();
            if (rows_[i].values != rows[i].values) {
                rows_[i].values = rows[i].values;
                emit dataChanged(index(i), index(i));
            }
        } else {
            beginInsertRows({}, i, i);
            rows_.insert(i, rows[i]);
            endInsertRows();
        }
    }
    if (count() != before) emit countChanged();
}

int KeyedListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant KeyedListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.parent().isValid() || index.row() < 0 || index.row() >= count()) return {};
    const auto& row = rows_[index.row()];
    if (role == keyRole) return row.key;
    const int at = role - keyRole - 1;
    if (at < 0 || at >= roles_.size()) return {};
    return row.values.value(QString::fromUtf8(roles_[at]));
}

QHash<int, QByteArray> KeyedListModel::roleNames() const {
    QHash<int, QByteArray> names{{keyRole, "key"}};
    for (int i = 0; i < roles_.size(); ++i) names.insert(keyRole + 1 + i, roles_[i]);
    return names;
}

}  // namespace velmora
