#include "ui/qt/CardValues.h"

#include <QVariantList>

namespace velmora {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QVariantMap line(const SymbolLine& value) { return {{"symbol", q(value.symbol)}, {"text", q(value.text)}}; }

// An absent line is an empty map, which QML tests with `.text`.
QVariantMap line(const std::optional<SymbolLine>& value) { return value ? line(*value) : QVariantMap{}; }

QVariantMap button(const CardButton& value) {
    return {{"label", q(value.label)}, {"isDisabled", value.isDisabled}, {"showsProgress", value.showsProgress}};
}

QVariantMap header(const CardHeader& value) {
    return {{"title", q(value.title)}, {"icon", q(value.icon)}, {"status", q(colorName(value.status))}};
}

QVariantMap withHeader(const CardHeader& value, QVariantMap card) {
    card.insert(header(value));
    return card;
}

}  // namespace

QVariantMap toVariant(const SideButton& value) {
    return {{"symbol", q(value.symbol)}, {"label", q(value.label)}, {"showsProgress", value.showsProgress}};
}

QVariantMap toVariant(const ActionButtonState& value) {
    return {{"title", q(value.title)},         {"subtitle", q(value.displayedSubtitle)}, {"icon", q(value.icon)},
            {"isLoading", value.isLoading}, {"isDisabled", value.isDisabled}};
}

QVariantMap toVariant(const AuthorizationCard& card) {
    return {{"isShown", card.isShown},
            {"symbol", q(card.symbol)},
            {"title", q(card.title)},
            {"text", q(card.text)},
            {"authorizationStatus", q(card.authorizationStatus)},
            {"button", button(card.authorize)}};
}

QVariantMap toVariant(const StabilizerCard& card) {
    QVariantList features;
    for (const auto& feature : card.features) features.push_back(line(feature));
    return withHeader(card.header, {{"headline", line(card.headline)},
                                    {"statusLabel", q(card.statusLabel)},
                                    {"statusValue", q(card.statusValue)},
                                    {"features", features}});
}

QVariantMap toVariant(const ControllerCard& card) {
    return withHeader(card.header, {{"level", line(card.level)},
                                    {"lastAction", q(card.lastAction)},
                                    {"controllers", line(card.controllers)},
                                    {"powerManagementLabel", q(card.powerManagementLabel)},
                                    {"powerManagement", line(card.powerManagement)},
                                    {"protectedDisksLabel", q(card.protectedDisksLabel)},
                                    {"protectedDisksCount", q(card.protectedDisksCount)},
                                    {"moreDisks", q(card.moreDisks.value_or(""))}});
}

QVariantMap toVariant(const PowerCard& card) {
    QVariantList rows;
    for (const auto& row : card.rows)
        rows.push_back(QVariantMap{{"icon", q(row.icon)},
                                   {"text", q(row.text)},
                                   {"status", q(row.status)},
                                   {"isActive", row.isActive}});
    return withHeader(card.header, {{"rows", rows}});
}

QVariantMap toVariant(const AggressivePowerCard& card) {
    return withHeader(card.header, {{"text", q(card.text)}, {"toggle", button(card.toggle)}});
}

QVariantMap toVariant(const ConnectionCard& card) {
    return withHeader(card.header, {{"emptyLine", line(card.emptyLine)}});
}

QVariantMap toVariant(const AppTrackingCard& card) {
    return withHeader(card.header, {{"cleanLine", line(card.cleanLine)}});
}

QVariantMap toVariant(const AssociationsCard& card) {
    return withHeader(card.header,
                      {{"heading", q(card.heading)}, {"statusMessage", q(card.statusMessage)}, {"fix", button(card.fix)}});
}

QVariantMap toVariant(const StartupCard& card) {
    return withHeader(card.header, {{"line", line(card.line)}, {"toggle", button(card.toggle)}});
}

QList<KeyedListModel::Row> diskRows(const DiskListView& list) {
    QList<KeyedListModel::Row> rows;
    for (const auto& card : list.cards) {
        QVariantList badges;
        for (const auto& badge : card.badges) badges.push_back(QVariantMap{{"text", q(badge.text)}, {"color", q(badge.color)}});
        QVariantList marks;
        QVariantList throughput;
        if (card.history) {
            for (const auto& mark : card.history->marks)
                marks.push_back(QVariantMap{{"position", mark.position}, {"tone", q(mark.tone)}});
            for (double slot : card.history->throughput) throughput.push_back(slot);
        }
        rows.push_back({q(card.id),
                        {{"name", q(card.name)},
                         {"hasHistory", card.history.has_value()},
                         {"historySummary", card.history ? q(card.history->summary) : QString()},
                         {"historyMarks", marks},
                         {"throughput", throughput},
                         {"throughputCaption", card.history ? q(card.history->throughputCaption) : QString()},
                         {"historyExportStatus", q(card.historyExportStatus)},
                         {"caption", q(card.caption)},
                         {"sizeText", q(card.sizeText)},
                         {"isSelected", card.isSelected},
                         {"isConnected", card.isConnected},
                         {"selectionSymbol", q(card.selectionSymbol)},
                         {"badges", badges}}});
    }
    return rows;
}

QList<KeyedListModel::Row> badgeRows(const std::vector<BadgeRowItem>& items) {
    QList<KeyedListModel::Row> rows;
    for (const auto& item : items)
        rows.push_back({q(item.id),
                        {{"symbol", q(item.symbol)},
                         {"name", q(item.name)},
                         {"caption", q(item.caption)},
                         {"badge", q(item.badge)},
                         {"tone", q(colorName(item.tone))}}});
    return rows;
}

QList<KeyedListModel::Row> protectedDiskRows(const std::vector<ProtectedDiskLine>& lines) {
    QList<KeyedListModel::Row> rows;
    for (const auto& disk : lines)
        rows.push_back({q(disk.name),
                        {{"symbol", q(disk.symbol)}, {"name", q(disk.name)}, {"powerSymbol", q(disk.powerSymbol.value_or(""))}}});
    return rows;
}

}  // namespace velmora
