#pragma once
// The window model's plain values as the QVariantMaps and list rows QML
// reads. Statuses travel as their colour names ("green", "red", …).
#include <QVariantMap>

#include "ui/model/DiskCards.h"
#include "ui/model/MainWindowModel.h"
#include "ui/model/ProtectionCards.h"
#include "ui/qt/KeyedListModel.h"

namespace velmora {

QVariantMap toVariant(const SideButton& button);
QVariantMap toVariant(const ActionButtonState& button);
QVariantMap toVariant(const AuthorizationCard& card);
QVariantMap toVariant(const StabilizerCard& card);
QVariantMap toVariant(const ControllerCard& card);  // without its disk lines
QVariantMap toVariant(const PowerCard& card);
QVariantMap toVariant(const AggressivePowerCard& card);
QVariantMap toVariant(const ConnectionCard& card);  // without its rows
QVariantMap toVariant(const AppTrackingCard& card); // without its rows
QVariantMap toVariant(const AssociationsCard& card);
QVariantMap toVariant(const StartupCard& card);

QList<KeyedListModel::Row> diskRows(const DiskListView& list);
QList<KeyedListModel::Row> badgeRows(const std::vector<BadgeRowItem>& items);
QList<KeyedListModel::Row> protectedDiskRows(const std::vector<ProtectedDiskLine>& lines);

}  // namespace velmora
