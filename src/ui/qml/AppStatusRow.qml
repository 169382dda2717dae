import QtQuick

// A heavy application: orange warning, "High resource usage", "Protected".
BadgeStatusRow {
    symbol: "exclamationmark.triangle.fill"
    tone: "orange"
}
