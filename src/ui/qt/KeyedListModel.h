#pragma once
// A list for QML whose rows are known by a key (a disk's id, an
// application's identifier). A new list is applied as row removals, moves,
// inserts and data changes, never as a reset, so a view animates each row in
// and out and keeps the rest in place.
#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace velmora {

class KeyedListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    struct Row {
        QString key;
        QVariantMap values;  // by role name
    };

    // `roles`: the names QML reads from each row, besides "key".
    explicit KeyedListModel(QList<QByteArray> roles, QObject* parent = nullptr);

    // Rows with a key seen before in the same list get a suffix, so every
    // row stays addressable.
    void setRows(QList<Row> rows);
    const QList<Row>& rows() const { return rows_; }
    int count() const { return static_cast<int>(rows_.size()); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    QList<QByteArray> roles_;
    QList<Row> rows_;
};

}  // namespace velmora
