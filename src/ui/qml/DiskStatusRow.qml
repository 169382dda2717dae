import QtQuick

// A connected USB disk: green check, "Connection stable", "Active".
BadgeStatusRow {
    symbol: "checkmark.circle.fill"
    tone: "green"
}
